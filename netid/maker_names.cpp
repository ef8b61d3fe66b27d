#include "netid/maker_names.h"

#include <initializer_list>

#include "netid/adapter_tables.h"
#include "netid/manufacturer_id.h"

namespace qv::netid {
namespace {

std::string ModemMaker(const char* which, std::initializer_list<const char*> productIds) {
  std::string name = std::string(which) + " modem maker (";
  const char* separator = "";
  for (const char* id : productIds) {
    name += separator;
    name += id;
    separator = ", ";
  }
  return name + ")";
}

}  // namespace

std::string LANMakerName(int code) {
  if (code == kLANBroadcom) return "Broadcom";
  if (code == kLANIntel) return "Intel";
  return "";
}

std::string WLANMakerName(int code) {
  return code == kWLANBroadcom ? "Broadcom" : "";
}

std::string WWANMakerName(int code) {
  if (code == kWWANFirstMaker)
    return ModemMaker("first", {kWWANProductIDs[0], kWWANProductIDs[1], kWWANProductIDs[2]});
  if (code == kWWANSecondMaker) return ModemMaker("second", {kWWANProductIDs[3]});
  return "";
}

}  // namespace qv::netid
