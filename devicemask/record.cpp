#include "devicemask/record.h"

#include <cstring>
#include <string_view>

namespace qv::devicemask {
namespace {

constexpr char kLineEnd = '\n';

// Positions count bytes of the narrow text, where the fields are then read.
std::string_view NarrowText(const QVString& text) {
  const char* narrow = text.GetNarrow();
  return std::string_view(narrow, static_cast<std::size_t>(text.GetLength()));
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The key starts the line at `lineStart` and is not the start of a longer number.
bool LineStartsWithId(std::string_view text, std::size_t lineStart, std::string_view key) {
  if (text.compare(lineStart, key.size(), key) != 0) return false;
  const std::size_t after = lineStart + key.size();
  return after >= text.size() || !IsDigit(text[after]);
}

// Weight of each flag column, record offsets 4 to 11.
constexpr std::array<int, kFlagCount> kColumnWeights = {32, 16, 8, 4, 2, 1, 64, 128};
constexpr int kSixBitColumns = 6;

int WeightedSum(const FlagDigits& digits, int columns) {
  int sum = 0;
  for (int column = 0; column < columns; ++column) sum += digits[column] * kColumnWeights[column];
  return sum;
}

struct LineCode {
  const char* text;
  int number;
};

// Compared in this order; the first equal entry wins.
constexpr LineCode kLineCodes[] = {
    {"GNR", 1}, {"BDW", 2}, {"HKM", 3}, {"CJF", 4}, {"WQE", 5}, {"TRV", kTorvaneLine},
};

}  // namespace

QVString SystemIdKey(std::uint16_t systemId) {
  QVString key;
  key.Format("%d", static_cast<int>(systemId));
  return key;
}

int FindRecord(const QVString& plainList, std::uint16_t systemId) {
  if (systemId == 0) return -1;
  const QVString key = SystemIdKey(systemId);
  const std::string_view digits = NarrowText(key);
  const std::string_view text = NarrowText(plainList);
  for (std::size_t lineStart = 0; lineStart < text.size();) {
    if (LineStartsWithId(text, lineStart, digits)) return static_cast<int>(lineStart);
    const std::size_t lineEnd = text.find(kLineEnd, lineStart);
    if (lineEnd == std::string_view::npos) break;
    lineStart = lineEnd + 1;
  }
  return -1;
}

int FindUnanchored(const QVString& plainList, std::uint16_t systemId) {
  plainList.GetNarrow();
  const QVString key = SystemIdKey(systemId);
  return plainList.Find(key.GetNarrow(), 0);
}

int RecordEnd(const QVString& plainList, int recordStart) {
  const std::string_view text = NarrowText(plainList);
  if (recordStart < 0 || static_cast<std::size_t>(recordStart) >= text.size()) {
    return static_cast<int>(text.size());
  }
  const std::size_t lineEnd = text.find(kLineEnd, static_cast<std::size_t>(recordStart));
  return static_cast<int>(lineEnd == std::string_view::npos ? text.size() : lineEnd);
}

bool RecordIsComplete(const QVString& plainList, int recordStart) {
  return RecordEnd(plainList, recordStart) - recordStart >= kRecordLength;
}

int FlagDigitAt(const QVString& plainList, int position) {
  if (position < 0 || position >= plainList.GetLength()) return 0;
  // A one-character string read as a decimal number: digits give their value, the rest 0.
  return QVString(plainList.GetNarrow()[position]).ToInt();
}

FlagDigits ReadFlagDigits(const QVString& plainList, int recordStart) {
  const int recordEnd = RecordEnd(plainList, recordStart);
  FlagDigits digits{};
  for (int column = 0; column < kFlagCount; ++column) {
    const int position = recordStart + kFirstFlagOffset + column;
    digits[column] = position < recordEnd ? FlagDigitAt(plainList, position) : 0;
  }
  return digits;
}

std::uint8_t EightBitMask(const FlagDigits& digits) {
  return static_cast<std::uint8_t>(WeightedSum(digits, kFlagCount) & 0xFF);
}

int SixBitMask(const FlagDigits& digits) {
  return WeightedSum(digits, kSixBitColumns);
}

int LineCodeNumber(const char* code) {
  for (const LineCode& line : kLineCodes) {
    if (std::memcmp(code, line.text, kLineCodeLength) == 0) return line.number;
  }
  return kNoLine;
}

const char* LineCodeText(int number) {
  for (const LineCode& line : kLineCodes) {
    if (line.number == number) return line.text;
  }
  return nullptr;
}

}  // namespace qv::devicemask
