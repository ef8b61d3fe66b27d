// The adapter exports on Wine's SetupAPI: each machine profile's devices planted in the
// prefix's registry in turn, the module's three adapter exports called, and their answers
// printed as "profile<TAB>lan<TAB>wlan<TAB>wwan". Before each call a line
// "qv-call PROFILE EXPORT" goes to standard error, so that a SetupAPI trace there
// (WINEDEBUG=trace+setupapi) can be told apart call by call. check_adapter_cases.py compares the
// answers with expected.tsv and with the Linux library's.
//
//   adapter_cases.exe MODULE PROFILE...
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "tests/windows/planted_devices.h"

namespace {

using AdapterExport = int(WINAPI*)();

constexpr const char* kExports[] = {"GetLANManufacturerID", "GetWLANManufacturerID",
                                    "GetWWANManufacturerID"};

std::string ProfileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool RunProfile(HMODULE module, const std::string& path) {
  std::string error;
  if (!qv::testing::ClearPlantedDevices(&error) ||
      !qv::testing::PlantDevices(qv::testing::ReadProfileDevices(path), &error)) {
    std::fprintf(stderr, "adapter_cases: %s\n", error.c_str());
    return false;
  }
  const std::string name = ProfileName(path);
  std::string line = name;
  for (const char* exportName : kExports) {
    const auto call = reinterpret_cast<AdapterExport>(
        reinterpret_cast<void*>(GetProcAddress(module, exportName)));
    std::fprintf(stderr, "qv-call %s %s\n", name.c_str(), exportName);
    std::fflush(stderr);
    line += "\t" + (call != nullptr ? std::to_string(call()) : std::string("missing"));
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: adapter_cases MODULE PROFILE...\n");
    return 2;
  }
  const HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr) {
    std::fprintf(stderr, "adapter_cases: %s cannot be loaded (error %lu)\n", argv[1],
                 GetLastError());
    return 1;
  }
  int status = 0;
  try {
    for (int i = 2; i < argc && status == 0; ++i)
      if (!RunProfile(module, argv[i])) status = 1;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "adapter_cases: %s\n", failure.what());
    status = 1;
  }
  std::string error;
  if (!qv::testing::ClearPlantedDevices(&error)) {
    std::fprintf(stderr, "adapter_cases: %s\n", error.c_str());
    status = 1;
  }
  FreeLibrary(module);
  return status;
}
