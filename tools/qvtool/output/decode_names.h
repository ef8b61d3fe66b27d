// Names for the numbers the library answers with: capability bits of the hardware-configuration
// record, GetDeviceMask statuses, line codes and the manufacturer codes.
#pragma once

#include <string>

#include "platform/capability_bits.h"

namespace qvtool {

// What sets a capability bit, or "" for bits this system never sets.
std::string CapabilityBitName(int bit);

// The highest capability bit this system sets, for listing every named bit.
constexpr int kHighestNamedCapabilityBit = qv::platform::kHighestCapabilityBit;

// Why GetDeviceMask returned a negative status.
std::string DeviceMaskStatusName(int status);

// "TRV (Torvane)", "GNR", ... or "none" for line code number 0.
std::string LineCodeName(int number);

std::string LANMakerName(int code);
std::string WLANMakerName(int code);
std::string WWANMakerName(int code);

}  // namespace qvtool
