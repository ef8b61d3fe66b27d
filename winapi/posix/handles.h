// Generic kernel handles of the stand-in.
#pragma once

#include "winapi/posix/types.h"

// Closes any kernel handle the stand-in hands out (mappings, mutexes, processes, threads).
BOOL WINAPI CloseHandle(HANDLE handle);
