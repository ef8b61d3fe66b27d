// HwConfigData: the 712-byte hardware-configuration record shared through the named mapping
// "HWCONFIG_SHARED_MEM_OBJ". Its layout is shared with the product's other processes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::platform {

struct HwConfigEntry {
  std::uint32_t kind;
  std::uint32_t zero;
  std::uint32_t param1;
  std::uint32_t param2;
  std::uint8_t zeros[64];
};

struct HwConfigData {
  std::uint32_t capabilities[16];  // bit n is bit (n mod 32) of word n div 32
  std::int32_t entryCount;         // 0 to 8 when written by this system
  HwConfigEntry entries[8];
  std::uint8_t extraByte;
  std::uint8_t reserved[3];
};

static_assert(sizeof(HwConfigEntry) == 80, "an entry is 80 bytes");
static_assert(offsetof(HwConfigEntry, param1) == 8, "first parameter at offset 8");
static_assert(offsetof(HwConfigEntry, param2) == 12, "second parameter at offset 12");
static_assert(sizeof(HwConfigData) == 712, "the shared record is 712 bytes");
static_assert(offsetof(HwConfigData, entryCount) == 64, "entry count at offset 64");
static_assert(offsetof(HwConfigData, entries) == 68, "entry table at offset 68");
static_assert(offsetof(HwConfigData, extraByte) == 708, "extra byte at offset 708");

constexpr int kHwConfigCapabilityBits = 512;
constexpr int kHwConfigMaxEntries = 8;

// False for bit numbers outside the bitmap.
bool HasCapability(const HwConfigData& record, int bit);
void SetCapability(HwConfigData& record, int bit);
void ClearCapability(HwConfigData& record, int bit);

}  // namespace qv::platform
