#include "netid/device_walk.h"

#include <new>

#include "netid/device_info_set.h"
#include "netid/hardware_id_match.h"
#include "netid/process_heap_block.h"
#include "winapi/win32.h"

namespace qv::netid {
namespace {

// Large enough for any Plug and Play instance ID (Windows caps them at 200 characters).
constexpr DWORD kInstanceIdChars = 260;

// The record block is sized by sizeof: 28 bytes, as the 32-bit SetupAPI expects.
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVINFO_DATA) == 28, "32-bit record layout");

}  // namespace

bool IsDevicePresent(const char* enumerator, QVString pattern) {
  DeviceInfoSet devices(enumerator);
  if (!devices.IsOpen()) return false;
  ProcessHeapBlock recordBlock(sizeof(SP_DEVINFO_DATA));
  if (recordBlock.get() == nullptr) return false;
  auto* record = new (recordBlock.get()) SP_DEVINFO_DATA{};
  record->cbSize = sizeof(SP_DEVINFO_DATA);

  const QVString upperPattern = UpperCased(pattern);
  char instanceId[kInstanceIdChars];
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.get(), index, record); ++index) {
    DWORD requiredSize = 0;
    if (!SetupDiGetDeviceInstanceIdA(devices.get(), record, instanceId, kInstanceIdChars,
                                     &requiredSize))
      return false;
    if (ContainsRow(UpperCased(instanceId), upperPattern)) return true;
  }
  return false;
}

QVString FindFirstPresentRow(const PatternTable& table, const char* enumerator) {
  for (const QVString& row : table) {
    if (row.IsEmpty()) break;
    if (IsDevicePresent(enumerator, row)) return row;
  }
  return QVString();
}

}  // namespace qv::netid
