// Test controls of the stand-in's COM runtime: the process-wide call security, which Windows
// lets a process set only once, can be forgotten between tests, and the arguments of every
// CoInitializeSecurity and CoSetProxyBlanket call are kept for tests to check.
#pragma once

#include <vector>

#include "winapi/posix/com.h"

namespace qv::standin {

bool ProcessSecuritySet();
void ResetProcessSecurity();

// How many successful CoInitializeEx calls of this thread await their CoUninitialize.
int ApartmentDepth();

struct SecurityArguments {
  bool descriptor;
  LONG authServiceCount;
  bool authServices;
  DWORD authnLevel;
  DWORD impLevel;
  bool authList;
  DWORD capabilities;
};

struct BlanketArguments {
  DWORD authnService;
  DWORD authzService;
  bool principalName;
  DWORD authnLevel;
  DWORD impLevel;
  bool authInfo;
  DWORD capabilities;
};

// Calls since the last ResetSecurityCalls(), in order, whatever they returned.
std::vector<SecurityArguments> SecurityCalls();
std::vector<BlanketArguments> BlanketCalls();
void ResetSecurityCalls();

}  // namespace qv::standin
