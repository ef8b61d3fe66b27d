#include "util/qv_encryption.h"

#include <cstring>
#include <vector>

#include "util/qv_crypt_context.h"

bool QVEncryption::EncryptString(QVString& text, const QVString& key) {
  if (text.GetLength() <= 0) return false;
  // The plain text ends at the first NUL byte.
  const QVString plain(text.GetNarrow());
  const int plainLength = plain.GetLength();
  // A longer text's cipher text would not fit the working areas: refuse it, text unchanged.
  if (plainLength > kMaxPlainTextLength) return false;

  QVCryptContext context(key);
  if (!context.IsUsable() || !context.HasEffectiveKeyLength()) return false;

  std::vector<BYTE> buffer(kWorkingAreaSize, 0);
  std::memcpy(buffer.data(), plain.GetNarrow(), static_cast<std::size_t>(plainLength) + 1);
  DWORD length = static_cast<DWORD>(plainLength);
  if (!CryptEncrypt(context.Key(), 0, TRUE, 0, buffer.data(), &length, kWorkingAreaSize))
    return false;
  text = EncodeBase64(buffer.data(), length, false);
  return true;
}

bool QVEncryption::DecryptString(QVString& text, const QVString& key) {
  if (text.IsEmpty()) return false;
  QVCryptContext context(key);
  if (!context.IsUsable()) return false;

  const int textLength = text.GetLength();
  std::vector<unsigned char> bytes(static_cast<std::size_t>(textLength), 0);
  DWORD length = static_cast<DWORD>(textLength);
  // Decoding reads through a char*; take a private copy so the caller's text stays intact.
  // GetNarrow switches the live form, so it runs first and the length then counts the bytes
  // the pointer reaches.
  const char* narrow = text.GetNarrow();
  const int narrowLength = text.GetLength();
  std::vector<char> base64(narrow, narrow + narrowLength + 1);
  if (!DecodeBase64(base64.data(), bytes.data(), length)) {
    bytes.assign(length, 0);
    if (!DecodeBase64(base64.data(), bytes.data(), length)) return false;
  }
  DWORD plainLength = static_cast<DWORD>(length);
  if (!CryptDecrypt(context.Key(), 0, TRUE, 0, bytes.data(), &plainLength)) return false;
  text = QVString(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(plainLength));
  return true;
}
