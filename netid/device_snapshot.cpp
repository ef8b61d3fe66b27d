#include "netid/device_snapshot.h"

#include <new>

#include "netid/hardware_id_match.h"
#include "win/scoped_heap_block.h"
#include "winapi/win32.h"

namespace qv::netid {
namespace {

// Large enough for any Plug and Play instance ID (Windows caps them at 200 characters); a
// longer one fails to fetch and ends the snapshot.
constexpr DWORD kInstanceIdChars = 260;

// The record block is sized by sizeof: 28 bytes, as the 32-bit SetupAPI expects.
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVINFO_DATA) == 28, "32-bit record layout");

}  // namespace

win::ScopedDeviceInfoSet OpenPresentDevices(const char* enumerator) {
  return win::ScopedDeviceInfoSet(
      SetupDiGetClassDevsA(nullptr, enumerator, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
}

DeviceSnapshot DeviceSnapshot::Take(const char* enumerator) {
  DeviceSnapshot snapshot;
  const win::ScopedDeviceInfoSet devices = OpenPresentDevices(enumerator);
  if (!devices.IsValid()) return snapshot;
  win::ScopedHeapBlock recordBlock(sizeof(SP_DEVINFO_DATA));
  if (recordBlock.Get() == nullptr) return snapshot;
  auto* record = new (recordBlock.Get()) SP_DEVINFO_DATA{};
  record->cbSize = sizeof(SP_DEVINFO_DATA);

  char instanceId[kInstanceIdChars];
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, record); ++index) {
    DWORD requiredSize = 0;
    if (!SetupDiGetDeviceInstanceIdA(devices.Get(), record, instanceId, kInstanceIdChars,
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
