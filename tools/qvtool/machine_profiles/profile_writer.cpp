#include "tools/qvtool/machine_profiles/profile_writer.h"

namespace qvtool {
namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

// Bytes as hexadecimal pairs separated by spaces.
std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

Json BiosJson(const qv::machine::Bios& bios) {
  Json functions = Json::array();
  for (const qv::machine::BiosFunction& function : bios.functions) {
    Json entry{{"class", function.functionClass}, {"selector", function.selector}};
    if (!function.args.empty()) entry["args"] = function.args;
    entry["status"] = function.status;
    entry["results"] = function.results;
    functions.push_back(entry);
  }
  return Json{{"transferSize", bios.transferSize}, {"functions", functions}};
}

Json WmiJson(const qv::machine::Wmi& wmi) {
  Json tables = Json::array();
  for (const auto& table : wmi.smbiosTables) tables.push_back(HexBytes(table));
  Json result{{"smbios", tables}};
  if (wmi.bios) result["bios"] = BiosJson(*wmi.bios);
  return result;
}

// REG_SZ as plain text, REG_DWORD as a number, anything else as REG_BINARY bytes.
Json RegistryValueJson(const qv::machine::RegistryValue& value) {
  const std::vector<std::uint8_t>& data = value.data;
  if (value.type == kRegSz) {
    const std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
  }
  if (value.type == kRegDword && data.size() == 4) {
    const std::uint32_t number =
        data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    return Json{{"type", "REG_DWORD"}, {"data", number}};
  }
  return Json{{"type", "REG_BINARY"}, {"hex", HexBytes(data)}};
}

Json RegistryJson(const qv::machine::Registry& registry) {
  Json keys = Json::object();
  for (const auto& [path, values] : registry) {
    Json key = Json::object();
    for (const auto& [name, value] : values) key[name] = RegistryValueJson(value);
    keys["HKLM\\" + path] = key;
  }
  return keys;
}

}  // namespace

Json ProfileJson(const qv::machine::Machine& machine) {
  Json profile{{"schema", 1}, {"os", {{"major", machine.os.major}, {"minor", machine.os.minor}}}};
  if (machine.acLineStatus) profile["power"] = {{"acLineStatus", *machine.acLineStatus}};
  if (machine.wmi) profile["wmi"] = WmiJson(*machine.wmi);
  Json devices = Json::object();
  for (const auto& [enumerator, ids] : machine.devices) devices[enumerator] = ids;
  if (!machine.notPresentDevices.empty()) {
    Json notPresent = Json::object();
    for (const auto& [enumerator, ids] : machine.notPresentDevices) notPresent[enumerator] = ids;
    devices["notPresent"] = notPresent;
  }
  profile["devices"] = devices;
  if (!machine.registry.empty()) profile["registry"] = RegistryJson(machine.registry);
  if (!machine.faults.empty()) {
    Json faults = Json::array();
    for (const auto& fault : machine.faults) {
      faults.push_back({{"call", fault.call}, {"occurrence", fault.occurrence}});
    }
    profile["faults"] = faults;
  }
  return profile;
}

}  // namespace qvtool
