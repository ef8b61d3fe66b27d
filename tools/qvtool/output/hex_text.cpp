#include "tools/qvtool/output/hex_text.h"

#include <cstdio>

namespace qvtool {

std::string Hex(unsigned long long value, int digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits, value);
  return buffer;
}

}  // namespace qvtool
