#include "devicemask/list_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace qv::devicemask {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The C runtime opens a directory for reading on POSIX but not on Windows; refuse it on both.
// A path the file system library cannot even represent is left to fopen to judge.
bool IsDirectory(const char* path) {
  try {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
  } catch (...) {
    return false;
  }
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

}  // namespace qv::devicemask
