#include "netid/device_snapshot.h"

#include <new>

#include "netid/device_info_set.h"
#include "netid/hardware_id_match.h"
#include "netid/process_heap_block.h"
#include "winapi/win32.h"

namespace qv::netid {
namespace {

// Large enough for any Plug and Play instance ID (Windows caps them at 200 characters); a
// longer one fails to fetch and ends the snapshot.
constexpr DWORD kInstanceIdChars = 260;

// The record block is sized by sizeof: 28 bytes, as the 32-bit SetupAPI expects.
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVINFO_DATA) == 28, "32-bit record layout");

}  // namespace

DeviceSnapshot DeviceSnapshot::Take(const char* enumerator) {
  DeviceSnapshot snapshot;
  DeviceInfoSet devices(enumerator);
  if (!devices.IsOpen()) return snapshot;
  ProcessHeapBlock recordBlock(sizeof(SP_DEVINFO_DATA));
  if (recordBlock.get() == nullptr) return snapshot;
  auto* record = new (recordBlock.get()) SP_DEVINFO_DATA{};
  record->cbSize = sizeof(SP_DEVINFO_DATA);

  char instanceId[kInstanceIdChars];
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.get(), index, record); ++index) {
    DWORD requiredSize = 0;
    if (!SetupDiGetDeviceInstanceIdA(devices.get(), record, instanceId, kInstanceIdChars,
                                     &requiredSize))
      break;
    snapshot.instanceIds_.emplace_back(instanceId);
    snapshot.idImages_.push_back(AsciiImage(instanceId));
  }
  return snapshot;
}

bool DeviceSnapshot::AnyContains(const QVString& row) const {
  if (const std::optional<std::string> rowImage = AsciiRowImage(row)) {
    for (const std::string& idImage : idImages_)
      if (ImageContainsRow(idImage, *rowImage)) return true;
    return false;
  }
  const QVString upperRow = UpperCased(row);
  for (const std::string& instanceId : instanceIds_)
    if (ContainsRow(UpperCased(QVString(instanceId.c_str())), upperRow)) return true;
  return false;
}

}  // namespace qv::netid
