// The two lookups of a system ID in the plain list: the full one behind GetDeviceMask (eight
// flag columns, line code, platform-D correction) and the short one behind
// GetDeviceMaskDecrypt (six flag columns only).
#pragma once

#include <cstdint>
#include <optional>

#include "devicemask/list_file.h"
#include "util/qv_string.h"

namespace qv::platform {
class CAcpiWmi;
}

namespace qv::devicemask {

// GetDeviceMask's statuses, in the order they are tested: -2, -3, -6, -4, -5.
constexpr int kStatusCannotOpen = -2;
constexpr int kStatusShortRead = -3;
constexpr int kStatusNotFound = -4;
constexpr int kStatusRecordTruncated = -5;
constexpr int kStatusNotDecrypted = -6;

// A successful result carries the line code number above the 8-bit mask.
constexpr int kLineCodeShift = 8;

// GetDeviceMaskDecrypt's one failure result.
constexpr int kDecryptMaskFailure = -1;

// Platform D's record may leave mask bit 3 to the platform: when its bit-3 column is 0, the
// bit follows what the platform itself says, which is bit 0x20 of its low feature word (the
// bit a filled hardware-configuration record publishes as capability bit 27). nullopt when the
// platform's word is not known; GetDeviceMask always knows it.
using Bit3FromPlatform = std::optional<bool>;

// Read from the platform's own feature word (0 unless a maker test passed), never from the
// shared record's snapshot: the snapshot depends on who created the record, whether it was
// filled yet and whether the BIOS interface exists, and the same machine must always give the
// same mask.
Bit3FromPlatform Bit3FromPlatformOf(const platform::CAcpiWmi& platform);

// Line code number * 256 + 8-bit mask; kStatusNotFound when no line starts with the ID (always
// for ID 0); kStatusRecordTruncated when the record's line ends before its line code does.
int LookUpDeviceMask(const QVString& plainList, std::uint16_t systemId,
                     Bit3FromPlatform bit3FromPlatform);

// GetDeviceMask's reading of the encrypted list file at `path`: a short read is refused, and a
// file that gives no plain list gives kStatusCannotOpen, kStatusShortRead or
// kStatusNotDecrypted; otherwise LookUpDeviceMask's result.
int LookUpDeviceMaskInFile(const char* path, std::uint16_t systemId,
                           Bit3FromPlatform bit3FromPlatform);

// The six-column mask sum, or kDecryptMaskFailure when no line starts with the ID (always for
// ID 0). Flag columns past the record's line end count as 0.
int LookUpSixBitMask(const QVString& plainList, std::uint16_t systemId);

}  // namespace qv::devicemask
