// Runs the qvtool program as a user would and collects its exit code and both output streams.
#pragma once

#include <string>

namespace qvtool::test {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// `arguments` is appended to the program's path as shell words; the program runs in
// `directory` (the current one when empty) with QV_MACHINE unset.
ToolRun RunQvtool(const std::string& arguments, const std::string& directory = "");

// Path of a file in the source tree, e.g. "examples/sysids.txt".
std::string SourceFile(const std::string& relative);

}  // namespace qvtool::test
