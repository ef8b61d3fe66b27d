// The thread's last-error value of the stand-in.
#pragma once

#include "winapi/posix/types.h"

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD error);
