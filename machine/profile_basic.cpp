// The small sections of a machine profile: "os", "power", "devices" and "faults".
#include <limits>

#include "machine/profile_sections.h"

namespace qv::machine::profile {
namespace {

constexpr std::int64_t kUint32Max = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();

template <typename T>
std::optional<T> UnlessFailed(const ProfileReader& reader, int failuresBefore, T value) {
  if (reader.Failures() != failuresBefore) return std::nullopt;
  return value;
}

std::optional<std::vector<std::string>> ReadStringList(const Json& value, const std::string& key,
                                                       ProfileReader& reader) {
  if (!reader.Array(value, key)) return std::nullopt;
  std::vector<std::string> strings;
  for (std::size_t i = 0; i < value.size(); ++i) {
    auto text = reader.String(value[i], Element(key, i));
    if (!text) return std::nullopt;
    strings.push_back(std::move(*text));
  }
  return strings;
}

// The "PCI" and "USB" lists of one object of instance IDs; false when one is malformed.
bool ReadDeviceLists(const Json& value, const std::string& key, ProfileReader& reader,
                     DeviceList& lists) {
  for (const char* enumerator : {"PCI", "USB"}) {
    if (!value.contains(enumerator)) continue;
    auto ids = ReadStringList(value[enumerator], Member(key, enumerator), reader);
    if (!ids) return false;
    lists[enumerator] = std::move(*ids);
  }
  return true;
}

std::optional<FaultSpec> ReadFault(const Json& value, const std::string& key,
                                   ProfileReader& reader) {
  if (!reader.Object(value, key)) return std::nullopt;
  reader.CheckKeys(value, key, {"call", "occurrence"});
  FaultSpec fault;
  if (!value.contains("call")) {
    reader.Fail(Member(key, "call"), "missing");
    return std::nullopt;
  }
  auto call = reader.String(value["call"], Member(key, "call"));
  if (!call) return std::nullopt;
  if (call->empty()) {
    reader.Fail(Member(key, "call"), "expected a function name");
    return std::nullopt;
  }
  fault.call = std::move(*call);
  if (value.contains("occurrence")) {
    auto occurrence = reader.Integer(value["occurrence"], Member(key, "occurrence"), 0, kIntMax);
    if (!occurrence) return std::nullopt;
    fault.occurrence = static_cast<int>(*occurrence);
  }
  return fault;
}

}  // namespace

std::optional<OsVersion> ReadOs(const Json& value, ProfileReader& reader) {
  const int before = reader.Failures();
  if (!reader.Object(value, "os")) return std::nullopt;
  reader.CheckKeys(value, "os", {"major", "minor"});
  OsVersion os;
  if (!value.contains("major")) {
    reader.Fail("os.major", "missing");
  } else if (auto major = reader.Integer(value["major"], "os.major", 0, kUint32Max)) {
    os.major = static_cast<std::uint32_t>(*major);
  }
  os.minor = 0;
  if (value.contains("minor")) {
    if (auto minor = reader.Integer(value["minor"], "os.minor", 0, kUint32Max)) {
      os.minor = static_cast<std::uint32_t>(*minor);
    }
  }
  return UnlessFailed(reader, before, os);
}

std::optional<std::uint8_t> ReadPower(const Json& value, ProfileReader& reader) {
  if (!reader.Object(value, "power")) return std::nullopt;
  reader.CheckKeys(value, "power", {"acLineStatus"});
  if (!value.contains("acLineStatus")) {
    reader.Fail("power.acLineStatus", "missing");
    return std::nullopt;
  }
  const Json& status = value["acLineStatus"];
  const bool valid = status.is_number_integer() && (status == 0 || status == 1 || status == 255);
  if (!valid) {
    reader.Fail("power.acLineStatus", "expected 0, 1 or 255");
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(status.get<int>());
}

std::optional<Devices> ReadDevices(const Json& value, ProfileReader& reader) {
  if (!reader.Object(value, "devices")) return std::nullopt;
  reader.CheckKeys(value, "devices", {"PCI", "USB", "notPresent"});
  Devices devices;
  if (!ReadDeviceLists(value, "devices", reader, devices.present)) return std::nullopt;
  if (value.contains("notPresent")) {
    const Json& notPresent = value["notPresent"];
    const std::string key = Member("devices", "notPresent");
    if (!reader.Object(notPresent, key)) return std::nullopt;
    reader.CheckKeys(notPresent, key, {"PCI", "USB"});
    if (!ReadDeviceLists(notPresent, key, reader, devices.notPresent)) return std::nullopt;
  }
  return devices;
}

std::optional<std::vector<FaultSpec>> ReadFaults(const Json& value, ProfileReader& reader) {
  if (!reader.Array(value, "faults")) return std::nullopt;
  std::vector<FaultSpec> faults;
  for (std::size_t i = 0; i < value.size(); ++i) {
    auto fault = ReadFault(value[i], Element("faults", i), reader);
    if (!fault) return std::nullopt;
    faults.push_back(std::move(*fault));
  }
  return faults;
}

}  // namespace qv::machine::profile
