// `qvtool smbios` on the files engineers bring (dmidecode dumps, files that are no table,
// tables with hostile strings) and `qvtool report` on a table with bytes after its last
// structure.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "tests/support/machine_builders.h"
#include "tests/support/temp_directory.h"
#include "tool_runner.h"

namespace qvtool::test {
namespace {

using Json = nlohmann::json;

std::string ReadSource(const std::string& relative) {
  std::ifstream file(SourceFile(relative), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(QvtoolSmbiosCli, ReadsTheTableOfADmidecodeDump) {
  for (const char* kind : {"sm3", "sm2", "dmi"}) {
    const std::string dump =
        "'" +
        SourceFile(std::string("tests/data/smbios-dumps/platform-d-laptop-") + kind + ".bin") + "'";
    const ToolRun run = RunQvtool("smbios --json " + dump);
    ASSERT_EQ(run.exitCode, 0) << kind << run.err;
    const Json result = Json::parse(run.out);
    EXPECT_EQ(result["structures"].size(), 7u) << kind;
    EXPECT_EQ(result["structures"][0]["type"], 0) << "the entry point is no structure";
    EXPECT_EQ(result["facts"]["biosFlag"], 1) << kind;
    EXPECT_EQ(result["facts"]["systemId"], 533) << kind;
    EXPECT_NE(result["entryPoint"].get<std::string>().find("table at 0x00000020"),
              std::string::npos);

    const ToolRun text = RunQvtool("smbios " + dump);
    EXPECT_NE(text.out.find("Entry point:    "), std::string::npos) << text.out;
  }
}

TEST(QvtoolSmbiosCli, RefusesWhatIsNoTable) {
  qv::test::TempDirectory directory;
  directory.Write("profile.json", ReadSource("examples/machines/platform-d-laptop.json"));
  directory.Write("notes.txt", "BIOS from the service desk\n");
  directory.Write("zeros.bin", std::string(64, '\0'));
  for (const char* file : {"profile.json", "notes.txt", "zeros.bin"}) {
    const ToolRun run = RunQvtool(std::string("smbios ") + file, directory.Path());
    EXPECT_EQ(run.exitCode, 1) << file << run.out;
    EXPECT_NE(run.err.find(std::string(file) + ": not an SMBIOS table"), std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  std::string broken = ReadSource("tests/data/smbios-dumps/platform-d-laptop-sm3.bin");
  broken[0x10] = 0x7F;  // the table's address
  directory.Write("broken.bin", broken);
  const ToolRun run = RunQvtool("smbios broken.bin", directory.Path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("broken.bin: the _SM3_ entry point has a wrong checksum"),
            std::string::npos)
      << run.err;
}

// Where the host's table is read is a choice for this machine only, and Linux has no WMI.
TEST(QvtoolSmbiosCli, SourceChoiceIsForThisMachineOnly) {
  const ToolRun wmi = RunQvtool("smbios --source wmi");
  EXPECT_EQ(wmi.exitCode, 2) << wmi.out;
  EXPECT_NE(wmi.err.find("WMI: there is no WMI on this system"), std::string::npos) << wmi.err;

  const std::string dump =
      "'" + SourceFile("tests/data/smbios-dumps/platform-d-laptop-sm3.bin") + "'";
  const ToolRun withFile = RunQvtool("smbios --source firmware " + dump);
  EXPECT_EQ(withFile.exitCode, 2) << withFile.out;
  EXPECT_NE(withFile.err.find("excludes"), std::string::npos) << withFile.err;

  EXPECT_EQ(RunQvtool("smbios --source bios").exitCode, 2);
}

TEST(QvtoolSmbiosCli, FirmwareStringsCannotDriveTheTerminal) {
  const std::vector<std::uint8_t> table = qv::testing::SmbiosBlobBuilder()
                                              .BiosVendor("Vexa \x1b]0;owned\x07\x1b[2J BIOS")
                                              .EndOfTable()
                                              .Build();
  qv::test::TempDirectory directory;
  directory.Write("table.bin", std::string(table.begin(), table.end()));
  const ToolRun text = RunQvtool("smbios table.bin", directory.Path());
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(text.out.find('\x07'), std::string::npos);
  EXPECT_NE(text.out.find("\"Vexa .]0;owned..[2J BIOS\""), std::string::npos) << text.out;

  const ToolRun json = RunQvtool("smbios --json table.bin", directory.Path());
  EXPECT_EQ(Json::parse(json.out)["structures"][0]["strings"][0],
            "Vexa \x1b]0;owned\x07\x1b[2J BIOS")
      << "JSON keeps the bytes, escaped";
}

// The platform-D laptop with bytes after its last structure answers as without them.
class PaddedPlatformD : public ::testing::Test {
 protected:
  void SetUp() override {
    const ToolRun run =
        RunQvtool("encrypt '" + SourceFile("examples/sysids.txt") + "'", directory_.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }

  Json Report(const std::string& tailHex) {
    Json profile = Json::parse(ReadSource("examples/machines/platform-d-laptop.json"));
    profile["wmi"]["smbios"][0] = profile["wmi"]["smbios"][0].get<std::string>() + tailHex;
    directory_.Write("machine.json", profile.dump());
    const ToolRun run = RunQvtool("report --json --machine machine.json", directory_.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return Json::parse(run.out);
  }

  static Json Answers(const Json& report) {
    Json capability29;
    for (const Json& named : report["hwConfig"]["capabilities"]["named"]) {
      if (named["bit"] == 29) capability29 = named["set"];
    }
    return Json{{"systemId", report["systemId"]},
                {"biosFlag", report["platform"]["biosFlag"]},
                {"featureWords", report["platform"]["featureWords"]},
                {"capability29", capability29},
                {"deviceMask", report["deviceMask"]["result"]}};
  }

  qv::test::TempDirectory directory_;
};

TEST_F(PaddedPlatformD, TrailingBytesChangeNoAnswer) {
  const Json plain = Answers(Report(""));
  ASSERT_EQ(plain["biosFlag"], 1);
  ASSERT_EQ(plain["capability29"], true);
  EXPECT_EQ(Answers(Report(std::string(32, '0'))), plain) << "16 zero bytes";
  EXPECT_EQ(Answers(Report("00")), plain) << "one 0x00";
  EXPECT_EQ(Answers(Report("d0")), plain) << "one 0xD0";
}

}  // namespace
}  // namespace qvtool::test
