// The CryptoAPI key context of one encryption or decryption: an ephemeral provider, the MD5
// hash of the pass phrase and the RC2 key derived from it. Released in the order key, hash,
// provider when the context goes out of scope.
#pragma once

#include "util/qv_string.h"
#include "winapi/win32.h"

class QVCryptContext {
 public:
  // Builds the whole context; the first failing step leaves the later handles at 0.
  explicit QVCryptContext(const QVString& passPhrase);
  ~QVCryptContext();
  QVCryptContext(const QVCryptContext&) = delete;
  QVCryptContext& operator=(const QVCryptContext&) = delete;

  bool IsUsable() const { return key_ != 0; }
  // Whether the key took its 128-bit effective length. A key that refused it still decrypts
  // (a wrong length only fails the padding check), but must not encrypt: its cipher text would
  // be unreadable under the pass phrase.
  bool HasEffectiveKeyLength() const { return effectiveLengthSet_; }
  HCRYPTKEY Key() const { return key_; }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTKEY key_ = 0;
  HCRYPTHASH hash_ = 0;
  bool effectiveLengthSet_ = false;
};
