// The Base64 codec of QVEncryption: RFC 4648 standard alphabet with "=" padding, optional CR LF
// after every 72 characters when encoding; decoding reads one unbroken run of alphabet
// characters. The result sizes are computed before any byte is produced, so neither direction
// can write past its output, whatever the input size.
#include <array>
#include <cstring>
#include <string>

#include "util/qv_encryption.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned kNotInAlphabet = 64;
constexpr unsigned kLineLength = 72;

constexpr std::array<unsigned, 256> MakeDecodeTable() {
  std::array<unsigned, 256> table{};
  for (unsigned& value : table) value = kNotInAlphabet;
  for (unsigned i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}
constexpr std::array<unsigned, 256> kDecodeTable = MakeDecodeTable();

unsigned ValueOf(char c) {
  return kDecodeTable[static_cast<unsigned char>(c)];
}

// Bytes a run of `characters` alphabet characters decodes to. A lone character left over
// after the last full group carries fewer than 8 bits and yields nothing.
DWORD DecodedSize(DWORD characters) {
  const DWORD remainder = characters % 4;
  return characters / 4 * 3 + (remainder == 3 ? 2 : remainder == 2 ? 1 : 0);
}

void DecodeRun(const char* run, DWORD characters, unsigned char* out) {
  unsigned char* next = out;
  DWORD i = 0;
  for (; characters - i >= 4; i += 4) {
    const unsigned a = ValueOf(run[i]), b = ValueOf(run[i + 1]);
    const unsigned c = ValueOf(run[i + 2]), d = ValueOf(run[i + 3]);
    *next++ = static_cast<unsigned char>((a << 2) | (b >> 4));
    *next++ = static_cast<unsigned char>(((b << 4) | (c >> 2)) & 255);
    *next++ = static_cast<unsigned char>(((c << 6) | d) & 255);
  }
  const DWORD remainder = characters - i;
  if (remainder >= 2) {
    const unsigned a = ValueOf(run[i]), b = ValueOf(run[i + 1]);
    *next++ = static_cast<unsigned char>((a << 2) | (b >> 4));
    if (remainder == 3) {
      const unsigned c = ValueOf(run[i + 2]);
      *next++ = static_cast<unsigned char>(((b << 4) | (c >> 2)) & 255);
    }
  }
}

}  // namespace

QVString QVEncryption::EncodeBase64(unsigned char* data, unsigned int length, bool lineBreaks) {
  if (data == nullptr || length == 0) return QVString("");
  const std::size_t characters = (static_cast<std::size_t>(length) + 2) / 3 * 4;
  const std::size_t breaks = lineBreaks ? (characters - 1) / kLineLength : 0;
  std::string text;
  text.reserve(characters + 2 * breaks);
  std::size_t written = 0;
  auto put = [&](unsigned value) {
    if (lineBreaks && written > 0 && written % kLineLength == 0) text += "\r\n";
    text += kAlphabet[value & 63];
    ++written;
  };
  for (unsigned int i = 0; i < length; i += 3) {
    const unsigned b0 = data[i];
    const unsigned b1 = i + 1 < length ? data[i + 1] : 0;
    const unsigned b2 = i + 2 < length ? data[i + 2] : 0;
    put(b0 >> 2);
    put(((b0 & 3) << 4) | (b1 >> 4));
    put(((b1 & 15) << 2) | (b2 >> 6));
    put(b2 & 63);
  }
  const unsigned left = length % 3;
  if (left == 1) text.replace(text.size() - 2, 2, "==");
  if (left == 2) text.back() = '=';
  return QVString(text.c_str());
}

bool QVEncryption::DecodeBase64(char* text, unsigned char* out, DWORD& length) {
  const DWORD capacity = length;
  if (text == nullptr) {
    length = 0;
    return true;
  }
  const char* run = text;
  while (*run == ' ' || *run == '\t') ++run;
  DWORD characters = 0;
  while (characters < capacity && ValueOf(run[characters]) != kNotInAlphabet) ++characters;
  const DWORD size = DecodedSize(characters);
  length = size;
  if (capacity < size) return false;
  if (size > 0) {
    if (out == nullptr) return false;
    DecodeRun(run, characters, out);
  }
  return true;
}
