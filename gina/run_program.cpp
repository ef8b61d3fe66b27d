#include "gina/run_program.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "win/scoped_handle.h"

namespace qv::gina {
namespace {

// Installers load the 32-bit module, where the start-up block is 68 bytes long.
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "STARTUPINFOA layout");

std::string FileNamePart(const std::string& path) {
  const std::size_t backslash = path.find_last_of('\\');
  return backslash == std::string::npos ? path : path.substr(backslash + 1);
}

// The command line in a writable buffer, as CreateProcessA wants it; null without memory.
std::unique_ptr<char[]> BuildCommandLine(const char* executablePath, const char* argumentTail) {
  try {
    std::string tail = argumentTail != nullptr ? argumentTail : "";
    if (!tail.empty() && tail.front() != ' ') tail.insert(tail.begin(), ' ');
    const std::string commandLine = FileNamePart(executablePath) + tail;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[commandLine.size() + 1]);
    if (buffer) std::memcpy(buffer.get(), commandLine.c_str(), commandLine.size() + 1);
    return buffer;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

DWORD TimeoutMilliseconds(DWORD seconds) {
  constexpr DWORD kLongestFiniteWait = INFINITE - 1;
  return seconds > kLongestFiniteWait / 1000 ? kLongestFiniteWait : seconds * 1000;
}

// A failed start always yields a nonzero code, so that callers never take it for a start.
DWORD StartError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : static_cast<DWORD>(ERROR_FILE_NOT_FOUND);
}

}  // namespace

DWORD RunProgram(const char* executablePath, const char* argumentTail, DWORD timeoutSeconds) {
  if (executablePath == nullptr) return ERROR_INVALID_PARAMETER;
  std::unique_ptr<char[]> commandLine = BuildCommandLine(executablePath, argumentTail);
  if (!commandLine) return kRunProgramNoMemory;

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof(process));
  if (!CreateProcessA(executablePath, commandLine.get(), nullptr, nullptr, FALSE,
                      CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process))
    return StartError();

  win::ScopedHandle processHandle(process.hProcess);
  win::ScopedHandle threadHandle(process.hThread);
  // Whether the program ended or the time ran out makes no difference to the caller.
  WaitForSingleObject(processHandle.Get(), TimeoutMilliseconds(timeoutSeconds));
  return 0;
}

}  // namespace qv::gina
