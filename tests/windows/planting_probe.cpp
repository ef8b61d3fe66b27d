// The planting test's probe: loads qvsupport.dll from another folder by its full path, as an
// installer does, and prints the answers of the exports that read the machine, one "name=value"
// line each. After the adapter exports it says whether the system's setupapi.dll is still
// loaded (the module holds it only while a device set is open); last, whether a setupapi.dll
// from its own folder was loaded.
//
//   planting_probe.exe MODULE
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

using NoArguments = int(WINAPI*)();
using MaskOfId = int(WINAPI*)(int);

bool SystemCopyLoaded() {
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + std::strlen("\\setupapi.dll") >= MAX_PATH) return false;
  std::strcpy(path + length, "\\setupapi.dll");
  return GetModuleHandleA(path) != nullptr;
}

void PrintAnswer(HMODULE module, const char* name) {
  const auto function =
      reinterpret_cast<NoArguments>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (function == nullptr) {
    std::printf("%s=missing\n", name);
  } else {
    std::printf("%s=%d\n", name, function());
  }
}

bool PlantedCopyLoaded() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  char* name = std::strrchr(path, '\\');
  if (name == nullptr || name + 1 + std::strlen("setupapi.dll") >= path + MAX_PATH) return false;
  std::strcpy(name + 1, "setupapi.dll");
  return GetModuleHandleA(path) != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: planting_probe MODULE\n");
    return 2;
  }
  const HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr) {
    std::fprintf(stderr, "planting_probe: %s cannot be loaded (error %lu)\n", argv[1],
                 GetLastError());
    return 1;
  }
  // First, before WMI or anything else of the process may load setupapi.dll for itself.
  const bool heldBefore = SystemCopyLoaded();
  for (const char* name :
       {"GetLANManufacturerID", "GetWLANManufacturerID", "GetWWANManufacturerID"})
    PrintAnswer(module, name);
  std::printf("system setupapi.dll loaded before, after the adapter exports=%d,%d\n",
              heldBefore ? 1 : 0, SystemCopyLoaded() ? 1 : 0);
  PrintAnswer(module, "GetSystemId");
  const auto decrypt = reinterpret_cast<MaskOfId>(
      reinterpret_cast<void*>(GetProcAddress(module, "GetDeviceMaskDecrypt")));
  std::printf("GetDeviceMaskDecrypt(533)=%d\n", decrypt != nullptr ? decrypt(533) : -100);
  std::printf("planted setupapi.dll loaded=%d\n", PlantedCopyLoaded() ? 1 : 0);
  FreeLibrary(module);
  return 0;
}
