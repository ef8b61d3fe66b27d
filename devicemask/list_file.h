// The system-ID list in its two files: the encrypted "vexasysids.enc" the lookups read, and
// the plain list the writer encrypts. The encrypted file is small (at most 10232 Base64
// characters), so it is read in one piece; anything much larger cannot be a list and is not
// read into memory at all.
#pragma once

#include <string>

#include "util/qv_string.h"

namespace qv::devicemask {

// The fixed pass phrase the list is written and read with.
constexpr const char* kPassPhrase = "MARBLEOTTERKITE";

// The encrypted file's name in the current directory.
constexpr const char* kListFileName = "vexasysids.enc";

// The longest plain list whose cipher text and Base64 form fit the 10240-byte working areas
// of the encryption and the codec: 7671 bytes -> 7672 cipher bytes -> 10232 characters.
constexpr int kMaxPlainListLength = 7671;

// Far above the largest valid encrypted file; a bigger file is refused unread.
constexpr long kMaxListFileSize = 1024L * 1024L;

enum class ListFileStatus {
  kRead,
  kCannotOpen,  // missing, no access, a directory, or no length to take
  kShortRead,   // fewer bytes than the file's length (only when short reads are refused)
  kTooLarge,    // above kMaxListFileSize; nothing was read
};

enum class ShortReadPolicy {
  kRefuse,  // GetDeviceMask: a short read is a failure
  kAccept,  // GetDeviceMaskDecrypt: the bytes actually read are the content
};

struct ListFileContent {
  ListFileStatus status = ListFileStatus::kCannotOpen;
  QVString text;  // the bytes read, cut at the first NUL byte; narrow-live
};

// Reads the encrypted file at `path` in binary mode, still encrypted.
ListFileContent ReadListFile(const char* path, ShortReadPolicy policy);

enum class PlainListStatus {
  kLoaded,
  kCannotOpen,
  kShortRead,
  kNotDecrypted,  // empty, not cipher text under the pass phrase, provider failure, too large
};

struct PlainList {
  PlainListStatus status = PlainListStatus::kCannotOpen;
  QVString text;  // the plain list when loaded
};

// Decrypts encrypted-file content in place; false leaves it unchanged.
bool DecryptListText(QVString& text);

// Reads the encrypted file at `path` whole and decrypts its Base64 cipher text with the
// product's pass phrase.
PlainList DecryptListFile(const char* path, ShortReadPolicy policy);

enum class PlainListRead { kOk, kCannotOpen, kTooLong };

// Reads a plain list file in text mode, as the C runtime's text mode reads it on Windows: every
// CR LF pair becomes LF, a byte 0x1A ends the text, and so does the first NUL byte. Reads at most
// kMaxPlainListLength characters into `text`; a longer list is reported as kTooLong without
// being read any further. A path that cannot be opened or read (a directory among them) is
// kCannotOpen.
PlainListRead ReadPlainListFile(const char* path, std::string& text);

}  // namespace qv::devicemask
