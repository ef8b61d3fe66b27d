// How long the restoration waits for each start of Intel's single-sign-on tool.
#pragma once

#include "winapi/win32.h"

namespace qv::gina {

inline constexpr DWORD kToolWaitSeconds = 20;

// The wait in seconds: kToolWaitSeconds unless a test has shortened it.
DWORD ToolWaitSeconds();

// For tests only: makes the restoration wait `seconds` instead. Pass kToolWaitSeconds to
// restore the shipped wait.
void SetToolWaitSecondsForTesting(DWORD seconds);

}  // namespace qv::gina
