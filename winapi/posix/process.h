// Process creation, waiting and the version query of the stand-in.
//
// CreateProcessA runs a real POSIX program with posix_spawn. The application name is resolved
// as Windows does with an explicit name: against the caller's current directory, never along
// the search path. Windows paths map onto the host: a drive path "X:\dir\file" lies below the
// directory named by the environment variable QV_DRIVE_X (a drive without that variable does
// not exist); a path without a drive is a host path, with backslashes read as slashes. The
// command line becomes the child's argv by the Windows rules.
//
// Process and thread handles are kernel handles closed with CloseHandle; both refer to the
// child, and waiting on either waits for it to end. The child is reaped as soon as a wait sees
// it end. A child still running when its last handle is closed is reaped by a later process
// call of the stand-in, or by init once this process has exited.
#pragma once

#include "winapi/posix/types.h"

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
using POSVERSIONINFOA = OSVERSIONINFOA*;
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

#define VER_PLATFORM_WIN32_NT 2

// Fills `info` from the current machine's Windows version. dwOSVersionInfoSize must be
// sizeof(OSVERSIONINFOA) (148), else FALSE with ERROR_INSUFFICIENT_BUFFER.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);

// SECURITY_ATTRIBUTES is shared with the file mappings: see types.h.

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

#define DEBUG_PROCESS 0x00000001
#define DEBUG_ONLY_THIS_PROCESS 0x00000002
#define CREATE_SUSPENDED 0x00000004
#define DETACHED_PROCESS 0x00000008
#define CREATE_NEW_CONSOLE 0x00000010
#define NORMAL_PRIORITY_CLASS 0x00000020
#define CREATE_NEW_PROCESS_GROUP 0x00000200
#define CREATE_UNICODE_ENVIRONMENT 0x00000400
#define CREATE_DEFAULT_ERROR_MODE 0x04000000
#define CREATE_NO_WINDOW 0x08000000

#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267L
#endif

// Creation flags the stand-in cannot honour (suspension, debugging, a wide environment) fail
// with ERROR_INVALID_PARAMETER; the others are accepted and have no effect on POSIX. With
// inheritHandles FALSE the child gets no descriptors beyond standard input, output and error.
BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                           LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                           LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation);

// Waits on a process, thread or mutex handle (mutex.h): for a child, WAIT_OBJECT_0 once it has
// ended, WAIT_TIMEOUT when `milliseconds` passed first (INFINITE waits without limit);
// WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that cannot be waited on.
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
