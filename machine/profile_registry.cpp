// The "registry" section of a machine profile: keys below HKEY_LOCAL_MACHINE and their values.
#include <strings.h>
#include <limits>

#include "machine/profile_sections.h"

namespace qv::machine::profile {
namespace {

constexpr std::string_view kRootPrefix = "HKLM\\";
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::int64_t kUint32Max = std::numeric_limits<std::uint32_t>::max();

RegistryValue TextValue(const std::string& text) {
  RegistryValue value;
  value.type = kRegSz;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  return value;
}

RegistryValue DwordValue(std::uint32_t number) {
  RegistryValue value;
  value.type = kRegDword;
  for (int shift = 0; shift < 32; shift += 8) {
    value.data.push_back(static_cast<std::uint8_t>(number >> shift));
  }
  return value;
}

// {"type": "REG_SZ", "data": "text"}, {"type": "REG_DWORD", "data": 5} or
// {"type": "REG_BINARY", "hex": "01 02"}.
std::optional<RegistryValue> ReadTypedValue(const Json& value, const std::string& key,
                                            ProfileReader& reader) {
  const std::string typeKey = Member(key, "type");
  if (!value.contains("type")) {
    reader.Fail(typeKey, "missing");
    return std::nullopt;
  }
  const auto type = reader.String(value["type"], typeKey);
  if (!type) return std::nullopt;
  const char* payload = *type == "REG_BINARY" ? "hex" : "data";
  if (*type != "REG_SZ" && *type != "REG_DWORD" && *type != "REG_BINARY") {
    reader.Fail(typeKey, "expected REG_SZ, REG_DWORD or REG_BINARY");
    return std::nullopt;
  }
  reader.CheckKeys(value, key, {"type", payload});
  if (!value.contains(payload)) {
    reader.Fail(Member(key, payload), "missing");
    return std::nullopt;
  }
  const Json& data = value[payload];
  const std::string dataKey = Member(key, payload);
  if (*type == "REG_SZ") {
    auto text = reader.String(data, dataKey);
    return text ? std::optional<RegistryValue>(TextValue(*text)) : std::nullopt;
  }
  if (*type == "REG_DWORD") {
    auto number = reader.Integer(data, dataKey, 0, kUint32Max);
    if (!number) return std::nullopt;
    return DwordValue(static_cast<std::uint32_t>(*number));
  }
  auto bytes = reader.Hex(data, dataKey);
  if (!bytes) return std::nullopt;
  return RegistryValue{kRegBinary, std::move(*bytes)};
}

std::optional<RegistryValue> ReadValue(const Json& value, const std::string& key,
                                       ProfileReader& reader) {
  if (value.is_string()) return TextValue(value.get<std::string>());
  if (value.is_object()) return ReadTypedValue(value, key, reader);
  reader.Fail(key, "expected a string or an object with \"type\"");
  return std::nullopt;
}

std::optional<std::string> KeyPath(const std::string& name, ProfileReader& reader) {
  const std::string key = Member("registry", name);
  const bool rooted = name.size() > kRootPrefix.size() &&
                      strncasecmp(name.c_str(), kRootPrefix.data(), kRootPrefix.size()) == 0;
  if (!rooted) {
    reader.Fail(key, "expected a key path beginning with \"HKLM\\\"");
    return std::nullopt;
  }
  return name.substr(kRootPrefix.size());
}

std::optional<RegistryKey> ReadKey(const Json& value, const std::string& key,
                                   ProfileReader& reader) {
  if (!reader.Object(value, key)) return std::nullopt;
  RegistryKey values;
  for (const auto& item : value.items()) {
    auto entry = ReadValue(item.value(), Member(key, item.key()), reader);
    if (!entry) return std::nullopt;
    values[item.key()] = std::move(*entry);
  }
  return values;
}

}  // namespace

std::optional<Registry> ReadRegistry(const Json& value, ProfileReader& reader) {
  if (!reader.Object(value, "registry")) return std::nullopt;
  Registry registry;
  for (const auto& item : value.items()) {
    auto path = KeyPath(item.key(), reader);
    if (!path) return std::nullopt;
    auto values = ReadKey(item.value(), Member("registry", item.key()), reader);
    if (!values) return std::nullopt;
    auto& merged = registry[*path];
    for (auto& [name, entry] : *values) merged[name] = std::move(entry);
  }
  return registry;
}

}  // namespace qv::machine::profile
