#include "tools/qvtool/output/decode_names.h"

#include <map>

#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "netid/adapter_tables.h"
#include "netid/manufacturer_id.h"
#include "platform/capability_bits.h"

namespace qvtool {
namespace {

std::string Lookup(const std::map<int, std::string>& names, int code) {
  const auto found = names.find(code);
  return found != names.end() ? found->second : "unknown code " + std::to_string(code);
}

}  // namespace

std::string CapabilityBitName(int bit) {
  for (const qv::platform::CapabilityBit& row : qv::platform::kCapabilityBits)
    if (row.bit == bit) return row.setWhen;
  return "";
}

std::string DeviceMaskStatusName(int status) {
  using namespace qv::devicemask;
  static const std::map<int, std::string> names = {
      {kStatusCannotOpen, "the list file cannot be opened"},
      {kStatusShortRead, "fewer bytes could be read than the file holds"},
      {kStatusNotDecrypted, "the list file does not decrypt with the pass phrase"},
      {kStatusNotFound, "no line of the list starts with the system ID"},
      {kStatusRecordTruncated, "the system ID's record ends before its line code"},
  };
  return Lookup(names, status);
}

std::string LineCodeName(int number) {
  const char* code = qv::devicemask::LineCodeText(number);
  if (code == nullptr) return "none";
  if (number == qv::devicemask::kTorvaneLine) return std::string(code) + " (Torvane)";
  return code;
}

std::string LANMakerName(int code) {
  static const std::map<int, std::string> names = {
      {qv::netid::kLANBroadcom, "Broadcom"},
      {qv::netid::kLANIntel, "Intel"},
      {qv::netid::kNotIdentified, "not identified"},
  };
  return Lookup(names, code);
}

std::string WLANMakerName(int code) {
  static const std::map<int, std::string> names = {
      {qv::netid::kWLANBroadcom, "Broadcom"},
      {qv::netid::kNotIdentified, "not identified"},
  };
  return Lookup(names, code);
}

std::string WWANMakerName(int code) {
  const auto* ids = qv::netid::kWWANProductIDs;
  static const std::map<int, std::string> names = {
      {qv::netid::kWWANFirstMaker,
       std::string("first modem maker (") + ids[0] + ", " + ids[1] + ", " + ids[2] + ")"},
      {qv::netid::kWWANSecondMaker, std::string("second modem maker (") + ids[3] + ")"},
      {qv::netid::kNotIdentified, "not identified"},
  };
  return Lookup(names, code);
}

}  // namespace qvtool
