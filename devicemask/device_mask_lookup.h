// The two lookups of a system ID in the plain list: the full one behind GetDeviceMask (eight
// flag columns, line code, platform-D correction) and the short one behind
// GetDeviceMaskDecrypt (six flag columns only).
#pragma once

#include <cstdint>

#include "devicemask/platform_d.h"
#include "util/qv_string.h"

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

// Line code number * 256 + 8-bit mask; kStatusNotFound when no line starts with the ID (always
// for ID 0); kStatusRecordTruncated when the record's line ends before its line code does.
int LookUpDeviceMask(const QVString& plainList, std::uint16_t systemId,
                     CapabilityBit27 capabilityBit27);

// The six-column mask sum, or kDecryptMaskFailure when no line starts with the ID (always for
// ID 0). Flag columns past the record's line end count as 0.
int LookUpSixBitMask(const QVString& plainList, std::uint16_t systemId);

}  // namespace qv::devicemask
