// The "wmi" section of a machine profile: raw SMBIOS tables and the BIOS behind the ACPI-WMI
// mapper. Any malformed part drops the whole section, so the machine has no WMI.
#include <limits>

#include "machine/profile_sections.h"

namespace qv::machine::profile {
namespace {

constexpr std::int64_t kUint16Max = std::numeric_limits<std::uint16_t>::max();
constexpr std::int64_t kUint32Max = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kArgumentCount = 4;

// An array of at most `limit` unsigned 32-bit numbers.
std::optional<std::vector<std::uint32_t>> ReadWords(const Json& value, const std::string& key,
                                                    std::size_t limit, ProfileReader& reader) {
  if (!reader.Array(value, key)) return std::nullopt;
  if (value.size() > limit) {
    reader.Fail(key, "expected at most " + std::to_string(limit) + " numbers");
    return std::nullopt;
  }
  std::vector<std::uint32_t> words;
  for (std::size_t i = 0; i < value.size(); ++i) {
    auto word = reader.Integer(value[i], Element(key, i), 0, kUint32Max);
    if (!word) return std::nullopt;
    words.push_back(static_cast<std::uint32_t>(*word));
  }
  return words;
}

// Reads the integer member `name` into `out`; false, after reporting it, when it is missing
// or malformed.
template <typename T>
bool ReadIntegerMember(const Json& object, const std::string& key, const char* name,
                       std::int64_t minimum, std::int64_t maximum, ProfileReader& reader, T* out) {
  if (!object.contains(name)) {
    reader.Fail(Member(key, name), "missing");
    return false;
  }
  auto number = reader.Integer(object[name], Member(key, name), minimum, maximum);
  if (number) *out = static_cast<T>(*number);
  return number.has_value();
}

std::optional<BiosFunction> ReadFunction(const Json& value, const std::string& key,
                                         ProfileReader& reader) {
  if (!reader.Object(value, key)) return std::nullopt;
  reader.CheckKeys(value, key, {"class", "selector", "args", "status", "results"});
  BiosFunction function;
  if (!ReadIntegerMember(value, key, "class", 0, kUint16Max, reader, &function.functionClass) ||
      !ReadIntegerMember(value, key, "selector", 0, kUint16Max, reader, &function.selector)) {
    return std::nullopt;
  }
  if (value.contains("status") &&
      !ReadIntegerMember(value, key, "status", kInt32Min, kInt32Max, reader, &function.status)) {
    return std::nullopt;
  }
  if (value.contains("args")) {
    auto args = ReadWords(value["args"], Member(key, "args"), kArgumentCount, reader);
    if (!args) return std::nullopt;
    function.args = std::move(*args);
  }
  if (value.contains("results")) {
    const auto resultsKey = Member(key, "results");
    auto results = ReadWords(value["results"], resultsKey, function.results.size(), reader);
    if (!results) return std::nullopt;
    std::copy(results->begin(), results->end(), function.results.begin());
  }
  return function;
}

std::optional<Bios> ReadBios(const Json& value, ProfileReader& reader) {
  const std::string key = "wmi.bios";
  if (!reader.Object(value, key)) return std::nullopt;
  reader.CheckKeys(value, key, {"transferSize", "functions"});
  Bios bios;
  if (value.contains("transferSize") && !ReadIntegerMember(value, key, "transferSize", kInt32Min,
                                                           kInt32Max, reader, &bios.transferSize)) {
    return std::nullopt;
  }
  if (!value.contains("functions")) return bios;
  const std::string functionsKey = Member(key, "functions");
  const Json& functions = value["functions"];
  if (!reader.Array(functions, functionsKey)) return std::nullopt;
  for (std::size_t i = 0; i < functions.size(); ++i) {
    auto function = ReadFunction(functions[i], Element(functionsKey, i), reader);
    if (!function) return std::nullopt;
    bios.functions.push_back(std::move(*function));
  }
  return bios;
}

std::optional<std::vector<std::vector<std::uint8_t>>> ReadTables(const Json& value,
                                                                 ProfileReader& reader) {
  const std::string key = "wmi.smbios";
  if (!reader.Array(value, key)) return std::nullopt;
  std::vector<std::vector<std::uint8_t>> tables;
  for (std::size_t i = 0; i < value.size(); ++i) {
    auto table = reader.Hex(value[i], Element(key, i));
    if (!table) return std::nullopt;
    tables.push_back(std::move(*table));
  }
  return tables;
}

}  // namespace

std::optional<Wmi> ReadWmi(const Json& value, ProfileReader& reader) {
  if (!reader.Object(value, "wmi")) return std::nullopt;
  reader.CheckKeys(value, "wmi", {"smbios", "bios"});
  Wmi wmi;
  if (value.contains("smbios")) {
    auto tables = ReadTables(value["smbios"], reader);
    if (!tables) return std::nullopt;
    wmi.smbiosTables = std::move(*tables);
  }
  if (value.contains("bios")) {
    auto bios = ReadBios(value["bios"], reader);
    if (!bios) return std::nullopt;
    wmi.bios = std::move(*bios);
  }
  return wmi;
}

}  // namespace qv::machine::profile
