#include "devicemask/platform_d.h"

#include "platform/known_platforms.h"

namespace qv::devicemask {
namespace {

constexpr std::uint8_t kMaskBit3 = 1u << 3;

}  // namespace

std::uint8_t CorrectForPlatformD(std::uint16_t systemId, const FlagDigits& digits,
                                 std::uint8_t mask, CapabilityBit27 capabilityBit27) {
  if (systemId != qv::platforms::kPlatformD || digits[kBit3Column] != 0) return mask;
  if (!capabilityBit27.has_value()) return mask;
  const std::uint8_t cleared = mask & static_cast<std::uint8_t>(~kMaskBit3);
  return *capabilityBit27 ? static_cast<std::uint8_t>(cleared | kMaskBit3) : cleared;
}

}  // namespace qv::devicemask
