// Readers for the sections of a machine profile (docs/MACHINE-PROFILE.md). Each returns the
// facility it read, or none when the section is malformed: the machine then goes without it.
#pragma once

#include <optional>

#include "machine/machine.h"
#include "machine/profile_reader.h"

namespace qv::machine::profile {

struct Devices {
  DeviceList present;
  DeviceList notPresent;
};

std::optional<OsVersion> ReadOs(const Json& value, ProfileReader& reader);
std::optional<std::uint8_t> ReadPower(const Json& value, ProfileReader& reader);
std::optional<Wmi> ReadWmi(const Json& value, ProfileReader& reader);
std::optional<Devices> ReadDevices(const Json& value, ProfileReader& reader);
std::optional<Registry> ReadRegistry(const Json& value, ProfileReader& reader);
std::optional<std::vector<FaultSpec>> ReadFaults(const Json& value, ProfileReader& reader);

}  // namespace qv::machine::profile
