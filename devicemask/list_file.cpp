#include "devicemask/list_file.h"

#include <cstdio>
#include <memory>

#include "util/qv_encryption.h"
#include "winapi/win32.h"

namespace qv::devicemask {
namespace {

constexpr int kEndOfText = 0x1A;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The C runtime opens a directory for reading on POSIX but not on Windows; refuse it on both.
// A path whose attributes cannot be had is not known to be a directory: fopen judges it.
// std::filesystem is not used here: it would link the C++ library's locale machinery (about
// 900 KB) into the module.
bool IsDirectory(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The file's length, or -1 when it cannot be taken (a stream without a length).
long LengthOf(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long length = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return length;
}

ListFileContent Failure(ListFileStatus status) {
  ListFileContent content;
  content.status = status;
  return content;
}

PlainListStatus StatusOfUnreadFile(ListFileStatus status) {
  switch (status) {
    case ListFileStatus::kShortRead:
      return PlainListStatus::kShortRead;
    case ListFileStatus::kTooLarge:
      // Too large to be cipher text of any list: it could never have decrypted.
      return PlainListStatus::kNotDecrypted;
    default:
      return PlainListStatus::kCannotOpen;
  }
}

}  // namespace

ListFileContent ReadListFile(const char* path, ShortReadPolicy policy) {
  if (path == nullptr || IsDirectory(path)) return Failure(ListFileStatus::kCannotOpen);
  File file(std::fopen(path, "rb"));
  if (!file) return Failure(ListFileStatus::kCannotOpen);

  const long length = LengthOf(file.get());
  if (length < 0) return Failure(ListFileStatus::kCannotOpen);
  if (length > kMaxListFileSize) return Failure(ListFileStatus::kTooLarge);

  std::string bytes(static_cast<std::size_t>(length) + 1, '\0');
  const std::size_t read = std::fread(&bytes[0], 1, static_cast<std::size_t>(length), file.get());
  file.reset();
  const bool shortRead = read < static_cast<std::size_t>(length);
  if (shortRead && policy == ShortReadPolicy::kRefuse) return Failure(ListFileStatus::kShortRead);

  ListFileContent content;
  content.status = ListFileStatus::kRead;
  // The copy keeps the text before the first NUL byte, as the decryption expects.
  content.text = QVString(bytes.data(), static_cast<int>(read));
  return content;
}

bool DecryptListText(QVString& text) {
  return QVEncryption::DecryptString(text, QVString(kPassPhrase));
}

PlainList DecryptListFile(const char* path, ShortReadPolicy policy) {
  ListFileContent file = ReadListFile(path, policy);
  PlainList list;
  if (file.status != ListFileStatus::kRead) {
    list.status = StatusOfUnreadFile(file.status);
    return list;
  }
  if (!DecryptListText(file.text)) {
    list.status = PlainListStatus::kNotDecrypted;
    return list;
  }
  list.status = PlainListStatus::kLoaded;
  list.text = file.text;
  return list;
}

PlainListRead ReadPlainListFile(const char* path, std::string& text) {
  text.clear();
  if (path == nullptr) return PlainListRead::kCannotOpen;
  // Binary mode with the text-mode translation done here, so every build reads the same text.
  File file(std::fopen(path, "rb"));
  if (!file) return PlainListRead::kCannotOpen;
  bool pendingCarriageReturn = false;
  for (int c = std::fgetc(file.get()); c != EOF && c != kEndOfText; c = std::fgetc(file.get())) {
    if (pendingCarriageReturn && c != '\n') text += '\r';
    pendingCarriageReturn = c == '\r';
    if (pendingCarriageReturn) continue;
    if (c == '\0') return PlainListRead::kOk;  // the list ends at a NUL byte
    text += static_cast<char>(c);
    if (static_cast<int>(text.size()) > kMaxPlainListLength) return PlainListRead::kTooLong;
  }
  // A directory opens on POSIX but cannot be read; neither can a file whose read fails. Both
  // count as unreadable rather than as a shorter list.
  if (std::ferror(file.get())) {
    text.clear();
    return PlainListRead::kCannotOpen;
  }
  if (pendingCarriageReturn) text += '\r';
  if (static_cast<int>(text.size()) > kMaxPlainListLength) return PlainListRead::kTooLong;
  return PlainListRead::kOk;
}

}  // namespace qv::devicemask
