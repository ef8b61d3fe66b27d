// The second process of the shared-record test: opens the named record that its parent
// created, expects ERROR_ALREADY_EXISTS and the parent's text at offset 0, and answers with
// "peer" at offset 100.
//   mapping_peer NAME TEXT    exit 0 when all holds; 2 no record; 3 not shared; 4 wrong text
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 1;
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 712, argv[1]);
  if (mapping == nullptr) return 2;
  const bool shared = GetLastError() == ERROR_ALREADY_EXISTS;
  char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  int result = 0;
  if (view == nullptr || !shared) {
    result = 3;
  } else if (std::strcmp(view, argv[2]) != 0) {
    result = 4;
  } else {
    std::strcpy(view + 100, "peer");
  }
  if (view != nullptr) UnmapViewOfFile(view);
  CloseHandle(mapping);
  return result;
}
