#include "devicemask/lookup.h"

#include "devicemask/record.h"
#include "platform/acpi_wmi.h"
#include "platform/known_platforms.h"

namespace qv::devicemask {
namespace {

constexpr std::uint8_t kMaskBit3 = 1u << 3;

// The low-feature-word bit that tells mask bit 3 on platform D.
constexpr std::uint32_t kDeviceBit3Feature = 0x20;

// The line code is read as bytes of the same narrow text the flags come from, so both are
// taken at the same position whatever the ANSI code page does with other characters.
int LineCodeAt(const QVString& plainList, int recordStart) {
  const QVString code(plainList.GetNarrow() + recordStart + kLineCodeOffset, kLineCodeLength);
  return LineCodeNumber(code.GetNarrow());
}

// With the platform's word unknown, bit 3 stays as the list gives it.
std::uint8_t CorrectForPlatformD(std::uint16_t systemId, const FlagDigits& digits,
                                 std::uint8_t mask, Bit3FromPlatform bit3FromPlatform) {
  if (systemId != platform::kPlatformD || digits[kBit3Column] != 0) return mask;
  if (!bit3FromPlatform.has_value()) return mask;
  const std::uint8_t cleared = mask & static_cast<std::uint8_t>(~kMaskBit3);
  return *bit3FromPlatform ? static_cast<std::uint8_t>(cleared | kMaskBit3) : cleared;
}

// GetDeviceMask's status for a list file that did not give a plain list.
int DeviceMaskStatusOf(PlainListStatus status) {
  switch (status) {
    case PlainListStatus::kCannotOpen:
      return kStatusCannotOpen;
    case PlainListStatus::kShortRead:
      return kStatusShortRead;
    default:
      return kStatusNotDecrypted;
  }
}

}  // namespace

Bit3FromPlatform Bit3FromPlatformOf(const platform::CAcpiWmi& platform) {
  return (platform.FeatureWord1() & kDeviceBit3Feature) != 0;
}

int LookUpDeviceMask(const QVString& plainList, std::uint16_t systemId,
                     Bit3FromPlatform bit3FromPlatform) {
  const int recordStart = FindRecord(plainList, systemId);
  if (recordStart < 0) return kStatusNotFound;
  if (!RecordIsComplete(plainList, recordStart)) return kStatusRecordTruncated;

  const FlagDigits digits = ReadFlagDigits(plainList, recordStart);
  const std::uint8_t mask =
      CorrectForPlatformD(systemId, digits, EightBitMask(digits), bit3FromPlatform);
  const int line = LineCodeAt(plainList, recordStart);
  return (line << kLineCodeShift) + mask;
}

int LookUpDeviceMaskInFile(const char* path, std::uint16_t systemId,
                           Bit3FromPlatform bit3FromPlatform) {
  const PlainList list = DecryptListFile(path, ShortReadPolicy::kRefuse);
  if (list.status != PlainListStatus::kLoaded) return DeviceMaskStatusOf(list.status);
  return LookUpDeviceMask(list.text, systemId, bit3FromPlatform);
}

int LookUpSixBitMask(const QVString& plainList, std::uint16_t systemId) {
  const int recordStart = FindRecord(plainList, systemId);
  if (recordStart < 0) return kDecryptMaskFailure;
  return SixBitMask(ReadFlagDigits(plainList, recordStart));
}

}  // namespace qv::devicemask
