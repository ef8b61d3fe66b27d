#include "tools/qvtool/output/decode_names.h"

#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "devicemask/status_text.h"
#include "netid/maker_names.h"
#include "netid/manufacturer_id.h"
#include "platform/capability_bits.h"

namespace qvtool {
namespace {

// A maker's name; "not identified" or "unknown code N" for a code that names none.
std::string MakerOrWhy(const std::string& name, int code) {
  if (!name.empty()) return name;
  return code == qv::netid::kNotIdentified ? "not identified"
                                           : "unknown code " + std::to_string(code);
}

}  // namespace

std::string CapabilityBitName(int bit) {
  for (const qv::platform::CapabilityBit& row : qv::platform::kCapabilityBits)
    if (row.bit == bit) return row.setWhen;
  return "";
}

std::string DeviceMaskStatusName(int status) {
  const char* text = qv::devicemask::StatusText(status);
  return text != nullptr ? text : "unknown code " + std::to_string(status);
}

std::string LineCodeName(int number) {
  const char* code = qv::devicemask::LineCodeText(number);
  if (code == nullptr) return "none";
  if (number == qv::devicemask::kTorvaneLine) return std::string(code) + " (Torvane)";
  return code;
}

std::string LANMakerName(int code) {
  return MakerOrWhy(qv::netid::LANMakerName(code), code);
}

std::string WLANMakerName(int code) {
  return MakerOrWhy(qv::netid::WLANMakerName(code), code);
}

std::string WWANMakerName(int code) {
  return MakerOrWhy(qv::netid::WWANMakerName(code), code);
}

}  // namespace qvtool
