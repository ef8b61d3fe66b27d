#include "devicemask/list_writer.h"

#include <cstdio>
#include <string>

#include "devicemask/list_file.h"
#include "util/qv_encryption.h"
#include "winapi/win32.h"

namespace qv::devicemask {
namespace {

constexpr const char* kTemporaryName = "vexasysids.enc.tmp";

// Writes the whole text to the temporary file; false when any write or the close fails.
bool WriteTemporary(const QVString& text) {
  std::FILE* file = std::fopen(kTemporaryName, "wb");
  if (file == nullptr) return false;
  const std::size_t length = static_cast<std::size_t>(text.GetLength());
  const bool written = std::fwrite(text.GetNarrow(), 1, length, file) == length;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  return written && flushed && closed;
}

}  // namespace

int WriteEncryptedList(const char* plainListPath) {
  std::string plain;
  switch (ReadPlainListFile(plainListPath, plain)) {
    case PlainListRead::kCannotOpen:
      return 1;
    case PlainListRead::kTooLong:
      return -1;
    case PlainListRead::kOk:
      break;
  }
  if (plain.empty()) return -1;

  QVString text(plain.c_str());
  if (!QVEncryption::EncryptString(text, QVString(kPassPhrase))) return -1;

  if (!WriteTemporary(text)) {
    DeleteFileA(kTemporaryName);
    return -1;
  }
  if (!MoveFileExA(kTemporaryName, kListFileName, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(kTemporaryName);
    return -1;
  }
  return 0;
}

}  // namespace qv::devicemask
