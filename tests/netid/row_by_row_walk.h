// The reference the snapshot search is checked against: the row-first search as one complete
// walk of the device set per row, each walk fetching and matching device by device and ending
// at the first match or at the first instance ID that cannot be fetched.
#pragma once

#include <new>

#include "netid/adapter_tables.h"
#include "netid/device_snapshot.h"
#include "netid/hardware_id_match.h"
#include "win/scoped_heap_block.h"
#include "winapi/win32.h"

namespace qv::netid::testing {

inline bool ReferenceIsDevicePresent(const char* enumerator, QVString pattern) {
  constexpr DWORD kInstanceIdChars = 260;
  const qv::win::ScopedDeviceInfoSet devices = OpenPresentDevices(enumerator);
  if (!devices.IsValid()) return false;
  qv::win::ScopedHeapBlock recordBlock(sizeof(SP_DEVINFO_DATA));
  if (recordBlock.Get() == nullptr) return false;
  auto* record = new (recordBlock.Get()) SP_DEVINFO_DATA{};
  record->cbSize = sizeof(SP_DEVINFO_DATA);
  pattern.MakeUpper();
  char instanceId[kInstanceIdChars];
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, record); ++index) {
    DWORD requiredSize = 0;
    if (!SetupDiGetDeviceInstanceIdA(devices.Get(), record, instanceId, kInstanceIdChars,
                                     &requiredSize))
      return false;
    QVString id(instanceId);
    id.MakeUpper();
    if (id.Find(pattern.GetWide(), 0) != -1) return true;
  }
  return false;
}

inline QVString ReferenceRowByRowSearch(const PatternTable& table, const char* enumerator) {
  for (const QVString& row : table) {
    if (row.IsEmpty()) break;
    if (ReferenceIsDevicePresent(enumerator, row)) return row;
  }
  return QVString();
}

}  // namespace qv::netid::testing
