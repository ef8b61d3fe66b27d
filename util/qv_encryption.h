// QVEncryption: string encryption under a pass phrase and the Base64 codec that carries its
// cipher text. The four members are exported from the module.
#pragma once

#include "util/qv_string.h"

class QVEncryption {
 public:
  // Replaces `text` by the Base64 form of its RC2 cipher text under a key derived from `key`.
  // False, with the text unchanged, when the text is empty, longer than 7671 bytes, or the
  // cryptographic provider fails.
  static bool EncryptString(QVString& text, const QVString& key);

  // Replaces Base64 cipher text by its plain text. False, with the text unchanged, when the
  // text is empty, is not cipher text made with `key`, or the provider fails.
  static bool DecryptString(QVString& text, const QVString& key);

  // Base64 (RFC 4648 alphabet, "=" padding) of `length` bytes; with lineBreaks a CR LF goes
  // after every 72 characters. Never fails.
  static QVString EncodeBase64(unsigned char* data, unsigned int length, bool lineBreaks);

  // Decodes the run of alphabet characters at the start of `text` (after leading blanks),
  // reading at most `length` characters. On entry `length` is the capacity of `out`; on return
  // it is the decoded size. False, with `out` untouched, when the capacity is too small.
  // `length` is DWORD, an unsigned 32-bit value in every build: `unsigned long` on Windows,
  // whose decorated export name depends on it, and a 32-bit type on POSIX, where `unsigned
  // long` is 64 bits wide.
  static bool DecodeBase64(char* text, unsigned char* out, DWORD& length);

  // Largest plain text EncryptString accepts.
  static constexpr int kMaxPlainTextLength = 7671;
  // Size of the working areas of the cipher and the codec.
  static constexpr int kWorkingAreaSize = 10240;
};
