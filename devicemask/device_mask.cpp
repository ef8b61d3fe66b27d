#include "devicemask/device_mask.h"

namespace qv::devicemask {
namespace {

// Weight of each flag column, record offsets 4 to 11.
constexpr std::array<int, kFlagCount> kColumnWeights = {32, 16, 8, 4, 2, 1, 64, 128};
constexpr int kSixBitColumns = 6;

int WeightedSum(const FlagDigits& digits, int columns) {
  int sum = 0;
  for (int column = 0; column < columns; ++column) sum += digits[column] * kColumnWeights[column];
  return sum;
}

}  // namespace

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

}  // namespace qv::devicemask
