// The programs the process stand-in was asked to start, for tests and tools that show what a
// caller ran and how.
#pragma once

#include <string>
#include <vector>

#include "winapi/posix/types.h"

namespace qv::standin {

struct ProcessStartRecord {
  std::string applicationName;  // as given ("" for none)
  std::string commandLine;      // as given ("" for none)
  std::string hostPath;         // the program on the host, when the name could be resolved
  DWORD creationFlags = 0;
  DWORD startupInfoSize = 0;  // the cb field of STARTUPINFOA
  BOOL inheritHandles = FALSE;
  DWORD error = 0;  // 0 when started, else the error CreateProcessA reported
  int pid = 0;      // the child's process ID when started
};

// One WaitForSingleObject on a process or thread handle: whose, and the time-out it was given.
struct ProcessWaitRecord {
  int pid = 0;
  DWORD milliseconds = 0;
};

std::vector<ProcessStartRecord> ProcessStarts();
std::vector<ProcessWaitRecord> ProcessWaits();
// Clears the starts and the waits.
void ClearProcessStarts();

}  // namespace qv::standin
