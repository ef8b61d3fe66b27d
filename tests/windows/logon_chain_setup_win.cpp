#include "tests/windows/logon_chain_setup_win.h"

namespace qv::testing {

DWORD WindowsMajorVersion() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersionExA(&info) ? info.dwMajorVersion : 0;
#pragma GCC diagnostic pop
}

bool SetRegistryText(const char* path, const char* name, const std::string& text, REGSAM view) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result =
      RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

std::string GetRegistryText(const char* path, const char* name, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
    return "<absent>";
  char text[1024] = {};
  DWORD size = sizeof text - 1;
  const LONG result =
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::string(text) : "<absent>";
}

void DeleteRegistryValue(const char* path, const char* name, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
    return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

void DeleteRegistryTree(const char* parent, const char* child, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
    return;
  RegDeleteTreeA(key, child);
  RegCloseKey(key);
}

}  // namespace qv::testing
