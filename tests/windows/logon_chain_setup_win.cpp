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

namespace {

// Deletes one key without subkeys in `view`. RegDeleteKeyExA, which takes the view, came with XP
// Professional x64 Edition; 32-bit XP has one view and only RegDeleteKeyA.
void DeleteRegistryKey(HKEY parent, const char* child, REGSAM view) {
  using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
  const auto deleteKeyEx = reinterpret_cast<DeleteKeyEx>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
  if (deleteKeyEx != nullptr) {
    deleteKeyEx(parent, child, view, 0);
  } else {
    RegDeleteKeyA(parent, child);
  }
}

}  // namespace

// RegDeleteTreeA came with Vista: the tree is taken down key by key.
void DeleteRegistryTree(const char* parent, const char* child, REGSAM view) {
  HKEY parentKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | view, &parentKey) !=
      ERROR_SUCCESS)
    return;
  HKEY key = nullptr;
  if (RegOpenKeyExA(parentKey, child, 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    const std::string path = std::string(parent) + "\\" + child;
    char name[256];
    std::string previous;
    // Each pass removes the first subkey; one that cannot be removed ends the loop.
    while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS && previous != name) {
      previous = name;
      DeleteRegistryTree(path.c_str(), name, view);
    }
    RegCloseKey(key);
  }
  DeleteRegistryKey(parentKey, child, view);
  RegCloseKey(parentKey);
}

}  // namespace qv::testing
