// Stands in for Intel's single-sign-on tool iWrap.exe: appends the command line it was started
// with, one per line, to iwrap-calls.txt in the current directory, and the path of the copy
// that ran to iwrap-programs.txt.
#include <windows.h>

#include <cstdio>

namespace {

bool Append(const char* file, const char* line) {
  std::FILE* log = std::fopen(file, "ab");
  if (log == nullptr) return false;
  std::fprintf(log, "%s\n", line);
  std::fclose(log);
  return true;
}

}  // namespace

int main() {
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const bool logged =
      Append("iwrap-calls.txt", GetCommandLineA()) && Append("iwrap-programs.txt", program);
  return logged ? 0 : 1;
}
