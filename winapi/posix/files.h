// Files: the replace-in-one-step rename the list writer uses, deletion, and the attribute query
// the list reader asks whether a path is a directory with.
#pragma once

#include "winapi/posix/types.h"

#define MOVEFILE_REPLACE_EXISTING 0x00000001
BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags);
BOOL WINAPI DeleteFileA(LPCSTR name);

#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
DWORD WINAPI GetFileAttributesA(LPCSTR name);
