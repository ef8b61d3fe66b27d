// The capability bits of the hardware-configuration record: what sets each one. This is the one
// table of them; the record's filling, qvtool's capture of a machine's BIOS and qvtool's names
// for the bits all read it.
#pragma once

#include <cstdint>

namespace qv::platform {

constexpr int kBitAlwaysAtCreation = 10;
constexpr int kBitClass17Flags = 12;
constexpr int kFirstClass17FlagBit = 13;
constexpr int kClass17FlagCount = 6;
constexpr int kBitPlatformA = 20;
constexpr int kBitPlatformBDock = 21;
constexpr int kBitFeature08Alone = 25;
constexpr int kBitFeature08With10 = 26;
constexpr int kBitBiosFlag = 29;
constexpr int kBitMakerFlag = 30;
constexpr int kBitPlatformC = 31;
constexpr int kBitTokenActive = 32;

// The BIOS function (class, selector) whose mere existence sets a bit: the capability probe.
struct BiosFunctionId {
  std::uint16_t functionClass;
  std::uint16_t selector;
};
constexpr BiosFunctionId kNotProbed = {0, 0};

struct CapabilityBit {
  int bit;
  BiosFunctionId probe;  // kNotProbed for the bits set otherwise
  const char* setWhen;
};

// Ordered by bit, which is also the order the probe runs its twelve rows in.
constexpr CapabilityBit kCapabilityBits[] = {
    {1, {4, 1}, "BIOS function class 4, selector 1 exists"},
    {2, {4, 2}, "BIOS function class 4, selector 2 exists"},
    {3, {4, 7}, "BIOS function class 4, selector 7 exists"},
    {4, {8, 1}, "BIOS function class 8, selector 1 exists"},
    {5, {17, 0}, "BIOS function class 17, selector 0 exists"},
    {6, {17, 1}, "BIOS function class 17, selector 1 exists"},
    {7, {17, 2}, "BIOS function class 17, selector 2 exists"},
    {8, {17, 6}, "BIOS function class 17, selector 6 exists"},
    {9, {17, 7}, "BIOS function class 17, selector 7 exists"},
    {kBitAlwaysAtCreation, kNotProbed, "record created (cleared on platform B)"},
    {11, {17, 10}, "BIOS function class 17, selector 10 exists"},
    {kBitClass17Flags, {17, 11}, "BIOS function class 17, selector 11 exists"},
    {13, kNotProbed, "class 17/11 flag bit 0"},
    {14, kNotProbed, "class 17/11 flag bit 1"},
    {15, kNotProbed, "class 17/11 flag bit 2"},
    {16, kNotProbed, "class 17/11 flag bit 3"},
    {17, kNotProbed, "class 17/11 flag bit 4"},
    {18, kNotProbed, "class 17/11 flag bit 5"},
    {19, {17, 12}, "BIOS function class 17, selector 12 exists"},
    {kBitPlatformA, kNotProbed, "platform A"},
    {kBitPlatformBDock, kNotProbed, "platform B, class 4/7 reports availability"},
    {23, kNotProbed, "feature word bit 0x02"},
    {24, kNotProbed, "feature word bit 0x04"},
    {kBitFeature08Alone, kNotProbed, "feature word bit 0x08 without 0x10"},
    {kBitFeature08With10, kNotProbed, "feature word bits 0x08 and 0x10"},
    {27, kNotProbed, "feature word bit 0x20 (device-mask bit 3 on platform D)"},
    {28, kNotProbed, "feature word bit 0x40"},
    {kBitBiosFlag, kNotProbed, "BIOS flag: a Vexa BIOS"},
    {kBitMakerFlag, kNotProbed, "maker flag: a Vexa machine"},
    {kBitPlatformC, kNotProbed, "platform C"},
    {kBitTokenActive, kNotProbed, "token 0x01FB or 0x01FA active"},
};

constexpr bool IsProbed(const CapabilityBit& row) {
  return row.probe.functionClass != kNotProbed.functionClass;
}

// The highest bit this system sets, for listing every named bit.
constexpr int kHighestCapabilityBit = kBitTokenActive;

}  // namespace qv::platform
