// The machine qvtool runs on, as the library sees it, in the machine model that profiles hold.
#pragma once

#include "machine/machine.h"

namespace qvtool {

// On Linux: the machine the stand-in reports (the host, or the --machine profile). On Windows:
// raw SMBIOS, PCI and USB instance IDs, power, OS version, and the BIOS's answers to exactly
// the calls the library makes.
qv::machine::Machine CaptureMachine();

}  // namespace qvtool
