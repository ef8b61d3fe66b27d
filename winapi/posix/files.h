// Files: the replace-in-one-step rename the list writer uses, and deletion.
#pragma once

#include "winapi/posix/types.h"

#define MOVEFILE_REPLACE_EXISTING 0x00000001
BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags);
BOOL WINAPI DeleteFileA(LPCSTR name);
