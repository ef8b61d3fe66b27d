#include "netid/adapter_tables.h"
#include "netid/manufacturer_id.h"
#include "netid/row_first_search.h"

namespace qv::netid {

int IdentifyLANManufacturer() {
  const QVString matchedRow = FindFirstPresentRow(LANDeviceIDs(), "PCI");
  // Tested first: an empty (wide) result would "contain" a vendor text whose conversion failed.
  if (matchedRow.IsEmpty()) return kNotIdentified;
  if (matchedRow.Find("VEN_14E4", 0) != -1) return kLANBroadcom;
  if (matchedRow.Find("VEN_8086", 0) != -1) return kLANIntel;
  return kNotIdentified;
}

}  // namespace qv::netid
