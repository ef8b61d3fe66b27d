// Stands in for Intel's single-sign-on tool iWrap.exe: appends the command line it was started
// with, one per line, to iwrap-calls.txt in the current directory.
#include <windows.h>

#include <cstdio>

int main() {
  std::FILE* log = std::fopen("iwrap-calls.txt", "ab");
  if (log == nullptr) return 1;
  std::fprintf(log, "%s\n", GetCommandLineA());
  std::fclose(log);
  return 0;
}
