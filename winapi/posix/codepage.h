// Code-page conversion. The stand-in's ANSI code page is UTF-8 (CP_ACP and CP_THREAD_ACP both
// mean UTF-8); wide text is UTF-16 in char16_t units.
#pragma once

#include "winapi/posix/types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                               LPWSTR wide, int wideCount);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount,
                               LPSTR multiByte, int multiByteCount, LPCSTR defaultChar,
                               BOOL* usedDefaultChar);
