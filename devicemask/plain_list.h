// The plain system-ID list behind an encrypted list file: read the file whole, then decrypt
// its Base64 cipher text with the product's fixed pass phrase.
#pragma once

#include "devicemask/list_file.h"
#include "util/qv_string.h"

namespace qv::devicemask {

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

// Decrypts list-file content in place; false leaves it unchanged.
bool DecryptListText(QVString& text);

PlainList LoadPlainList(const char* path, ShortReadPolicy policy);

}  // namespace qv::devicemask
