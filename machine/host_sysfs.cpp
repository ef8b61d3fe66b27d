#include "machine/host_sysfs.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace qv::machine::sysfs {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

std::optional<std::string> ReadAttribute(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  if (!file || !std::getline(file, line)) return std::nullopt;
  auto first = std::find_if_not(line.begin(), line.end(), IsSpace);
  auto last = std::find_if_not(line.rbegin(), line.rend(), IsSpace).base();
  if (first >= last) return std::string();
  return std::string(first, last);
}

std::optional<std::uint32_t> ReadHex(const std::string& path, std::uint32_t maximum) {
  std::optional<std::string> text = ReadAttribute(path);
  if (!text) return std::nullopt;
  std::string digits = *text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    digits.erase(0, 2);
  if (digits.empty() || digits.size() > 8 || !std::all_of(digits.begin(), digits.end(), IsHexDigit))
    return std::nullopt;
  const auto value = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
  if (value > maximum) return std::nullopt;
  return value;
}

std::vector<std::string> SortedEntries(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error), end;
  for (; !error && it != end; it.increment(error)) names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::uint32_t StableHash(const std::string& text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

std::string Printf(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return std::string();
  return std::string(buffer,
                     std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

}  // namespace qv::machine::sysfs
