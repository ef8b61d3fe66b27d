#include "netid/row_first_search.h"

#include "netid/device_snapshot.h"

namespace qv::netid {

QVString FindFirstPresentRow(const PatternTable& table, const char* enumerator) {
  // A table with no row before its end marker never looks at the devices.
  if (table.empty() || table.front().IsEmpty()) return QVString();
  const DeviceSnapshot devices = DeviceSnapshot::Take(enumerator);
  for (const QVString& row : table) {
    if (row.IsEmpty()) break;
    if (devices.AnyContains(row)) return row;
  }
  return QVString();
}

}  // namespace qv::netid
