// Finding a platform's record in the plain system-ID list. The list is searched as one text,
// not split into lines: the record is wherever the system ID's decimal text first occurs, and
// its fields lie at fixed offsets from that position.
#pragma once

#include <cstdint>

#include "util/qv_string.h"

namespace qv::devicemask {

// Offsets from the first character of the system ID.
constexpr int kFirstFlagOffset = 4;
constexpr int kFlagCount = 8;
constexpr int kLineCodeOffset = 13;
// A record the full lookup can read needs this many characters from its start: the line
// code ends at offset 15 and one more character (the line end) must follow.
constexpr int kFullRecordLength = 17;

// The system ID as unsigned decimal text without padding ("%d"): the search key.
QVString SystemIdKey(std::uint16_t systemId);

// Position of the first occurrence of the key anywhere in the list, or -1.
int FindRecord(const QVString& plainList, std::uint16_t systemId);

// The decimal value of the list character at `position` when it is a digit, else 0. A
// position outside the text counts as 0; nothing outside it is read.
int FlagDigitAt(const QVString& plainList, int position);

}  // namespace qv::devicemask
