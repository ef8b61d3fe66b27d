#include "devicemask/platform_capability.h"

#include "platform/acpi_wmi.h"
#include "platform/hw_config.h"
#include "platform/hw_config_data.h"

namespace qv::devicemask {
namespace {

constexpr int kDeviceBit3Capability = 27;

}  // namespace

CapabilityBit27 CapabilityBit27Of(const CAcpiWmi& platform) {
  const CHwConfig* hwConfig = platform.HwConfig();
  if (hwConfig == nullptr) return std::nullopt;
  return HasCapability(hwConfig->Snapshot(), kDeviceBit3Capability);
}

}  // namespace qv::devicemask
