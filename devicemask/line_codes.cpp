#include "devicemask/line_codes.h"

#include <cstring>

namespace qv::devicemask {
namespace {

struct LineCode {
  const char* text;
  int number;
};

// Compared in this order; the first equal entry wins.
constexpr LineCode kLineCodes[] = {
    {"GNR", 1}, {"BDW", 2}, {"HKM", 3}, {"CJF", 4}, {"WQE", 5}, {"TRV", kTorvaneLine},
};

}  // namespace

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
