// The process heap of the stand-in: blocks from the C runtime's allocator, each one tracked so
// that a foreign or doubly freed pointer is refused instead of corrupting memory.
#pragma once

#include "winapi/posix/types.h"

#define HEAP_NO_SERIALIZE 0x00000001
#define HEAP_GENERATE_EXCEPTIONS 0x00000004
#define HEAP_ZERO_MEMORY 0x00000008

// The one heap of the process; null only when a test makes the call fail.
HANDLE WINAPI GetProcessHeap();
// A block of `bytes` bytes (zeroed with HEAP_ZERO_MEMORY), or null. As on Windows, a failure
// does not set the last error, and HEAP_GENERATE_EXCEPTIONS raises nothing.
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
// TRUE for a null block; FALSE with ERROR_INVALID_PARAMETER for a block this heap did not hand
// out (or has already taken back), ERROR_INVALID_HANDLE for a heap that is not the process heap.
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);
