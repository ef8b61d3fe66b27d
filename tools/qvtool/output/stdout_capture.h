// Captures what the process (and any program it starts) writes to standard output while an
// object of this class lives, so that a command can show it as part of its own output.
#pragma once

#include <cstdio>
#include <string>

namespace qvtool {

class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Ends the capture and returns what was written.
  std::string Finish();

 private:
  std::FILE* sink_ = nullptr;
  int savedStdout_ = -1;
};

}  // namespace qvtool
