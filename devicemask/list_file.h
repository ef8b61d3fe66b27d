// Reading the encrypted system-ID list file whole. The file is small (at most 10232 Base64
// characters), so it is read in one piece; anything much larger cannot be a list and is not
// read into memory at all.
#pragma once

#include "util/qv_string.h"

namespace qv::devicemask {

// Far above the largest valid list file; a bigger file is refused unread.
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

// Reads the file at `path` in binary mode.
ListFileContent ReadListFile(const char* path, ShortReadPolicy policy);

}  // namespace qv::devicemask
