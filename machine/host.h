// The Linux host as a machine: its raw SMBIOS table, AC power state and devices from sysfs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "machine/machine.h"

namespace qv::machine {

// LoadHost() reads the sysfs tree at /sys; this reads one mounted at `sysfsRoot` (tests build
// a tree of their own). Whatever is missing or unreadable is absent.
std::shared_ptr<Machine> LoadHostFrom(const std::string& sysfsRoot);

// The AC line status that the power supplies under `powerSupplyDirectory` report, as
// GetSystemPowerStatus gives it: 1 when a mains supply is online, 0 when every mains supply
// is offline, 255 (unknown) when there is no mains supply, and none when a mains supply's
// state cannot be read.
std::optional<std::uint8_t> HostAcLineStatus(const std::string& powerSupplyDirectory);

}  // namespace qv::machine
