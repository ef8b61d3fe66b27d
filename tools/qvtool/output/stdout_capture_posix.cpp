#include <unistd.h>

#include <iostream>

#include "tools/qvtool/output/stdout_capture.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {

StdoutCapture::StdoutCapture() {
  std::cout.flush();
  std::fflush(stdout);
  sink_ = std::tmpfile();
  savedStdout_ = dup(STDOUT_FILENO);
  if (sink_ == nullptr || savedStdout_ < 0 || dup2(fileno(sink_), STDOUT_FILENO) < 0) {
    if (sink_ != nullptr) std::fclose(sink_);
    if (savedStdout_ >= 0) close(savedStdout_);
    throw ToolError("standard output: cannot be captured");
  }
}

StdoutCapture::~StdoutCapture() {
  Finish();
}

std::string StdoutCapture::Finish() {
  if (sink_ == nullptr) return {};
  std::cout.flush();
  std::fflush(stdout);
  dup2(savedStdout_, STDOUT_FILENO);
  close(savedStdout_);
  std::string captured;
  std::rewind(sink_);
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, sink_)) captured.append(buffer, n);
  std::fclose(sink_);
  sink_ = nullptr;
  return captured;
}

}  // namespace qvtool
