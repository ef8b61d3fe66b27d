#include "tools/qvtool/list_file_source.h"

#include <filesystem>

#include "devicemask/list_file.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {

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

}  // namespace qvtool
