#include "platform/hw_config_data.h"

namespace qv::platform {

namespace {

bool InBitmap(int bit) {
  return bit >= 0 && bit < kHwConfigCapabilityBits;
}

std::uint32_t MaskOf(int bit) {
  return std::uint32_t{1} << (bit % 32);
}

}  // namespace

bool HasCapability(const HwConfigData& record, int bit) {
  return InBitmap(bit) && (record.capabilities[bit / 32] & MaskOf(bit)) != 0;
}

void SetCapability(HwConfigData& record, int bit) {
  if (InBitmap(bit)) record.capabilities[bit / 32] |= MaskOf(bit);
}

void ClearCapability(HwConfigData& record, int bit) {
  if (InBitmap(bit)) record.capabilities[bit / 32] &= ~MaskOf(bit);
}

}  // namespace qv::platform
