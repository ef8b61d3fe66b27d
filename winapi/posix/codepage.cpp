// UTF-8 <-> UTF-16 conversion with the documented Win32 contract: a count of -1 includes the
// terminator, a zero output size asks for the size, a short output buffer fails with
// ERROR_INSUFFICIENT_BUFFER, and ill-formed input becomes U+FFFD unless MB_ERR_INVALID_CHARS.
#include <string>

#include "winapi/posix/codepage.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"

namespace {

constexpr DWORD kNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION
constexpr char32_t kReplacement = 0xFFFD;

bool IsUtf8CodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP ||
         codePage == CP_UTF8;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns false for an ill-formed sequence
// (i then moves past its first byte only, as the replacement covers one byte).
bool DecodeUtf8(const unsigned char* text, std::size_t size, std::size_t& i, char32_t& out) {
  const unsigned char lead = text[i];
  int extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    out = lead;
    ++i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return false;
  }
  if (i + static_cast<std::size_t>(extra) >= size) {  // truncated at the end
    ++i;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char next = text[i + k];
    if ((next & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++i;
    return false;
  }
  i += static_cast<std::size_t>(extra) + 1;
  out = value;
  return true;
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

template <typename Unit>
int CopyOut(const std::basic_string<Unit>& converted, Unit* out, int outCount) {
  const int needed = static_cast<int>(converted.size());
  if (outCount == 0) return needed;
  if (outCount < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  converted.copy(out, converted.size());
  return needed;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                               LPWSTR wide, int wideCount) {
  if (qv::standin::ShouldFail("MultiByteToWideChar")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!IsUtf8CodePage(codePage) || (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) != 0) {
    SetLastError(codePage == CP_UTF8 || IsUtf8CodePage(codePage) ? ERROR_INVALID_FLAGS
                                                                 : ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (multiByte == nullptr || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0 ||
      (wideCount > 0 && wide == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(multiByte);
  const std::size_t size = multiByteCount == -1 ? std::char_traits<char>::length(multiByte) + 1
                                                : static_cast<std::size_t>(multiByteCount);
  std::u16string converted;
  for (std::size_t i = 0; i < size;) {
    char32_t c = 0;
    if (!DecodeUtf8(bytes, size, i, c)) {
      if (flags & MB_ERR_INVALID_CHARS) {
        SetLastError(kNoUnicodeTranslation);
        return 0;
      }
      c = kReplacement;
    }
    AppendUtf16(converted, c);
  }
  return CopyOut(converted, wide, wideCount);
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount,
                               LPSTR multiByte, int multiByteCount, LPCSTR defaultChar,
                               BOOL* usedDefaultChar) {
  if (qv::standin::ShouldFail("WideCharToMultiByte")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!IsUtf8CodePage(codePage)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // For UTF-8 Windows rejects any flag but WC_ERR_INVALID_CHARS and any default character.
  if (flags != 0 && flags != 0x80) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  if (wide == nullptr || wideCount == 0 || wideCount < -1 || multiByteCount < 0 ||
      (multiByteCount > 0 && multiByte == nullptr) || defaultChar != nullptr ||
      usedDefaultChar != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t size = static_cast<std::size_t>(wideCount);
  if (wideCount == -1) {
    size = 0;
    while (wide[size] != 0) ++size;
    ++size;
  }
  std::string converted;
  for (std::size_t i = 0; i < size; ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < size && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      if (flags & 0x80) {
        SetLastError(kNoUnicodeTranslation);
        return 0;
      }
      c = kReplacement;
    }
    AppendUtf8(converted, c);
  }
  return CopyOut(converted, multiByte, multiByteCount);
}
