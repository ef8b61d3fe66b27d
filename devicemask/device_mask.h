// The device mask of a list record: eight flag columns, each a decimal digit multiplied by the
// weight of its mask bit. The first six columns carry bits 5 down to 0, the last two bits 6
// and 7, so a reader that knows only six columns still finds the low six bits.
#pragma once

#include <array>
#include <cstdint>

#include "devicemask/record_lookup.h"
#include "util/qv_string.h"

namespace qv::devicemask {

// Digit values of the flag columns at record offsets 4 to 11, in that order.
using FlagDigits = std::array<int, kFlagCount>;

// Index into FlagDigits of the column that carries mask bit 3 (record offset 6).
constexpr int kBit3Column = 2;

// Columns past the record's line end or the end of the text read as 0.
FlagDigits ReadFlagDigits(const QVString& plainList, int recordStart);

// The sum over all eight columns, kept to 8 bits: carries beyond bit 7 are lost.
std::uint8_t EightBitMask(const FlagDigits& digits);

// The sum over the first six columns only, as a full integer (0 to 63 for 0/1 flags).
int SixBitMask(const FlagDigits& digits);

}  // namespace qv::devicemask
