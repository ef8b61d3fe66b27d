// Plants the devices of machine profiles in the registry of the Wine prefix it runs in, or
// clears them again, for tests that run other programs on a machine with network adapters.
//
//   device_tree.exe plant PROFILE...    the present devices of each profile (after a clear)
//   device_tree.exe clear               every device planted by any test
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "tests/windows/planted_devices.h"

int main(int argc, char** argv) {
  std::string error;
  const bool plant = argc >= 3 && std::strcmp(argv[1], "plant") == 0;
  if (!plant && !(argc == 2 && std::strcmp(argv[1], "clear") == 0)) {
    std::fprintf(stderr, "usage: device_tree plant PROFILE... | device_tree clear\n");
    return 2;
  }
  if (!qv::testing::ClearPlantedDevices(&error)) {
    std::fprintf(stderr, "device_tree: %s\n", error.c_str());
    return 1;
  }
  for (int i = 2; plant && i < argc; ++i) {
    try {
      if (!qv::testing::PlantDevices(qv::testing::ReadProfileDevices(argv[i]), &error)) {
        std::fprintf(stderr, "device_tree: %s\n", error.c_str());
        return 1;
      }
    } catch (const std::exception& failure) {
      std::fprintf(stderr, "device_tree: %s\n", failure.what());
      return 1;
    }
  }
  return 0;
}
