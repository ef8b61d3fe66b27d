// UTF-8 <-> UTF-16 conversion through MultiByteToWideChar and WideCharToMultiByte. CP_UTF8 is
// named explicitly: the stand-in's ANSI code page is UTF-8, Wine's is 1252, so only CP_UTF8
// means the same on both.
#include <gtest/gtest.h>

#include <string>

#include "winapi/win32.h"

namespace {

using Wide = std::basic_string<WCHAR>;

constexpr DWORD kNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION
constexpr WCHAR kReplacement = 0xFFFD;

// "h", e-acute, "llo ", euro sign, and U+1F600 (a surrogate pair in UTF-16).
constexpr char kUtf8[] = "h\xC3\xA9llo \xE2\x82\xAC\xF0\x9F\x98\x80";
const Wide kUtf16 = {WCHAR{'h'}, WCHAR{0xE9},   WCHAR{'l'},    WCHAR{'l'},   WCHAR{'o'},
                     WCHAR{' '}, WCHAR{0x20AC}, WCHAR{0xD83D}, WCHAR{0xDE00}};

Wide ToWide(const char* text, int count, DWORD flags = 0) {
  const int needed = MultiByteToWideChar(CP_UTF8, flags, text, count, nullptr, 0);
  if (needed <= 0) return Wide();
  Wide out(static_cast<std::size_t>(needed), WCHAR{0});
  const int written = MultiByteToWideChar(CP_UTF8, flags, text, count, &out[0], needed);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::string ToUtf8(const WCHAR* text, int count) {
  const int needed = WideCharToMultiByte(CP_UTF8, 0, text, count, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string out(static_cast<std::size_t>(needed), '\0');
  const int written =
      WideCharToMultiByte(CP_UTF8, 0, text, count, &out[0], needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

TEST(CodePageConformance, Utf8ToUtf16CountsUnitsAndTheTerminatorOnlyWhenAsked) {
  const int bytes = static_cast<int>(sizeof kUtf8 - 1);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kUtf8, bytes, nullptr, 0), 9);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kUtf8, -1, nullptr, 0), 10);
  EXPECT_EQ(ToWide(kUtf8, bytes), kUtf16);

  Wide withTerminator = ToWide(kUtf8, -1);
  ASSERT_EQ(withTerminator.size(), 10u);
  EXPECT_EQ(withTerminator.back(), WCHAR{0});
  withTerminator.pop_back();
  EXPECT_EQ(withTerminator, kUtf16);

  // An embedded NUL is converted like any other character when the length is given.
  const char withNul[] = {'a', '\0', 'b'};
  EXPECT_EQ(ToWide(withNul, 3), (Wide{WCHAR{'a'}, WCHAR{0}, WCHAR{'b'}}));
}

TEST(CodePageConformance, Utf16ToUtf8RoundTrips) {
  EXPECT_EQ(ToUtf8(kUtf16.data(), static_cast<int>(kUtf16.size())), std::string(kUtf8));
  const Wide terminated = kUtf16 + WCHAR{0};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, terminated.c_str(), -1, nullptr, 0, nullptr, nullptr),
            static_cast<int>(sizeof kUtf8));
}

TEST(CodePageConformance, IllFormedUtf8IsReplacedOrRejected) {
  const char truncated[] = "ab\xE2\x82";
  const Wide replaced = ToWide(truncated, 4);
  ASSERT_GE(replaced.size(), 3u);
  EXPECT_EQ(replaced.substr(0, 2), (Wide{WCHAR{'a'}, WCHAR{'b'}}));
  EXPECT_EQ(replaced[2], kReplacement);

  const char stray[] = "a\x80z";
  EXPECT_EQ(ToWide(stray, 3), (Wide{WCHAR{'a'}, kReplacement, WCHAR{'z'}}));

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, stray, 3, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), kNoUnicodeTranslation);
}

TEST(CodePageConformance, ShortBuffersAndBadArgumentsFailWithTheDocumentedErrors) {
  WCHAR wide[4] = {};
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kUtf8, -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  char narrow[4] = {};
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kUtf16.data(), static_cast<int>(kUtf16.size()), narrow,
                                4, nullptr, nullptr),
            0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kUtf8, 0, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
