#include "tools/qvtool/output/decode_names.h"

#include <map>

#include "devicemask/device_mask_lookup.h"
#include "devicemask/line_codes.h"
#include "netid/adapter_tables.h"
#include "netid/manufacturer_id.h"

namespace qvtool {
namespace {

std::string ProbeRow(int functionClass, int selector) {
  return "BIOS function class " + std::to_string(functionClass) + ", selector " +
         std::to_string(selector) + " exists";
}

const std::map<int, std::string>& CapabilityNames() {
  static const std::map<int, std::string> names = {
      {1, ProbeRow(4, 1)},
      {2, ProbeRow(4, 2)},
      {3, ProbeRow(4, 7)},
      {4, ProbeRow(8, 1)},
      {5, ProbeRow(17, 0)},
      {6, ProbeRow(17, 1)},
      {7, ProbeRow(17, 2)},
      {8, ProbeRow(17, 6)},
      {9, ProbeRow(17, 7)},
      {10, "record created (cleared on platform B)"},
      {11, ProbeRow(17, 10)},
      {12, ProbeRow(17, 11)},
      {13, "class 17/11 flag bit 0"},
      {14, "class 17/11 flag bit 1"},
      {15, "class 17/11 flag bit 2"},
      {16, "class 17/11 flag bit 3"},
      {17, "class 17/11 flag bit 4"},
      {18, "class 17/11 flag bit 5"},
      {19, ProbeRow(17, 12)},
      {20, "platform A"},
      {21, "platform B, class 4/7 reports availability"},
      {23, "feature word bit 0x02"},
      {24, "feature word bit 0x04"},
      {25, "feature word bit 0x08 without 0x10"},
      {26, "feature word bits 0x08 and 0x10"},
      {27, "feature word bit 0x20 (device-mask bit 3 on platform D)"},
      {28, "feature word bit 0x40"},
      {29, "BIOS flag: a Vexa BIOS"},
      {30, "maker flag: a Vexa machine"},
      {31, "platform C"},
      {32, "token 0x01FB or 0x01FA active"},
  };
  return names;
}

std::string Lookup(const std::map<int, std::string>& names, int code) {
  const auto found = names.find(code);
  return found != names.end() ? found->second : "unknown code " + std::to_string(code);
}

}  // namespace

std::string CapabilityBitName(int bit) {
  const auto found = CapabilityNames().find(bit);
  return found != CapabilityNames().end() ? found->second : "";
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
