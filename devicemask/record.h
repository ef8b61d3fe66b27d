// A platform's record in the plain system-ID list. A record is one line: it starts with the
// system ID's decimal text, at the start of the list or right after a line end, and the ID is
// followed by a character that is not a digit (the separator). Its fields lie at fixed offsets
// from its start and never reach past its own line:
//   offsets 4 to 11   eight flag columns, each a decimal digit: the device mask
//   offsets 13 to 15  the product-line code
#pragma once

#include <array>
#include <cstdint>

#include "util/qv_string.h"

namespace qv::devicemask {

// Offsets from the first character of the system ID.
constexpr int kFirstFlagOffset = 4;
constexpr int kFlagCount = 8;
constexpr int kLineCodeOffset = 13;
// A record the full lookup can read holds this many characters on its line: the line code
// ends at offset 15. A line end may follow, or the list may end there.
constexpr int kRecordLength = 16;

// The system ID as unsigned decimal text without padding ("%d"): the search key.
QVString SystemIdKey(std::uint16_t systemId);

// Position of the system ID's record, or -1 when no line starts with it. System ID 0 (a
// machine whose tables give none) has no record.
int FindRecord(const QVString& plainList, std::uint16_t systemId);

// Position of the first occurrence of the ID's digits anywhere in the list, or -1: where
// readers that search the list unanchored take the record from. For tools that warn of it.
int FindUnanchored(const QVString& plainList, std::uint16_t systemId);

// Position just past the record that starts at `recordStart`: its line end, or the end of the
// list.
int RecordEnd(const QVString& plainList, int recordStart);

// Whether the record at `recordStart` holds all its fields, ID to line code, on its own line.
bool RecordIsComplete(const QVString& plainList, int recordStart);

// The decimal value of the list character at `position` when it is a digit, else 0. A
// position outside the text counts as 0; nothing outside it is read.
int FlagDigitAt(const QVString& plainList, int position);

// --- The device mask: each flag column's digit multiplied by the weight of its mask bit. The
// first six columns carry bits 5 down to 0, the last two bits 6 and 7, so a reader that knows
// only six columns still finds the low six bits.

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

// --- Product-line codes: the three letters at the end of a record name the product line of
// the platform. The installer gets the line as a small number.

constexpr int kLineCodeLength = 3;
constexpr int kNoLine = 0;
constexpr int kTorvaneLine = 6;

// The number of the line whose code equals the first kLineCodeLength characters of `code`
// (exact, case-sensitive), or kNoLine. `code` must hold at least kLineCodeLength characters.
int LineCodeNumber(const char* code);

// The code text of a line number from 1 to 6, or nullptr for any other number.
const char* LineCodeText(int number);

}  // namespace qv::devicemask
