#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support/temp_directory.h"
#include "tool_runner.h"

namespace qvtool::test {
namespace {

using Json = nlohmann::json;

const char kGoodList[] =
    "208 00111100 GNR\n"
    "305 00011100 BDW\n"
    "533 00011110 HKM\n"
    "626 10011111 TRV\n";

// One line on standard error that names the file and says what is wrong.
::testing::AssertionResult IsOneLineError(const ToolRun& run, const std::string& file,
                                          const std::string& problem) {
  if (run.exitCode == 0) return ::testing::AssertionFailure() << "exit code 0";
  const auto newline = run.err.find('\n');
  if (newline == std::string::npos || newline + 1 != run.err.size()) {
    return ::testing::AssertionFailure() << "not one line: " << run.err;
  }
  if (run.err.find(file) == std::string::npos || run.err.find(problem) == std::string::npos) {
    return ::testing::AssertionFailure()
           << "expected " << file << " and " << problem << " in: " << run.err;
  }
  return ::testing::AssertionSuccess();
}

TEST(QvtoolListCli, LintAcceptsTheExampleListAndReportsItsWarning) {
  const ToolRun run = RunQvtool("lint '" + SourceFile("examples/sysids.txt") + "'");
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("0 errors"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("read back with their own flags and line code"), std::string::npos);

  const ToolRun json = RunQvtool("lint --json '" + SourceFile("examples/sysids.txt") + "'");
  ASSERT_EQ(json.exitCode, 0);
  const Json document = Json::parse(json.out);
  EXPECT_EQ(document["errors"], 0);
  EXPECT_TRUE(document["readBack"]["ok"].get<bool>());
  EXPECT_GT(document["records"].get<int>(), 40);
}

struct BrokenList {
  const char* content;
  const char* rule;
  const char* position;  // "line:column"
};

TEST(QvtoolListCli, LintReportsEachKindOfProblemWithItsPosition) {
  const std::string tooLong = std::string(kGoodList) + std::string(7700, '#') + "\n";
  const BrokenList cases[] = {
      {"208 00111100 GNR\n30 00011100 BDW\n", "bad-id", "2:1"},
      {"208 00121100 GNR\n", "bad-flag", "1:8"},
      {"208 00111100 GNR\n305 00011100 bdw\n", "unknown-line-code", "2:14"},
      {"208 00111100 GNR\n305 00011100 BDW", "no-line-end", "2:17"},
      {"208 00111100 GNR\n208 00011100 BDW\n", "duplicate-id", "2:1"},
      {"101 11001110 GNR\n110 00000001 BDW\n", "shadowed-id", "2:1"},
      {"208 00111100 GNR\n305 0001\n", "short-record", "2:9"},
      {"208 00111100 GNR\n\x1A"
       "305 00011100 BDW\n",
       "ignored-tail", "2:1"},
      {"", "empty-list", "1:1"},
      {tooLong.c_str(), "too-long", "5:"},
  };
  qv::test::TempDirectory directory;
  for (const BrokenList& broken : cases) {
    directory.Write("list.txt", broken.content);
    const ToolRun run = RunQvtool("lint list.txt", directory.Path());
    const std::string expected = std::string("list.txt:") + broken.position;
    const bool warningOnly = std::string(broken.rule) == "unknown-line-code";
    EXPECT_EQ(run.exitCode, warningOnly ? 0 : 1) << broken.rule << "\n" << run.out;
    EXPECT_NE(run.out.find(expected), std::string::npos) << broken.rule << "\n" << run.out;
    EXPECT_NE(run.out.find(std::string("[") + broken.rule + "]"), std::string::npos) << run.out;
    if (warningOnly) {
      EXPECT_EQ(RunQvtool("lint --strict list.txt", directory.Path()).exitCode, 1);
    }
  }
}

TEST(QvtoolListCli, MissingAndBrokenFilesGiveOneLineErrors) {
  qv::test::TempDirectory directory;
  for (const char* command : {"lint", "decrypt", "encrypt", "smbios"}) {
    const ToolRun run = RunQvtool(std::string(command) + " nowhere.txt", directory.Path());
    EXPECT_TRUE(IsOneLineError(run, "nowhere.txt", "such file")) << command;
  }
  EXPECT_TRUE(IsOneLineError(RunQvtool("lookup nowhere.enc 533", directory.Path()), "nowhere.enc",
                             "such file"));

  directory.Write("notbase64.enc", "this is *not* an encrypted list\n");
  EXPECT_TRUE(IsOneLineError(RunQvtool("decrypt notbase64.enc", directory.Path()), "notbase64.enc",
                             "decryption failed"));
  EXPECT_TRUE(IsOneLineError(RunQvtool("lookup notbase64.enc 533", directory.Path()),
                             "notbase64.enc", "decryption failed"));
  directory.Write("empty.enc", "");
  EXPECT_TRUE(
      IsOneLineError(RunQvtool("decrypt empty.enc", directory.Path()), "empty.enc", "empty"));
  EXPECT_TRUE(IsOneLineError(
      RunQvtool("encrypt " + directory.File("empty.enc") + " -o nodir", directory.Path()), "nodir",
      "no such directory"));
}

TEST(QvtoolListCli, EncryptWritesAFileThatDecryptsAndLooksUpAsWritten) {
  qv::test::TempDirectory directory;
  directory.Write("plain.txt", "208 00111100 GNR\r\n533 00011110 HKM\r\n626 10011111 TRV\r\n");
  const ToolRun encrypt = RunQvtool("encrypt plain.txt -o .", directory.Path());
  ASSERT_EQ(encrypt.exitCode, 0) << encrypt.err;
  EXPECT_NE(encrypt.out.find("read 3 of 3 records back"), std::string::npos) << encrypt.out;
  ASSERT_TRUE(directory.Exists("vexasysids.enc"));

  const ToolRun decrypt = RunQvtool("decrypt vexasysids.enc", directory.Path());
  EXPECT_EQ(decrypt.exitCode, 0);
  EXPECT_EQ(decrypt.out, "208 00111100 GNR\n533 00011110 HKM\n626 10011111 TRV\n");

  const ToolRun torvane = RunQvtool("lookup --json vexasysids.enc 626", directory.Path());
  ASSERT_EQ(torvane.exitCode, 0) << torvane.err;
  const Json answer = Json::parse(torvane.out);
  EXPECT_EQ(answer["getDeviceMask"]["result"], 6 * 256 + 0xE7);
  EXPECT_EQ(answer["getDeviceMaskDecrypt"], 0x27);
  EXPECT_EQ(answer["foundAt"]["line"], 3);

  const ToolRun platformD = RunQvtool("lookup vexasysids.enc 533", directory.Path());
  EXPECT_EQ(platformD.exitCode, 0);
  EXPECT_NE(platformD.out.find("capability bit 27 decides"), std::string::npos) << platformD.out;

  const ToolRun missing = RunQvtool("lookup vexasysids.enc 999", directory.Path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.out.find("-4"), std::string::npos);

  // ID 0, a machine without readable tables: in no list, though "0" occurs everywhere.
  const ToolRun zero = RunQvtool("lookup --json vexasysids.enc 0", directory.Path());
  EXPECT_EQ(zero.exitCode, 1);
  const Json none = Json::parse(zero.out);
  EXPECT_EQ(none["getDeviceMask"]["result"], -4);
  EXPECT_EQ(none["getDeviceMask"]["status"], "no line of the list starts with the system ID");
  EXPECT_EQ(none["getDeviceMaskDecrypt"], -1);
  EXPECT_FALSE(none.contains("foundAt"));
  EXPECT_EQ(none["unanchoredAt"]["line"], 1);
}

TEST(QvtoolListCli, LookupReadsTheRecordAtItsLineStartAndShowsWhereOldReadersErr) {
  qv::test::TempDirectory directory;
  // 110 occurs in the flags of 101; the last record has no line end.
  directory.Write("plain.txt", "101 11001110 GNR\n110 00000001 BDW");
  ASSERT_EQ(RunQvtool("encrypt --force plain.txt", directory.Path()).exitCode, 0);

  const ToolRun text = RunQvtool("lookup vexasysids.enc 110", directory.Path());
  EXPECT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("record at line 2 column 1: \"110 00000001 BDW\""), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("unanchored read it at line 1 column 5"), std::string::npos) << text.out;
  const Json answer =
      Json::parse(RunQvtool("lookup --json vexasysids.enc 110", directory.Path()).out);
  EXPECT_EQ(answer["getDeviceMask"]["result"], 2 * 256 + 128);
  EXPECT_EQ(answer["getDeviceMaskDecrypt"], 0);
  EXPECT_EQ(answer["foundAt"]["line"], 2);
  EXPECT_EQ(answer["unanchoredAt"]["column"], 5);
}

TEST(QvtoolListCli, EncryptRefusesAListWithErrorsUnlessForced) {
  qv::test::TempDirectory directory;
  directory.Write("shadowed.txt", "101 11001110 GNR\n110 00000001 BDW\n");
  const ToolRun refused = RunQvtool("encrypt shadowed.txt", directory.Path());
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("shadowed.txt:2:1: error"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("not encrypted"), std::string::npos) << refused.err;
  EXPECT_FALSE(directory.Exists("vexasysids.enc"));

  const ToolRun forced = RunQvtool("encrypt --force shadowed.txt", directory.Path());
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_TRUE(directory.Exists("vexasysids.enc"));
  // The export reads record 110 from its own line, whatever older readers would do.
  EXPECT_EQ(forced.err.find("GetDeviceMaskDecrypt(110)"), std::string::npos) << forced.err;
}

}  // namespace
}  // namespace qvtool::test
