// The one kind of failure a command reports: a single line naming the file (or the thing) and
// the problem. main() prints it on standard error and exits with the code it carries.
#pragma once

#include <stdexcept>
#include <string>

namespace qvtool {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a problem with the input or the machine
constexpr int kExitUsage = 2;    // the command line itself is wrong

class ToolError : public std::runtime_error {
 public:
  explicit ToolError(const std::string& message, int exitCode = kExitFailure)
      : std::runtime_error(message), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

}  // namespace qvtool
