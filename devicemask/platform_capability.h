// What the platform says about device-mask bit 3: the feature-word bit that sets capability
// bit 27 of the hardware-configuration record.
#pragma once

#include "devicemask/platform_d.h"

class CAcpiWmi;

namespace qv::devicemask {

// Capability bit 27 as a record filled for this platform sets it: bit 0x20 of the low feature
// word from the SMBIOS tables (0 unless a maker test passed). Always has a value.
CapabilityBit27 CapabilityBit27Of(const CAcpiWmi& platform);

}  // namespace qv::devicemask
