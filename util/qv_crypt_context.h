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

  bool IsUsable() const { return m_key != 0; }
  // Whether the key took its 128-bit effective length. A key that refused it still decrypts
  // (a wrong length only fails the padding check), but must not encrypt: its cipher text would
  // be unreadable under the pass phrase.
  bool HasEffectiveKeyLength() const { return m_effectiveLengthSet; }
  HCRYPTKEY Key() const { return m_key; }

 private:
  HCRYPTPROV m_provider = 0;
  HCRYPTKEY m_key = 0;
  HCRYPTHASH m_hash = 0;
  bool m_effectiveLengthSet = false;
};
