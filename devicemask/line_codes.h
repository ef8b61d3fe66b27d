// Product-line codes: the three letters at the end of a system-ID list record name the
// product line of the platform. The installer gets the line as a small number.
#pragma once

namespace qv::devicemask {

constexpr int kLineCodeLength = 3;
constexpr int kNoLine = 0;
constexpr int kTorvaneLine = 6;

// The number of the line whose code equals the first kLineCodeLength characters of `code`
// (exact, case-sensitive), or kNoLine. `code` must hold at least kLineCodeLength characters.
int LineCodeNumber(const char* code);

// The code text of a line number from 1 to 6, or nullptr for any other number.
const char* LineCodeText(int number);

}  // namespace qv::devicemask
