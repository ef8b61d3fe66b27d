#include <cstring>

#include "machine/machine.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/process.h"

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (qv::standin::ShouldFail("GetVersionExA")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const qv::machine::OsVersion& os = qv::standin::CurrentMachine().os;
  info->dwMajorVersion = os.major;
  info->dwMinorVersion = os.minor;
  info->dwBuildNumber = 0;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  return TRUE;
}
