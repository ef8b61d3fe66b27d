// SetupAPI device enumeration of the stand-in: the present devices of one bus enumerator, as
// the current machine model lists them, walked by index with their instance IDs.
#pragma once

#include <string>

#include "winapi/posix/types.h"

using HDEVINFO = void*;

#define DIGCF_DEFAULT 0x00000001
#define DIGCF_PRESENT 0x00000002
#define DIGCF_ALLCLASSES 0x00000004
#define DIGCF_PROFILE 0x00000008
#define DIGCF_DEVICEINTERFACE 0x00000010

// The record has the 32-bit Windows layout (28 bytes) on every stand-in build, so callers that
// set cbSize to sizeof(SP_DEVINFO_DATA) pass the size a 32-bit SetupAPI expects.
struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  DWORD Reserved;  // which device of its set the record describes
};
using PSP_DEVINFO_DATA = SP_DEVINFO_DATA*;
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "SP_DEVINFO_DATA must keep the 32-bit layout");

// Opens the set of devices that the named enumerator (compared without regard to case)
// enumerated. Only the forms with DIGCF_ALLCLASSES or a class GUID are supported; DIGCF_PRESENT
// changes nothing, since the machine model lists present devices only. An enumerator the machine
// does not know yields an empty set. INVALID_HANDLE_VALUE on failure.
HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND hwndParent,
                                     DWORD flags);
// Fills `deviceInfoData` for the device at `memberIndex`; ERROR_NO_MORE_ITEMS past the end,
// ERROR_INVALID_USER_BUFFER when cbSize is not sizeof(SP_DEVINFO_DATA).
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex,
                                  PSP_DEVINFO_DATA deviceInfoData);
// Writes the instance ID, NUL-terminated. When `bufferSize` is too small: FALSE,
// ERROR_INSUFFICIENT_BUFFER, and *requiredSize (if given) set to the length plus the NUL.
BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO deviceInfoSet, PSP_DEVINFO_DATA deviceInfoData,
                                        LPSTR deviceInstanceId, DWORD deviceInstanceIdSize,
                                        PDWORD requiredSize);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet);

namespace qv::standin {

// Counters of device walks by enumerator name (upper case, "" for all enumerators), so tests
// can check how often a call opened and walked a set. A walk is complete when
// SetupDiEnumDeviceInfo was asked for the index one past the last device of its set.
struct DeviceWalkCounts {
  int opened = 0;
  int completed = 0;
};
DeviceWalkCounts DeviceWalks(const std::string& enumerator);
void ResetDeviceWalks();

}  // namespace qv::standin
