#include "tools/qvtool/list_text_source.h"

#include <algorithm>
#include <cctype>

#include "devicemask/list_file.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/list_file_source.h"
#include "tools/qvtool/list_lint.h"
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
