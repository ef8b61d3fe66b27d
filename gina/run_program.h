// Starting an external program and waiting a while for it to end.
#pragma once

#include "winapi/win32.h"

namespace qv::gina {

// Returned by RunProgram when there is no memory for the command line.
inline constexpr DWORD kRunProgramNoMemory = 1;

// Starts `executablePath` (a bare file name means the one in the current directory; the search
// path is never used) with the command line "<file name of the path><argument tail>", a space
// put before a tail that lacks one, and waits at most `timeoutSeconds` for it to end; a program
// still running then is left running. Returns 0 when the program was started, the system error
// code when it could not be, and kRunProgramNoMemory without memory for the command line.
DWORD RunProgram(const char* executablePath, const char* argumentTail, DWORD timeoutSeconds);

}  // namespace qv::gina
