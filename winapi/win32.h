// The one header through which the subsystems reach the Win32 API: the real Windows headers
// when building for Windows, the POSIX stand-in everywhere else. Subsystem code includes this
// and calls the Win32 functions by their real names.
#pragma once

// The includes below keep their order on purpose: each header needs the ones above it.
// clang-format off
#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
// SetupAPI is not imported but bound at run time (winapi/windows/setupapi_binding.cpp): its
// functions are declared as this module's own.
#define _SETUPAPI_
#include <setupapi.h>
#include <wbemidl.h>
#include <wincrypt.h>
// Wide literals: wchar_t is 16 bits on Windows.
#define QV_WIDE(text) L##text
#else
#include "winapi/posix/types.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/handles.h"
#include "winapi/posix/files.h"
#include "winapi/posix/codepage.h"
#include "winapi/posix/crypt.h"
#include "winapi/posix/sync.h"
#include "winapi/posix/power.h"
#include "winapi/posix/mapping.h"
#include "winapi/posix/mutex.h"
#include "winapi/posix/heap.h"
#include "winapi/posix/setupapi.h"
#include "winapi/posix/registry.h"
#include "winapi/posix/process.h"
#include "winapi/posix/com.h"
#include "winapi/posix/oleauto.h"
#include "winapi/posix/wbem.h"
// Wide literals: WCHAR is char16_t on POSIX.
#define QV_WIDE(text) u##text
#endif
// clang-format on
