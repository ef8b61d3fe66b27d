// Platform D's list record may leave mask bit 3 to the BIOS: when its bit-3 column is 0, the
// bit follows capability bit 27 of the hardware configuration (feature-word bit 0x20).
#pragma once

#include <cstdint>
#include <optional>

#include "devicemask/device_mask.h"

namespace qv::devicemask {

// Capability bit 27 of the platform's hardware configuration, or nullopt when the platform
// object has none (no BIOS interface).
using CapabilityBit27 = std::optional<bool>;

// The mask after the platform-D correction. Without a hardware configuration there is no
// capability bit to copy, so bit 3 stays as the list gives it.
std::uint8_t CorrectForPlatformD(std::uint16_t systemId, const FlagDigits& digits,
                                 std::uint8_t mask, CapabilityBit27 capabilityBit27);

}  // namespace qv::devicemask
