#include "devicemask/plain_list_reader.h"

#include <cstdio>
#include <memory>

#include "devicemask/sys_id_list.h"

namespace qv::sysids {
namespace {

constexpr int kEndOfText = 0x1A;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

PlainListRead ReadPlainList(const char* path, std::string& text) {
  text.clear();
  if (path == nullptr) return PlainListRead::kCannotOpen;
  // Binary mode with the text-mode translation done here, so every build reads the same text.
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
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

}  // namespace qv::sysids
