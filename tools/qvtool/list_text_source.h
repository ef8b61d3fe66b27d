// A system-ID list given either as the plain text a release engineer edits or as the
// encrypted file the installer ships, read into the plain text the library's lookup searches.
#pragma once

#include <string>

namespace qvtool {

enum class ListFormat { kAuto, kPlain, kEncrypted };

struct ListText {
  ListFormat format = ListFormat::kPlain;  // as read: never kAuto
  std::string plain;
};

// kAuto takes a file that is one run of Base64 text as encrypted, anything else as plain. A
// plain file is read as EncryptSysIds reads it (CR LF becomes LF; the text ends at 0x1A or
// NUL). ToolError when the file cannot be read or, encrypted, does not decrypt.
ListText ReadListText(const std::string& path, ListFormat format);

const char* ListFormatName(ListFormat format);

}  // namespace qvtool
