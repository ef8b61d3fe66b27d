#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "tests/support/machine_builders.h"
#include "tests/support/temp_directory.h"
#include "tool_runner.h"

namespace qvtool::test {
namespace {

using Json = nlohmann::json;

std::string Profile(const std::string& name) {
  return "'" + SourceFile("examples/machines/" + name) + "'";
}

// A temporary directory holding the example list, encrypted as the installer ships it.
class ExampleListDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    const ToolRun run =
        RunQvtool("encrypt '" + SourceFile("examples/sysids.txt") + "'", directory_.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }

  Json Report(const std::string& profile) {
    const ToolRun run = RunQvtool("report --json --machine " + profile, directory_.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return Json::parse(run.out);
  }

  qv::test::TempDirectory directory_;
};

bool CapabilitySet(const Json& report, int bit) {
  for (const Json& named : report["hwConfig"]["capabilities"]["named"]) {
    if (named["bit"] == bit) return named["set"].get<bool>();
  }
  return false;
}

TEST_F(ExampleListDirectory, ReportAnswersForEachExampleMachine) {
  const Json platformD = Report(Profile("platform-d-laptop.json"));
  EXPECT_EQ(platformD["systemId"], 533);
  EXPECT_EQ(platformD["platform"]["makerFlag"], 1);
  ASSERT_FALSE(platformD["hwConfig"].is_null());
  const int mask = platformD["deviceMask"]["result"].get<int>() & 0xFF;
  // Platform D's list record leaves bit 3 to capability bit 27.
  EXPECT_EQ((mask & 8) != 0, CapabilitySet(platformD, 27));
  EXPECT_EQ(platformD["deviceMask"]["bits"][3].get<bool>(), (mask & 8) != 0);
  EXPECT_EQ(platformD["deviceMask"]["foundAt"]["record"].get<std::string>().substr(0, 3), "533");

  const Json torvane = Report(Profile("torvane-xp-laptop.json"));
  EXPECT_TRUE(torvane["torvane"].get<bool>());
  EXPECT_EQ(torvane["deviceMask"]["lineCode"], 6);
  EXPECT_EQ(torvane["deviceMask"]["lineCodeName"], "TRV (Torvane)");

  const Json other = Report(Profile("other-maker-desktop.json"));
  EXPECT_EQ(other["systemId"], 0);
  EXPECT_EQ(other["platform"]["makerFlag"], 0);
  EXPECT_TRUE(other["hwConfig"].is_null());
  EXPECT_FALSE(other["torvane"].get<bool>());

  const ToolRun text =
      RunQvtool("report --machine " + Profile("platform-d-laptop.json"), directory_.Path());
  EXPECT_NE(text.out.find("GetSystemId:  533 (0x0215)"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("[x] 30  maker flag"), std::string::npos) << text.out;
}

TEST_F(ExampleListDirectory, ReportWithoutAListShowsTheStatus) {
  qv::test::TempDirectory empty;
  const ToolRun run =
      RunQvtool("report --json --machine " + Profile("platform-d-laptop.json"), empty.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Json report = Json::parse(run.out);
  EXPECT_EQ(report["deviceMask"]["result"], -2);
  EXPECT_FALSE(report["torvane"].get<bool>());

  const ToolRun missing = RunQvtool("report --list gone.enc", empty.Path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("gone.enc: no such file"), std::string::npos) << missing.err;
}

TEST(QvtoolMachineCli, MalformedProfilesGiveOneLineErrors) {
  qv::test::TempDirectory directory;
  directory.Write("bad-key.json", R"({"schema": 1, "wmi": {"bios": {"transferSize": "big"}}})");
  directory.Write("bad-json.json", "{ \"schema\": 1, ");
  const struct {
    const char* file;
    const char* problem;
  } cases[] = {
      {"bad-key.json", "wmi.bios.transferSize"},
      {"bad-json.json", "bad-json.json"},
      {"absent.json", "absent.json"},
  };
  for (const auto& broken : cases) {
    for (const char* command :
         {"report --machine ", "gina --machine ", "capture -o x.json --machine "}) {
      const ToolRun run = RunQvtool(command + std::string(broken.file), directory.Path());
      EXPECT_EQ(run.exitCode, 1) << command << broken.file;
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
      EXPECT_NE(run.err.find(broken.file), std::string::npos) << run.err;
      EXPECT_NE(run.err.find(broken.problem), std::string::npos) << run.err;
    }
  }
}

TEST(QvtoolMachineCli, SmbiosShowsWhatTheParserDerives) {
  const std::vector<std::uint8_t> table = qv::testing::SmbiosBlobBuilder()
                                              .BiosVendor("Vexa BIOS Works")
                                              .SystemManufacturer("Vexa Computer Corp.")
                                              .FeatureWords(0x20, 7)
                                              .SystemId(0x01C3)
                                              .Tokens({{0x01FA, 0x0102, 0x0001}})
                                              .EndOfTable()
                                              .Build();
  qv::test::TempDirectory directory;
  directory.Write("table.bin", std::string(table.begin(), table.end()));
  const ToolRun run = RunQvtool("smbios --json table.bin", directory.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Json result = Json::parse(run.out);
  EXPECT_EQ(result["structures"].size(), 6u);
  EXPECT_EQ(result["structures"][1]["strings"][0], "Vexa Computer Corp.");
  EXPECT_EQ(result["facts"]["systemId"], 0x01C3);
  EXPECT_EQ(result["facts"]["biosFlag"], 1);
  EXPECT_EQ(result["facts"]["featureWords"][0], "0x00000020");
  EXPECT_EQ(result["facts"]["tokens"][0]["id"], "0x01FA");

  // The same table as hexadecimal text, as profiles hold it, and cut short in a string.
  std::string hex;
  for (std::uint8_t byte : table)
    hex += "0123456789abcdef"[byte >> 4], hex += "0123456789abcdef"[byte & 15], hex += ' ';
  directory.Write("table.hex", hex);
  EXPECT_NE(RunQvtool("smbios table.hex", directory.Path()).out.find("451 (0x01C3)"),
            std::string::npos);
  directory.Write("cut.bin", std::string(table.begin(), table.end() - 1));
  const ToolRun cut = RunQvtool("smbios cut.bin", directory.Path());
  EXPECT_EQ(cut.exitCode, 0);
  EXPECT_NE(cut.out.find("the table ends inside it"), std::string::npos) << cut.out;
  directory.Write("odd.hex", "00 1");
  EXPECT_NE(RunQvtool("smbios odd.hex", directory.Path()).err.find("odd number"),
            std::string::npos);
}

TEST_F(ExampleListDirectory, CapturedProfileGivesTheSameReport) {
  const ToolRun capture = RunQvtool(
      "capture -o captured.json --machine " + Profile("torvane-xp-laptop.json"), directory_.Path());
  ASSERT_EQ(capture.exitCode, 0) << capture.err;
  Json original = Report(Profile("torvane-xp-laptop.json"));
  Json captured = Report("captured.json");
  original.erase("machine");
  captured.erase("machine");
  EXPECT_EQ(original, captured);

  const ToolRun host = RunQvtool("capture -o host.json", directory_.Path());
  EXPECT_EQ(host.exitCode, 0) << host.err;
  EXPECT_EQ(RunQvtool("report --machine host.json", directory_.Path()).exitCode, 0);
}

const char kXpProfile[] = R"({
  "schema": 1,
  "os": {"major": 5, "minor": 1},
  "registry": {
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon": {"GinaDLL": "qvgina.dll"},
    "HKLM\\SOFTWARE\\Vexa\\VexaLumacore\\KPQ\\Settings\\GlobalData": {
      "QVGinaEnabled": "1", "OrginalGINA": "C:\\Tools\\other.dll", "WlanChipType": "14"},
    "HKLM\\SOFTWARE\\Intel\\Wireless\\cswSSO": {"OrgGinaDLL": "qvgina.dll"}
  }
})";

std::string DataOf(const Json& values, const std::string& name) {
  for (const Json& value : values) {
    if (value["value"] == name)
      return value["data"].is_null() ? "(missing)" : value["data"].get<std::string>();
  }
  return "(not listed)";
}

TEST(QvtoolMachineCli, GinaShowsRegistryChangesAndProgramStarts) {
  qv::test::TempDirectory directory;
  directory.Write("xp.json", kXpProfile);
  directory.Write("iWrap.exe", "#!/bin/sh\necho \"tool $*\"\n");
  chmod(directory.File("iWrap.exe").c_str(), 0755);

  const ToolRun run = RunQvtool("gina --json --machine xp.json --directory .", directory.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Json result = Json::parse(run.out);
  EXPECT_EQ(result["result"], 0);
  EXPECT_EQ(result["console"], "XP\ntool /CMD:27 1\ntool /CMD:28\n");
  EXPECT_EQ(DataOf(result["before"], "GinaDLL"), "qvgina.dll");
  EXPECT_EQ(DataOf(result["after"], "GinaDLL"), "C:\\Tools\\other.dll");
  EXPECT_EQ(DataOf(result["after"], "QVGinaEnabled"), "0");
  EXPECT_EQ(DataOf(result["after"], "OrginalGINA"), "msgina.dll");
  EXPECT_EQ(DataOf(result["after"], "OrgGinaDLL"), "msgina.dll");
  // Each command at the installed path first (not there), then from the directory.
  ASSERT_EQ(result["programs"].size(), 4u);
  EXPECT_FALSE(result["programs"][0]["started"].get<bool>());
  EXPECT_EQ(result["programs"][1]["commandLine"], "iWrap.exe /CMD:27 1");
  EXPECT_TRUE(result["programs"][1]["started"].get<bool>());
  EXPECT_TRUE(result["programs"][3]["started"].get<bool>());

  // In a fresh directory no tool exists: each command is tried at its full path and here.
  const ToolRun alone = RunQvtool("gina --machine xp.json", directory.Path());
  ASSERT_EQ(alone.exitCode, 0) << alone.err;
  EXPECT_NE(alone.out.find("Programs started: 4"), std::string::npos) << alone.out;
  EXPECT_NE(alone.out.find("GinaDLL: \"qvgina.dll\" -> \"C:\\\\Tools\\\\other.dll\""),
            std::string::npos)
      << alone.out;
}

}  // namespace
}  // namespace qvtool::test
