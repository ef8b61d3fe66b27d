// qvtool's plain-list linter on arbitrary file bytes: it never throws, and every problem it
// reports points at a line and column of the text it read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/qvtool/listcheck/list_linter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const qvtool::LintResult result = qvtool::LintList(bytes);
  for (const qvtool::LintProblem& problem : result.problems) {
    if (problem.line < 0 || problem.column < 0) __builtin_trap();
    if (qvtool::RuleName(problem.rule) == nullptr) __builtin_trap();
  }
  if (result.plainText.size() > size) __builtin_trap();
  return 0;
}
