#include "netid/adapter_tables.h"
#include "netid/manufacturer_id.h"
#include "netid/row_first_search.h"

namespace qv::netid {
namespace {

// Rows 1 to 3 are modems of the first maker, row 4 of the second.
constexpr int kFirstMakerRows = 3;

}  // namespace

int IdentifyWWANManufacturer() {
  const QVString matchedRow = FindFirstPresentRow(WWANDeviceIDs(), "USB");
  // Tested first: an empty (wide) result would "contain" a product id whose conversion failed.
  if (matchedRow.IsEmpty()) return kNotIdentified;
  for (int row = 0; row < kFirstMakerRows; ++row)
    if (matchedRow.Find(kWWANProductIDs[row], 0) != -1) return kWWANFirstMaker;
  if (matchedRow.Find(kWWANProductIDs[kFirstMakerRows], 0) != -1) return kWWANSecondMaker;
  return kNotIdentified;
}

}  // namespace qv::netid
