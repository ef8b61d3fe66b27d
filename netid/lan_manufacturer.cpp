#include "netid/adapter_tables.h"
#include "netid/device_walk.h"
#include "netid/manufacturer_id.h"

namespace qv::netid {

int IdentifyLANManufacturer() {
  const QVString matchedRow = FindFirstPresentRow(LANDeviceIDs(), "PCI");
  if (matchedRow.Find("VEN_14E4", 0) != -1) return kLANBroadcom;
  if (matchedRow.Find("VEN_8086", 0) != -1) return kLANIntel;
  return kNotIdentified;
}

}  // namespace qv::netid
