#include <gtest/gtest.h>

#include "tool_runner.h"

namespace qvtool::test {
namespace {

const char* const kCommands[] = {"report", "lint",   "encrypt", "decrypt",
                                 "lookup", "smbios", "capture", "gina"};

TEST(QvtoolCli, VersionAndHelpOnEveryCommand) {
  const ToolRun version = RunQvtool("--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "qvtool " QVTOOL_VERSION "\n");

  const ToolRun help = RunQvtool("--help");
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : kCommands) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
    const ToolRun commandHelp = RunQvtool(std::string(command) + " --help");
    EXPECT_EQ(commandHelp.exitCode, 0) << command;
    EXPECT_NE(commandHelp.out.find(std::string("qvtool ") + command), std::string::npos)
        << commandHelp.out;
  }
}

TEST(QvtoolCli, CommandLineMistakesExitWithUsageCode) {
  const ToolRun none = RunQvtool("");
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_FALSE(none.err.empty());

  EXPECT_EQ(RunQvtool("frobnicate").exitCode, 2);
  EXPECT_EQ(RunQvtool("lint").exitCode, 2);                // PLAIN missing
  EXPECT_EQ(RunQvtool("lookup x.enc 70000").exitCode, 2);  // not a 16-bit ID
  const ToolRun gina = RunQvtool("gina");
  EXPECT_EQ(gina.exitCode, 2);
  EXPECT_NE(gina.err.find("--machine"), std::string::npos);
}

}  // namespace
}  // namespace qvtool::test
