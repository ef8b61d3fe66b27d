#include "winapi/windows/system_library.h"

#include <cstring>

namespace qv::winapi {

bool SystemLibraryPath(const char* fileName, char (&path)[MAX_PATH]) {
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0) return false;
  const bool needsSeparator = path[length - 1] != '\\';
  // When the directory does not fit, GetSystemDirectoryA returns the size it needs instead.
  if (length >= MAX_PATH || length + needsSeparator + std::strlen(fileName) >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  char* end = path + length;
  if (needsSeparator) *end++ = '\\';
  std::strcpy(end, fileName);
  return true;
}

HMODULE LoadSystemLibrary(const char* fileName) {
  char path[MAX_PATH];
  if (!SystemLibraryPath(fileName, path)) return nullptr;
  // A full path makes the loader take exactly this file. LOAD_WITH_ALTERED_SEARCH_PATH makes it
  // look for the DLL's own imports in the system directory too, not in the program's folder.
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace qv::winapi
