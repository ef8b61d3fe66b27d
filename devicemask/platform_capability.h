// What the platform object's hardware configuration says about device-mask bit 3.
#pragma once

#include "devicemask/platform_d.h"

class CAcpiWmi;

namespace qv::devicemask {

// Capability bit 27 of the platform's hardware-configuration snapshot, or nullopt when the
// platform object holds no hardware configuration.
CapabilityBit27 CapabilityBit27Of(const CAcpiWmi& platform);

}  // namespace qv::devicemask
