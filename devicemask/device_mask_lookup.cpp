#include "devicemask/device_mask_lookup.h"

#include "devicemask/device_mask.h"
#include "devicemask/line_codes.h"
#include "devicemask/record_lookup.h"

namespace qv::devicemask {
namespace {

// The line code is read as bytes of the same narrow text the flags come from, so both are
// taken at the same position whatever the ANSI code page does with other characters.
int LineCodeAt(const QVString& plainList, int recordStart) {
  const QVString code(plainList.GetNarrow() + recordStart + kLineCodeOffset, kLineCodeLength);
  return LineCodeNumber(code.GetNarrow());
}

}  // namespace

int LookUpDeviceMask(const QVString& plainList, std::uint16_t systemId,
                     CapabilityBit27 capabilityBit27) {
  const int recordStart = FindRecord(plainList, systemId);
  if (recordStart < 0) return kStatusNotFound;
  if (!RecordIsComplete(plainList, recordStart)) return kStatusRecordTruncated;

  const FlagDigits digits = ReadFlagDigits(plainList, recordStart);
  const std::uint8_t mask =
      CorrectForPlatformD(systemId, digits, EightBitMask(digits), capabilityBit27);
  const int line = LineCodeAt(plainList, recordStart);
  return (line << kLineCodeShift) + mask;
}

int LookUpSixBitMask(const QVString& plainList, std::uint16_t systemId) {
  const int recordStart = FindRecord(plainList, systemId);
  if (recordStart < 0) return kDecryptMaskFailure;
  return SixBitMask(ReadFlagDigits(plainList, recordStart));
}

}  // namespace qv::devicemask
