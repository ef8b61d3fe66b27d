// Reading an encrypted list file the way the library's readers do, with messages that name the
// file and the reason when it cannot be read or decrypted.
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

}  // namespace qvtool
