// Finding a platform's record in the plain system-ID list. A record is one line: it starts with
// the system ID's decimal text, at the start of the list or right after a line end, and the ID
// is followed by a character that is not a digit (the separator). Its fields lie at fixed
// offsets from its start and never reach past its own line.
#pragma once

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

}  // namespace qv::devicemask
