#include "tools/qvtool/listcheck/list_source.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "devicemask/list_file.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/listcheck/list_linter.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

bool IsBase64Character(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=';
}

// The readers take the content up to the first NUL byte; an encrypted list is one run of
// Base64 characters in groups of four. A plain list always holds spaces or line ends.
bool LooksEncrypted(const std::string& bytes) {
  const std::string content = bytes.substr(0, bytes.find('\0'));
  return !content.empty() && content.size() % 4 == 0 &&
         std::all_of(content.begin(), content.end(), IsBase64Character);
}

std::string ReadBytes(const std::string& path) {
  return ReadFileBytes(path, static_cast<std::size_t>(qv::devicemask::kMaxListFileSize));
}

}  // namespace

std::string OpenFailureReason(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return "no such file";
  if (std::filesystem::is_directory(status)) return "is a directory, not a file";
  return "cannot be opened for reading";
}

QVString ReadEncryptedList(const std::string& path) {
  qv::devicemask::ListFileContent content =
      qv::devicemask::ReadListFile(path.c_str(), qv::devicemask::ShortReadPolicy::kAccept);
  switch (content.status) {
    case qv::devicemask::ListFileStatus::kRead:
      return content.text;
    case qv::devicemask::ListFileStatus::kTooLarge:
      throw ToolError(path + ": larger than " + std::to_string(qv::devicemask::kMaxListFileSize) +
                      " bytes; not an encrypted list");
    default:
      throw ToolError(path + ": " + OpenFailureReason(path));
  }
}

QVString DecryptListFile(const std::string& path) {
  QVString text = ReadEncryptedList(path);
  if (text.IsEmpty()) throw ToolError(path + ": empty file; nothing to decrypt");
  if (!qv::devicemask::DecryptListText(text)) {
    throw ToolError(path +
                    ": not a list encrypted with the product's pass phrase (decryption "
                    "failed)");
  }
  return text;
}

ListText ReadListText(const std::string& path, ListFormat format) {
  if (format == ListFormat::kAuto) {
    format = LooksEncrypted(ReadBytes(path)) ? ListFormat::kEncrypted : ListFormat::kPlain;
  }
  ListText list;
  list.format = format;
  if (format == ListFormat::kPlain) {
    list.plain = TranslateAsTextMode(ReadBytes(path));
    return list;
  }
  const QVString plain = DecryptListFile(path);
  list.plain.assign(plain.GetNarrow(), static_cast<std::size_t>(plain.GetLength()));
  return list;
}

const char* ListFormatName(ListFormat format) {
  switch (format) {
    case ListFormat::kPlain:
      return "plain";
    case ListFormat::kEncrypted:
      return "encrypted";
    default:
      return "auto";
  }
}

}  // namespace qvtool
