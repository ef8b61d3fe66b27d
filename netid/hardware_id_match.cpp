#include "netid/hardware_id_match.h"

#include <cstring>

namespace qv::netid {
namespace {

constexpr char kNotAscii = static_cast<char>(0x80);

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

bool IsAsciiText(const char* text) {
  for (; *text != '\0'; ++text)
    if (static_cast<unsigned char>(*text) >= 0x80) return false;
  return true;
}

}  // namespace

QVString UpperCased(QVString text) {
  text.MakeUpper();
  return text;
}

bool ContainsRow(const QVString& upperInstanceId, const QVString& upperRow) {
  const WCHAR* row = upperRow.GetWide();
  return row[0] != 0 && upperInstanceId.Find(row, 0) != -1;
}

std::string AsciiImage(const char* instanceId) {
  if (IsAsciiText(instanceId)) {
    std::string image(instanceId);
    for (char& c : image) c = UpperAscii(c);
    return image;
  }
  const QVString::WideString wide = UpperCased(QVString(instanceId)).GetWideString();
  std::string image(wide.size(), kNotAscii);
  for (std::size_t i = 0; i < wide.size(); ++i)
    if (wide[i] < 0x80) image[i] = static_cast<char>(wide[i]);
  return image;
}

std::optional<std::string> AsciiRowImage(const QVString& row) {
  const QVString copy(row);  // reading the wide form of the row itself would switch its form
  std::string image;
  for (const WCHAR* unit = copy.GetWide(); *unit != 0; ++unit) {
    if (*unit >= 0x80) return std::nullopt;
    image += UpperAscii(static_cast<char>(*unit));
  }
  return image;
}

bool ImageContainsRow(const std::string& idImage, const std::string& rowImage) {
  return !rowImage.empty() && idImage.find(rowImage) != std::string::npos;
}

}  // namespace qv::netid
