// Reads a plain system-ID list the way the list writer has always read it: in text mode, so
// every CR LF pair becomes LF and a byte 0x1A ends the text, and cut at the first NUL byte.
#pragma once

#include <string>

namespace qv::sysids {

enum class PlainListRead { kOk, kCannotOpen, kTooLong };

// Reads at most kMaxPlainListLength characters of list text into `text`; a longer list is
// reported as kTooLong without being read any further. A path that cannot be opened or read
// (a directory among them) is kCannotOpen.
PlainListRead ReadPlainList(const char* path, std::string& text);

}  // namespace qv::sysids
