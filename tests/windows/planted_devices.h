// Plug and Play devices planted in the registry of a Wine prefix, where Wine's SetupAPI lists
// them: each device as Windows records it under HKLM\SYSTEM\CurrentControlSet\Enum, so that the
// product's adapter walks, qvtool and the installers see a machine with network adapters.
//
// Every key the planting creates carries the value "QvPlantedDevice", and clearing removes
// exactly those keys, whichever process planted them: tests that share a prefix never see each
// other's devices (ctest resource locks keep them from planting at the same time).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qv::testing {

// Present devices by enumerator, as the "devices" section of a machine profile lists them.
using DeviceTree = std::map<std::string, std::vector<std::string>>;

// The present devices of a machine profile (JSON, schema 1). Installed but not present devices
// are left out: Wine's SetupAPI has no such state, it lists every device it finds. Throws
// std::runtime_error when the file cannot be read or is no profile.
DeviceTree ReadProfileDevices(const std::string& profilePath);

// Writes every device of `tree` with its hardware and compatible IDs, setup class and class
// GUID. False, with the reason in `error`, when a key or value cannot be written.
bool PlantDevices(const DeviceTree& tree, std::string* error);

// Removes every device key planted by PlantDevices, and the device and enumerator keys it
// created. False, with the reason in `error`, when one cannot be removed.
bool ClearPlantedDevices(std::string* error);

}  // namespace qv::testing
