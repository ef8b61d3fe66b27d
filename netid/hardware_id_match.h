// The matching rule of the adapter tables: a device matches a row when its instance ID,
// upper-cased, contains the upper-cased row anywhere. Only the ASCII letters a to z change
// case, so the comparison ignores their case and nothing else.
#pragma once

#include <optional>
#include <string>

#include "util/qv_string.h"

namespace qv::netid {

// An upper-cased copy of `text` (wide-live).
QVString UpperCased(QVString text);

// Both arguments must already be upper-cased (UpperCased). A row with no text matches nothing:
// a row is never empty unless its conversion to wide text failed, and the empty text would be
// found in every instance ID.
bool ContainsRow(const QVString& upperInstanceId, const QVString& upperRow);

// The same rule as a byte search, for matching many rows against many instance IDs. The ASCII
// image of text has one byte per UTF-16 unit of the text upper-cased: the unit itself when it
// is ASCII, 0x80 otherwise. A row of ASCII units occurs in the image of an instance ID exactly
// where its upper-cased form occurs in the upper-cased ID, since no byte of it is 0x80.
//
// The image of a narrow instance ID as the platform wrote it. Text of ASCII bytes only is
// imaged directly: every ANSI code page maps those bytes one to one onto the same units.
std::string AsciiImage(const char* instanceId);
// The image of a row up to its first NUL unit (where ContainsRow's needle ends), or nothing
// when the row holds a unit outside ASCII: such a row must be matched with ContainsRow.
std::optional<std::string> AsciiRowImage(const QVString& row);
// ContainsRow on images; an empty row image matches nothing, as in ContainsRow.
bool ImageContainsRow(const std::string& idImage, const std::string& rowImage);

}  // namespace qv::netid
