#include "devicemask/platform_capability.h"

#include "platform/acpi_wmi.h"

namespace qv::devicemask {
namespace {

// The feature-word bit from which a filled record sets capability bit 27.
constexpr std::uint32_t kDeviceBit3Feature = 0x20;

}  // namespace

// Read from the platform's own feature word, not from the record's snapshot: the snapshot
// depends on who created the shared record, whether it was filled yet and whether the BIOS
// interface exists, and the same machine must always give the same mask.
CapabilityBit27 CapabilityBit27Of(const CAcpiWmi& platform) {
  return (platform.FeatureWord1() & kDeviceBit3Feature) != 0;
}

}  // namespace qv::devicemask
