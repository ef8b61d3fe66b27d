// SetupAPI device enumeration of the stand-in: the present devices of one bus enumerator, as
// the current machine model lists them, walked by index with their instance IDs.
#pragma once

#include <string>
#include <vector>

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

// Opens the set of devices that the named enumerator (compared without regard to case, null for
// all) enumerated: with DIGCF_PRESENT those present now, without it also those installed but
// not present. They come in the order of their registry keys, as on Windows: enumerator, device
// and instance key, each level sorted by name without regard to case. Every device reports one
// stand-in setup class, so a set for another class GUID is empty; a device-interface set is empty
// too (the model has no interfaces). INVALID_HANDLE_VALUE on failure: ERROR_INVALID_FLAGS for
// undefined flag bits, ERROR_INVALID_PARAMETER without DIGCF_ALLCLASSES and without a class,
// ERROR_INVALID_DATA for an enumerator Windows would not know (neither PCI, USB nor one the machine
// lists devices of).
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

// The arguments of every SetupDiGetClassDevsA call, in order, so tests can pin what a caller
// asked for (refused calls included); the first 10000 since the last ResetDeviceWalks().
struct DeviceSetRequest {
  bool classGuidGiven = false;
  bool enumeratorGiven = false;
  std::string enumerator;  // as passed, case kept
  DWORD flags = 0;
};
std::vector<DeviceSetRequest> DeviceSetRequests();

// Clears the walk counters and the request log.
void ResetDeviceWalks();

}  // namespace qv::standin
