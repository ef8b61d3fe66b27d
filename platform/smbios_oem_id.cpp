#include "platform/smbios_oem_id.h"

namespace qv::platform {
namespace {

constexpr std::string_view kIdPrefix = "1[";

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithHexPrefix(std::string_view text) {
  return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
         HexDigit(text[2]) >= 0;
}

}  // namespace

std::uint32_t HexToUnsigned32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (StartsWithHexPrefix(text.substr(i))) i += 2;

  std::uint64_t value = 0;
  bool overflow = false;
  for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
    value = value * 16 + static_cast<std::uint64_t>(HexDigit(text[i]));
    if (value > 0xFFFFFFFFu) {
      overflow = true;
      value = 0xFFFFFFFFu;  // keeps the accumulator bounded while the digits run on
    }
  }
  if (overflow) return 0xFFFFFFFFu;
  const auto result = static_cast<std::uint32_t>(value);
  return negative ? 0u - result : result;
}

bool ReadOemSystemId(std::string_view oemString, std::uint16_t* systemId) {
  if (oemString.substr(0, kIdPrefix.size()) != kIdPrefix) return false;
  *systemId =
      static_cast<std::uint16_t>(HexToUnsigned32(oemString.substr(kIdPrefix.size())) & 0xFFFFu);
  return true;
}

}  // namespace qv::platform
