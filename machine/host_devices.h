// The Plug and Play devices of the Linux host, in the instance-ID form Windows gives them.
#pragma once

#include <string>

#include "machine/machine.h"

namespace qv::machine {

// Fills machine.devices["PCI"] and machine.devices["USB"] from /sys. What is missing or
// unreadable is left out; nothing throws for it.
void LoadHostDevices(Machine& machine);

// The same from a sysfs tree mounted at `sysfsRoot` (tests use a tree of their own).
void LoadHostDevicesFrom(Machine& machine, const std::string& sysfsRoot);

}  // namespace qv::machine
