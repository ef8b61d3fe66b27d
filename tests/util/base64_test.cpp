#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "util/qv_encryption.h"

namespace {

template <typename Function>
struct LengthParameter;
template <typename Result, typename Text, typename Out, typename Length>
struct LengthParameter<Result (*)(Text, Out, Length&)> {
  using Type = Length;
};

TEST(Base64Test, DecodedLengthIsAnUnsigned32BitValueInEveryBuild) {
  using Length = LengthParameter<decltype(&QVEncryption::DecodeBase64)>::Type;
  EXPECT_EQ(sizeof(Length), 4u);
  EXPECT_TRUE(std::is_unsigned_v<Length>);
}

std::string Encode(const std::string& bytes, bool lineBreaks = false) {
  std::vector<unsigned char> data(bytes.begin(), bytes.end());
  return QVEncryption::EncodeBase64(data.data(), static_cast<unsigned>(data.size()), lineBreaks)
      .GetNarrow();
}

struct Decoded {
  bool ok;
  DWORD length;
  std::string bytes;
};

Decoded Decode(std::string text, DWORD capacity) {
  std::vector<unsigned char> out(capacity + 8, 0xEE);
  DWORD length = capacity;
  const bool ok = QVEncryption::DecodeBase64(text.data(), out.data(), length);
  for (std::size_t i = capacity; i < out.size(); ++i)
    EXPECT_EQ(out[i], 0xEE) << "wrote past the capacity at " << i;
  return {ok, length, std::string(out.begin(), out.begin() + (ok ? length : 0))};
}

TEST(Base64Test, EncodesWithPadding) {
  EXPECT_EQ(Encode("abc"), "YWJj");
  EXPECT_EQ(Encode("ab"), "YWI=");
  EXPECT_EQ(Encode("a"), "YQ==");
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode(std::string("\xFF\x00\x10", 3)), "/wAQ");
}

TEST(Base64Test, BreaksLinesAfterEvery72Characters) {
  EXPECT_EQ(Encode(std::string(54, 'x'), true).size(), 72u);
  const std::string broken = Encode(std::string(55, 'x'), true);
  ASSERT_EQ(broken.size(), 72u + 2 + 4);
  EXPECT_EQ(broken.substr(72, 2), "\r\n");
  EXPECT_EQ(broken.substr(76), "==");
  const std::string twoBreaks = Encode(std::string(109, 'x'), true);
  EXPECT_EQ(twoBreaks.size(), 148u + 4);
  EXPECT_EQ(twoBreaks.substr(146, 2), "\r\n");
}

TEST(Base64Test, DecodesUpToTheFirstByteOutsideTheAlphabet) {
  EXPECT_EQ(Decode("YWI=", 4).bytes, "ab");
  EXPECT_EQ(Decode("YQ==", 4).bytes, "a");
  EXPECT_EQ(Decode(" \tYWJj", 6).bytes, "abc");
  EXPECT_EQ(Decode("YWJj\r\nZGVm", 10).bytes, "abc");
  const Decoded none = Decode("YWJj", 0);
  EXPECT_TRUE(none.ok);
  EXPECT_EQ(none.length, 0u);
}

TEST(Base64Test, CapacityBoundsTheCharactersRead) {
  EXPECT_EQ(Decode("YWJjZGVm", 4).bytes, "abc");
  EXPECT_EQ(Decode("YWJj", 3).bytes, "ab");
  // A lone character after the last group carries no whole byte.
  const Decoded lone = Decode("YWJjZ", 5);
  EXPECT_TRUE(lone.ok);
  EXPECT_EQ(lone.bytes, "abc");
}

TEST(Base64Test, ShortCapacitiesReadFewerCharacters) {
  std::string text = "YWJj";
  unsigned char out[2] = {0xEE, 0xEE};
  DWORD length = 2;  // two characters: one byte fits
  EXPECT_TRUE(QVEncryption::DecodeBase64(text.data(), out, length));
  EXPECT_EQ(length, 1u);
  // Capacity 1 reads one character, which yields nothing and so fits.
  length = 1;
  EXPECT_TRUE(QVEncryption::DecodeBase64(text.data(), out, length));
  EXPECT_EQ(length, 0u);
}

TEST(Base64Test, LargeInputsRoundTripWithoutOverrunningAnything) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes += static_cast<char>(i * 7 + 3);
  for (bool lineBreaks : {false, true}) {
    const std::string text = Encode(bytes, lineBreaks);
    std::string unbroken;
    for (char c : text)
      if (c != '\r' && c != '\n') unbroken += c;
    EXPECT_EQ(unbroken.size(), (bytes.size() + 2) / 3 * 4);
    const Decoded decoded = Decode(unbroken, static_cast<DWORD>(unbroken.size()));
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.bytes, bytes);
  }
}

}  // namespace
