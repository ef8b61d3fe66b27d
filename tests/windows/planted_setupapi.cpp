// A DLL named setupapi.dll that a planting test leaves beside a program: what an attacker would
// put in an installer's download folder. Loaded, it leaves a marker file in its folder,
// "planted-setupapi.loaded", and its four SetupAPI functions find nothing.
#include <windows.h>

#include <cstring>

namespace {

constexpr char kMarker[] = "planted-setupapi.loaded";

// The loader names the module as the importer spelled it ("SETUPAPI.dll"): the marker's name
// is fixed instead.
void LeaveMarker(HMODULE self) {
  char path[MAX_PATH + sizeof kMarker];
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  char* name = std::strrchr(path, '\\');
  if (name == nullptr) return;
  std::strcpy(name + 1, kMarker);
  const HANDLE marker =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
  return TRUE;
}

__declspec(dllexport) HANDLE WINAPI SetupDiGetClassDevsA(const GUID*, const char*, HWND, DWORD) {
  SetLastError(ERROR_INVALID_DATA);
  return INVALID_HANDLE_VALUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiEnumDeviceInfo(HANDLE, DWORD, void*) {
  SetLastError(ERROR_NO_MORE_ITEMS);
  return FALSE;
}

__declspec(dllexport) BOOL WINAPI SetupDiGetDeviceInstanceIdA(HANDLE, void*, char*, DWORD, DWORD*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

__declspec(dllexport) BOOL WINAPI SetupDiDestroyDeviceInfoList(HANDLE) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

}  // extern "C"
