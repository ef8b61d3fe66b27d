// Platform D's list record may leave mask bit 3 to the platform: when its bit-3 column is 0,
// the bit follows capability bit 27 as the platform's feature word gives it (bit 0x20).
#pragma once

#include <cstdint>
#include <optional>

#include "devicemask/device_mask.h"

namespace qv::devicemask {

// Capability bit 27 for this platform, or nullopt when it is not known (GetDeviceMask always
// knows it: platform_capability.h).
using CapabilityBit27 = std::optional<bool>;

// The mask after the platform-D correction. With the capability bit unknown, bit 3 stays as
// the list gives it.
std::uint8_t CorrectForPlatformD(std::uint16_t systemId, const FlagDigits& digits,
                                 std::uint8_t mask, CapabilityBit27 capabilityBit27);

}  // namespace qv::devicemask
