// A system-ID list file given to a command: the encrypted file the installer ships, read the way
// the library's readers do, or the plain text a release engineer edits. Every failure is a
// ToolError whose message names the file and the reason it cannot be read or decrypted.
#pragma once

#include <string>

#include "util/qv_string.h"

namespace qvtool {

// The file's Base64 text (cut at the first NUL, as the readers cut it). ToolError when it
// cannot be opened or is far too large to be a list.
QVString ReadEncryptedList(const std::string& path);

// The plain list inside the file. ToolError when the content does not decrypt.
QVString DecryptListFile(const std::string& path);

// "no such file", "is a directory" or "cannot be opened for reading".
std::string OpenFailureReason(const std::string& path);

enum class ListFormat { kAuto, kPlain, kEncrypted };

struct ListText {
  ListFormat format = ListFormat::kPlain;  // as read: never kAuto
  std::string plain;
};

// The plain text the library's lookup searches, from either form. kAuto takes a file that is
// one run of Base64 text as encrypted, anything else as plain. A plain file is read as
// EncryptSysIds reads it (CR LF becomes LF; the text ends at 0x1A or NUL). ToolError when the
// file cannot be read or, encrypted, does not decrypt.
ListText ReadListText(const std::string& path, ListFormat format);

const char* ListFormatName(ListFormat format);

}  // namespace qvtool
