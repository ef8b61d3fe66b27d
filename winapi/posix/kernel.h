// Thread error state and generic kernel handles of the stand-in.
#pragma once

#include "winapi/posix/types.h"

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD error);

// Closes any kernel handle the stand-in hands out (mappings, processes, threads).
BOOL WINAPI CloseHandle(HANDLE handle);

// Files: the replace-in-one-step rename the list writer uses, and deletion.
#define MOVEFILE_REPLACE_EXISTING 0x00000001
BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags);
BOOL WINAPI DeleteFileA(LPCSTR name);
