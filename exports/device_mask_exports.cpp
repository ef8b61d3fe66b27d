// GetDeviceMask, GetDeviceMaskDecrypt, IsTorvaneSystem and IsSupportedDevice: the installer's
// questions about which devices and which product line the system-ID list gives a platform.
#include <cstdint>

#include "devicemask/list_file.h"
#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "exports/boundary.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "platform/acpi_wmi.h"

namespace {

using namespace qv::devicemask;

constexpr int kTorvaneResult = kTorvaneLine << kLineCodeShift;
constexpr int kLineCodeBits = ~0xFF;

// What GetDeviceMask returns when an exception stops it (memory exhaustion, a string limit)
// or the platform object cannot be built: one of its documented statuses, the one that also
// covers an unavailable cryptographic provider. Being negative, it leaves the platform object
// as any failure does.
constexpr int kDeviceMaskOnException = kStatusNotDecrypted;

int DeviceMaskOfThisPlatform(const char* listPath) {
  // The platform is identified before the file is touched, so every call builds the object.
  qv::platform::CAcpiWmi* platform = qv::AcquirePlatformObject();
  if (platform == nullptr) return kDeviceMaskOnException;
  const std::uint16_t systemId = platform->SystemId();

  const char* path = listPath != nullptr ? listPath : kListFileName;
  const int result = LookUpDeviceMaskInFile(path, systemId, Bit3FromPlatformOf(*platform));
  // A mask ends the platform reading: the next call identifies the platform afresh. After a
  // failure the object stays for the installer's next attempt.
  if (result >= 0) qv::ReleasePlatformObject();
  return result;
}

int SixBitMaskOf(int systemId) {
  const PlainList list = DecryptListFile(kListFileName, ShortReadPolicy::kAccept);
  if (list.status != PlainListStatus::kLoaded) return kDecryptMaskFailure;
  return LookUpSixBitMask(list.text, static_cast<std::uint16_t>(systemId));
}

}  // namespace

extern "C" {

int WINAPI GetDeviceMask(const char* listPath) {
  return qv::GuardExport(kDeviceMaskOnException,
                         [&] { return DeviceMaskOfThisPlatform(listPath); });
}

int WINAPI GetDeviceMaskDecrypt(int systemId) {
  return qv::GuardExport(kDecryptMaskFailure, [&] { return SixBitMaskOf(systemId); });
}

int WINAPI IsTorvaneSystem(const char* listPath) {
  return qv::GuardExport(
      0, [&] { return (GetDeviceMask(listPath) & kLineCodeBits) == kTorvaneResult ? 1 : 0; });
}

int WINAPI IsSupportedDevice(int mask, int deviceBits) {
  return mask & deviceBits;
}
}
