// Loading well-formed machine profiles, and profiles that cannot be used at all.
#include <gtest/gtest.h>

#include "machine/machine.h"
#include "tests/support/temp_directory.h"

namespace {

using qv::machine::LoadProfile;
using qv::machine::Machine;

constexpr const char* kFullProfile = R"({
  "schema": 1,
  "os": { "major": 5, "minor": 1 },
  "power": { "acLineStatus": 0 },
  "wmi": {
    "smbios": [ "00 05 00 00 01 56 65 78 61 20 42 00 00", "7F04 0000 0000", "" ],
    "bios": {
      "transferSize": 64,
      "functions": [
        { "class": 4, "selector": 1, "status": 0, "results": [1, 2, 3] },
        { "class": 4, "selector": 200, "args": [1, 4294967295], "status": -1, "results": [7] },
        { "class": 65535, "selector": 0 }
      ]
    }
  },
  "devices": {
    "PCI": [ "PCI\\VEN_8086&DEV_10F5&SUBSYS_5A621F7A&REV_03\\3&21436425&0&C8" ],
    "USB": [],
    "notPresent": { "USB": [ "USB\\VID_2E9C&PID_4A10\\5&2D8F3A2B&0&3" ] }
  },
  "registry": {
    "HKLM\\Software\\Vexa\\QuickView": {
      "Path": "C:\\Program Files\\QV",
      "": "default",
      "Count": { "type": "REG_DWORD", "data": 258 },
      "Blob": { "type": "REG_BINARY", "hex": "de ad BE EF" },
      "Text": { "type": "REG_SZ", "data": "x" }
    },
    "hklm\\software\\vexa\\quickview": { "Extra": "y" }
  },
  "faults": [ { "call": "CryptAcquireContextA", "occurrence": 1 }, { "call": "RegOpenKeyExA" } ]
})";

std::shared_ptr<Machine> Load(const qv::test::TempDirectory& dir, const std::string& text,
                              std::string* error) {
  dir.Write("machine.json", text);
  return LoadProfile(dir.File("machine.json"), error);
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

void ExpectMachineWithNothing(const Machine& machine) {
  EXPECT_EQ(machine.os.major, 10u);
  EXPECT_EQ(machine.os.minor, 0u);
  EXPECT_FALSE(machine.acLineStatus.has_value());
  EXPECT_FALSE(machine.wmi.has_value());
  EXPECT_TRUE(machine.devices.empty());
  EXPECT_TRUE(machine.notPresentDevices.empty());
  EXPECT_TRUE(machine.registry.empty());
  EXPECT_TRUE(machine.faults.empty());
}

TEST(MachineProfile, FullProfileLoadsEveryFacility) {
  qv::test::TempDirectory dir;
  std::string error = "stale";
  const auto machine = Load(dir, kFullProfile, &error);
  ASSERT_TRUE(machine);
  EXPECT_EQ(error, "");
  EXPECT_EQ(machine->description, dir.File("machine.json"));
  EXPECT_EQ(machine->os.major, 5u);
  EXPECT_EQ(machine->os.minor, 1u);
  EXPECT_EQ(machine->acLineStatus, std::optional<std::uint8_t>(0));

  ASSERT_TRUE(machine->wmi);
  const auto& tables = machine->wmi->smbiosTables;
  ASSERT_EQ(tables.size(), 3u);
  EXPECT_EQ(tables[0], Bytes({0, 5, 0, 0, 1, 'V', 'e', 'x', 'a', ' ', 'B', 0, 0}));
  EXPECT_EQ(tables[1], Bytes({0x7F, 4, 0, 0, 0, 0}));
  EXPECT_TRUE(tables[2].empty());

  ASSERT_TRUE(machine->wmi->bios);
  const auto& bios = *machine->wmi->bios;
  EXPECT_EQ(bios.transferSize, 64);
  ASSERT_EQ(bios.functions.size(), 3u);
  EXPECT_EQ(bios.functions[0].functionClass, 4);
  EXPECT_EQ(bios.functions[0].selector, 1);
  EXPECT_TRUE(bios.functions[0].args.empty());
  EXPECT_EQ(bios.functions[0].results, (std::array<std::uint32_t, 3>{1, 2, 3}));
  EXPECT_EQ(bios.functions[1].args, (std::vector<std::uint32_t>{1, 0xFFFFFFFFu}));
  EXPECT_EQ(bios.functions[1].status, -1);
  EXPECT_EQ(bios.functions[1].results, (std::array<std::uint32_t, 3>{7, 0, 0}));
  EXPECT_EQ(bios.functions[2].functionClass, 0xFFFF);
  EXPECT_EQ(bios.functions[2].status, 0);

  ASSERT_EQ(machine->devices.at("PCI").size(), 1u);
  EXPECT_EQ(machine->devices.at("PCI")[0],
            "PCI\\VEN_8086&DEV_10F5&SUBSYS_5A621F7A&REV_03\\3&21436425&0&C8");
  EXPECT_TRUE(machine->devices.at("USB").empty());
  EXPECT_EQ(machine->notPresentDevices,
            (qv::machine::DeviceList{{"USB", {"USB\\VID_2E9C&PID_4A10\\5&2D8F3A2B&0&3"}}}));

  ASSERT_EQ(machine->registry.size(), 1u) << "key paths compare case-insensitively";
  const auto& key = machine->registry.at("SOFTWARE\\Vexa\\QuickView");
  EXPECT_EQ(key.at("path").type, 1u);
  const std::string path = "C:\\Program Files\\QV";
  std::vector<std::uint8_t> text(path.begin(), path.end());
  text.push_back(0);
  EXPECT_EQ(key.at("Path").data, text);
  EXPECT_EQ(key.at("").data, Bytes({'d', 'e', 'f', 'a', 'u', 'l', 't', 0}));
  EXPECT_EQ(key.at("Count").type, 4u);
  EXPECT_EQ(key.at("Count").data, Bytes({2, 1, 0, 0}));
  EXPECT_EQ(key.at("Blob").type, 3u);
  EXPECT_EQ(key.at("Blob").data, Bytes({0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(key.at("Text").data, Bytes({'x', 0}));
  EXPECT_EQ(key.at("Extra").data, Bytes({'y', 0}));

  ASSERT_EQ(machine->faults.size(), 2u);
  EXPECT_EQ(machine->faults[0].call, "CryptAcquireContextA");
  EXPECT_EQ(machine->faults[0].occurrence, 1);
  EXPECT_EQ(machine->faults[1].occurrence, 0) << "no occurrence: every call fails";
}

TEST(MachineProfile, MinimalProfileGivesDefaults) {
  qv::test::TempDirectory dir;
  std::string error;
  auto machine = Load(dir, R"({"schema": 1})", &error);
  EXPECT_EQ(error, "");
  ExpectMachineWithNothing(*machine);

  machine = Load(dir, R"({"schema": 1, "wmi": {}, "os": {"major": 6}})", &error);
  EXPECT_EQ(error, "");
  ASSERT_TRUE(machine->wmi);
  EXPECT_TRUE(machine->wmi->smbiosTables.empty());
  EXPECT_FALSE(machine->wmi->bios);
  EXPECT_EQ(machine->os.major, 6u);
  EXPECT_EQ(machine->os.minor, 0u);

  machine = Load(dir, R"({"schema": 1, "wmi": {"bios": {}}})", &error);
  EXPECT_EQ(error, "");
  ASSERT_TRUE(machine->wmi && machine->wmi->bios);
  EXPECT_EQ(machine->wmi->bios->transferSize, 44);
  EXPECT_TRUE(machine->wmi->bios->functions.empty());
}

TEST(MachineProfile, UnusableProfilesGiveMachineWithNothing) {
  qv::test::TempDirectory dir;
  const std::string file = dir.File("machine.json");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{\"schema\": 1, \"wmi\": {}", "invalid JSON"},
      {"", "invalid JSON"},
      {"[1, 2]", "profile: expected an object"},
      {R"({"os": {"major": 5}})", "schema: missing"},
      {R"({"schema": 2, "wmi": {}})", "schema: expected 1"},
      {R"({"schema": "1", "wmi": {}})", "schema: expected 1"},
      {R"({"schema": 1.0, "wmi": {}})", "schema: expected 1"},
  };
  for (const auto& [text, expected] : cases) {
    std::string error;
    const auto machine = Load(dir, text, &error);
    ASSERT_TRUE(machine);
    EXPECT_EQ(error.rfind(file + ": " + expected, 0), 0u) << text << " -> " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    ExpectMachineWithNothing(*machine);
  }

  std::string error;
  const auto missing = LoadProfile(dir.File("absent.json"), &error);
  ASSERT_TRUE(missing);
  EXPECT_EQ(error, dir.File("absent.json") + ": cannot read: No such file or directory");
  ExpectMachineWithNothing(*missing);

  const auto directory = LoadProfile(dir.Path(), &error);
  EXPECT_EQ(error, dir.Path() + ": cannot read: Is a directory");
  ExpectMachineWithNothing(*directory);

  const auto endless = LoadProfile("/dev/zero", &error);
  EXPECT_EQ(error, "/dev/zero: cannot read: larger than 64 MiB");
  ExpectMachineWithNothing(*endless);

  EXPECT_TRUE(LoadProfile(dir.File("absent.json"), nullptr)) << "the message is optional";
}

}  // namespace
