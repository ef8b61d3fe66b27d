// Critical sections: recursive locks that the owning thread may enter again. A section must be
// initialised before use and deleted once; the stand-in holds its lock outside the structure.
#pragma once

#include "winapi/posix/types.h"

typedef struct _CRITICAL_SECTION {
  void* lock;  // owned by the stand-in between Initialize and Delete
} CRITICAL_SECTION, *LPCRITICAL_SECTION, *PCRITICAL_SECTION;

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section);
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section);
