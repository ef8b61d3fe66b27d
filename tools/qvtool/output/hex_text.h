// Numbers as the tool prints them in hexadecimal, in text and JSON alike.
#pragma once

#include <string>

namespace qvtool {

// "0x01C3" style hexadecimal with at least `digits` digits.
std::string Hex(unsigned long long value, int digits);

}  // namespace qvtool
