// Named file mappings backed by the paging file, with Windows lifetime semantics across
// processes: a name stays bound to one record while any process holds a handle to it, and the
// next creator after the last holder (even one that crashed) gets a fresh, zeroed record. A view
// keeps its memory after its handle is closed, but not the name. Only mappings of
// INVALID_HANDLE_VALUE (no file) are supported.
//
// Names live in a per-user namespace; the environment variable QV_SHM_NAMESPACE, when set,
// separates the objects of one test run from those of any other.
#pragma once

#include "winapi/posix/types.h"

#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
#define FILE_MAP_ALL_ACCESS 0x000F001Fu
#define ERROR_INVALID_ADDRESS 487L

HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                                 DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCSTR name);
LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow,
                            SIZE_T bytesToMap);
BOOL WINAPI UnmapViewOfFile(LPCVOID baseAddress);
