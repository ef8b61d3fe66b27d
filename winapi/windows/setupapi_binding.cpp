// The four SetupAPI functions of the adapter walks, bound at run time to the system directory's
// setupapi.dll.
//
// setupapi.dll is not a KnownDLL on Windows XP: imported statically, it would be looked for in
// the folder of the installer's program first. So it is not imported. winapi/win32.h declares
// these functions as this module's own, and the code above calls them by their names as ever.
// Each device set holds one reference to the DLL, taken when the set is opened and given back
// when it is destroyed, so the DLL is loaded exactly while a set is open and never outlives
// this module.
#include "winapi/win32.h"
#include "winapi/windows/system_library.h"

namespace {

constexpr char kSetupApi[] = "setupapi.dll";

// The system directory's setupapi.dll if it is loaded, without taking a reference. Every open
// set holds one, so null means that no set is open.
HMODULE LoadedSetupApi() {
  char path[MAX_PATH];
  return qv::winapi::SystemLibraryPath(kSetupApi, path) ? GetModuleHandleA(path) : nullptr;
}

template <typename Function>
Function Bind(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A function that works on an open set, from `module` (LoadedSetupApi()). With no set open,
// whatever was passed is not one.
template <typename Function>
Function BindForSet(HMODULE module, const char* name) {
  const auto function = Bind<Function>(module, name);
  if (function == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return function;
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                     DWORD flags) {
  const HMODULE module = qv::winapi::LoadSystemLibrary(kSetupApi);
  if (module == nullptr) return INVALID_HANDLE_VALUE;
  HDEVINFO set = INVALID_HANDLE_VALUE;
  if (const auto open = Bind<decltype(&SetupDiGetClassDevsA)>(module, "SetupDiGetClassDevsA"))
    set = open(classGuid, enumerator, parent, flags);
  if (set == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    FreeLibrary(module);
    SetLastError(error);
  }
  return set;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA record) {
  const auto enumerate =
      BindForSet<decltype(&SetupDiEnumDeviceInfo)>(LoadedSetupApi(), "SetupDiEnumDeviceInfo");
  return enumerate != nullptr && enumerate(set, index, record);
}

BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA record, PSTR id,
                                        DWORD idSize, PDWORD requiredSize) {
  const auto fetch = BindForSet<decltype(&SetupDiGetDeviceInstanceIdA)>(
      LoadedSetupApi(), "SetupDiGetDeviceInstanceIdA");
  return fetch != nullptr && fetch(set, record, id, idSize, requiredSize);
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
  const HMODULE module = LoadedSetupApi();
  const auto destroy =
      BindForSet<decltype(&SetupDiDestroyDeviceInfoList)>(module, "SetupDiDestroyDeviceInfoList");
  if (destroy == nullptr || !destroy(set)) return FALSE;
  FreeLibrary(module);  // the reference that opening the set took
  return TRUE;
}

}  // extern "C"
