// Malformed keys: one message naming the file and the key, and the machine goes without the
// facility whose key was malformed while keeping the others.
#include <gtest/gtest.h>

#include <functional>

#include "machine/machine.h"
#include "tests/support/temp_directory.h"

namespace {

using qv::machine::LoadProfile;
using qv::machine::Machine;

// Facilities that stay intact while one section is broken.
constexpr const char* kOtherSections = R"(
  "os": {"major": 6, "minor": 1},
  "power": {"acLineStatus": 1},
  "wmi": {"smbios": ["7F 04 00 00 00 00"], "bios": {"transferSize": 44}},
  "devices": {"PCI": ["PCI\\VEN_14E4&DEV_4727"]},
  "registry": {"HKLM\\Software\\Vexa": {"A": "b"}},
  "faults": [{"call": "CoInitializeEx"}])";

struct Case {
  std::string section;  // replaced by `json`
  std::string json;
  std::string message;  // after "<file>: "
};

std::string ProfileWith(const Case& broken) {
  std::string text = std::string("{\"schema\": 1,") + kOtherSections + "}";
  const std::string key = "\"" + broken.section + "\": ";
  const auto start = text.find(key);
  const auto end =
      text.find('\n', start) == std::string::npos ? text.size() - 1 : text.find('\n', start);
  const bool last = text.compare(end - 1, 1, ",") != 0;
  text.replace(start, end - start, key + broken.json + (last ? "" : ","));
  return text;
}

bool HasFacility(const Machine& machine, const std::string& section) {
  if (section == "os") return machine.os.major == 6;
  if (section == "power") return machine.acLineStatus.has_value();
  if (section == "wmi") return machine.wmi.has_value();
  if (section == "devices") return !machine.devices.empty();
  if (section == "registry") return !machine.registry.empty();
  return !machine.faults.empty();
}

void ExpectBroken(const Case& broken) {
  qv::test::TempDirectory dir;
  dir.Write("m.json", ProfileWith(broken));
  std::string error;
  const auto machine = LoadProfile(dir.File("m.json"), &error);
  ASSERT_TRUE(machine);
  EXPECT_EQ(error, dir.File("m.json") + ": " + broken.message) << broken.json;
  for (const char* section : {"os", "power", "wmi", "devices", "registry", "faults"}) {
    EXPECT_EQ(HasFacility(*machine, section), section != broken.section)
        << broken.json << " / " << section;
  }
}

TEST(MachineProfileMalformed, SmallSections) {
  const std::vector<Case> cases = {
      {"os", R"([5, 1])", "os: expected an object"},
      {"os", R"({"minor": 1})", "os.major: missing"},
      {"os", R"({"major": "5"})", "os.major: expected an integer"},
      {"os", R"({"major": 5, "minor": -1})", "os.minor: expected an integer from 0 to 4294967295"},
      {"power", R"({"acLineStatus": 2})", "power.acLineStatus: expected 0, 1 or 255"},
      {"power", R"({"acLineStatus": true})", "power.acLineStatus: expected 0, 1 or 255"},
      {"power", R"({})", "power.acLineStatus: missing"},
      {"devices", R"({"PCI": "PCI\\VEN_1"})", "devices.PCI: expected an array"},
      {"devices", R"({"USB": ["ok", 5]})", "devices.USB[1]: expected a string"},
      {"devices", R"({"PCI": ["a"], "notPresent": ["b"]})",
       "devices.notPresent: expected an object"},
      {"devices", R"({"PCI": ["a"], "notPresent": {"USB": [1]}})",
       "devices.notPresent.USB[0]: expected a string"},
      {"faults", R"({"call": "X"})", "faults: expected an array"},
      {"faults", R"([{"occurrence": 1}])", "faults[0].call: missing"},
      {"faults", R"([{"call": ""}])", "faults[0].call: expected a function name"},
      {"faults", R"([{"call": "A"}, {"call": "B", "occurrence": -1}])",
       "faults[1].occurrence: expected an integer from 0 to 2147483647"},
  };
  for (const auto& broken : cases) ExpectBroken(broken);
}

TEST(MachineProfileMalformed, WmiSection) {
  const std::vector<Case> cases = {
      {"wmi", R"("yes")", "wmi: expected an object"},
      {"wmi", R"({"smbios": "00"})", "wmi.smbios: expected an array"},
      {"wmi", R"({"smbios": ["00 11", "0G"]})", "wmi.smbios[1]: expected hex digits"},
      {"wmi", R"({"smbios": ["001"]})", "wmi.smbios[0]: expected an even number of hex digits"},
      {"wmi", R"({"smbios": [7]})", "wmi.smbios[0]: expected a string"},
      {"wmi", R"({"bios": {"transferSize": "44"}})", "wmi.bios.transferSize: expected an integer"},
      {"wmi", R"({"bios": {"transferSize": 4294967296}})",
       "wmi.bios.transferSize: expected an integer from -2147483648 to 2147483647"},
      {"wmi", R"({"bios": {"functions": {}}})", "wmi.bios.functions: expected an array"},
      {"wmi", R"({"bios": {"functions": [{"selector": 1}]}})",
       "wmi.bios.functions[0].class: missing"},
      {"wmi",
       R"({"bios": {"functions": [{"class": 4, "selector": 1}, {"class": 65536, "selector": 1}]}})",
       "wmi.bios.functions[1].class: expected an integer from 0 to 65535"},
      {"wmi", R"({"bios": {"functions": [{"class": 4, "selector": 1.5}]}})",
       "wmi.bios.functions[0].selector: expected an integer"},
      {"wmi", R"({"bios": {"functions": [{"class": 4, "selector": 1, "args": [1,2,3,4,5]}]}})",
       "wmi.bios.functions[0].args: expected at most 4 numbers"},
      {"wmi", R"({"bios": {"functions": [{"class": 4, "selector": 1, "args": [-1]}]}})",
       "wmi.bios.functions[0].args[0]: expected an integer from 0 to 4294967295"},
      {"wmi", R"({"bios": {"functions": [{"class": 4, "selector": 1, "results": [1,2,3,4]}]}})",
       "wmi.bios.functions[0].results: expected at most 3 numbers"},
      {"wmi", R"({"bios": {"functions": [{"class": 4, "selector": 1, "status": 2147483648}]}})",
       "wmi.bios.functions[0].status: expected an integer from -2147483648 to 2147483647"},
  };
  for (const auto& broken : cases) ExpectBroken(broken);
}

TEST(MachineProfileMalformed, RegistrySection) {
  const std::vector<Case> cases = {
      {"registry", R"([])", "registry: expected an object"},
      {"registry", R"({"HKCU\\Software": {}})",
       R"(registry.HKCU\Software: expected a key path beginning with "HKLM\")"},
      {"registry", R"({"HKLM\\": {}})",
       R"(registry.HKLM\: expected a key path beginning with "HKLM\")"},
      {"registry", R"({"HKLM\\S": "text"})", R"(registry.HKLM\S: expected an object)"},
      {"registry", R"({"HKLM\\S": {"V": 5}})",
       R"(registry.HKLM\S.V: expected a string or an object with "type")"},
      {"registry", R"({"HKLM\\S": {"V": {"data": 5}}})", R"(registry.HKLM\S.V.type: missing)"},
      {"registry", R"({"HKLM\\S": {"V": {"type": "REG_QWORD", "data": 5}}})",
       R"(registry.HKLM\S.V.type: expected REG_SZ, REG_DWORD or REG_BINARY)"},
      {"registry", R"({"HKLM\\S": {"V": {"type": "REG_DWORD", "data": 4294967296}}})",
       R"(registry.HKLM\S.V.data: expected an integer from 0 to 4294967295)"},
      {"registry", R"({"HKLM\\S": {"V": {"type": "REG_DWORD"}}})",
       R"(registry.HKLM\S.V.data: missing)"},
      {"registry", R"({"HKLM\\S": {"V": {"type": "REG_BINARY", "hex": "zz"}}})",
       R"(registry.HKLM\S.V.hex: expected hex digits)"},
      {"registry", R"({"HKLM\\S": {"V": {"type": "REG_SZ", "data": 1}}})",
       R"(registry.HKLM\S.V.data: expected a string)"},
  };
  for (const auto& broken : cases) ExpectBroken(broken);
}

TEST(MachineProfileMalformed, UnknownKeysAreReportedAndIgnored) {
  qv::test::TempDirectory dir;
  dir.Write("m.json", R"({"schema": 1, "power": {"acLineStatus": 1, "battery": 5},
    "wmi": {"bios": {"transfersize": 10}}, "extras": {"x": 1}})");
  std::string error;
  const auto machine = LoadProfile(dir.File("m.json"), &error);
  const std::string file = dir.File("m.json");
  EXPECT_NE(error.find(file + ": extras: unknown key, ignored"), std::string::npos) << error;
  EXPECT_NE(error.find(file + ": power.battery: unknown key, ignored"), std::string::npos);
  EXPECT_NE(error.find(file + ": wmi.bios.transfersize: unknown key, ignored"), std::string::npos);
  EXPECT_EQ(error.find('\n'), std::string::npos);
  EXPECT_EQ(machine->acLineStatus, std::optional<std::uint8_t>(1));
  ASSERT_TRUE(machine->wmi && machine->wmi->bios);
  EXPECT_EQ(machine->wmi->bios->transferSize, 44);
}

TEST(MachineProfileMalformed, SeveralBrokenSectionsAreAllReported) {
  qv::test::TempDirectory dir;
  dir.Write("m.json", R"({"schema": 1, "power": {"acLineStatus": 7}, "wmi": 3,
    "devices": {"PCI": ["a"]}})");
  std::string error;
  const auto machine = LoadProfile(dir.File("m.json"), &error);
  const std::string file = dir.File("m.json");
  EXPECT_EQ(error, file + ": power.acLineStatus: expected 0, 1 or 255; " + file +
                       ": wmi: expected an object");
  EXPECT_FALSE(machine->acLineStatus);
  EXPECT_FALSE(machine->wmi);
  EXPECT_EQ(machine->devices.at("PCI").size(), 1u);
}

}  // namespace
