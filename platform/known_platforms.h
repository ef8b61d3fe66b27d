// System IDs of the platforms that the library treats specially. These are the maker's model
// numbers for four laptop platforms of the product's list; all other IDs get no adjustment.
#pragma once

#include <cstdint>

namespace qv::platform {

constexpr std::uint16_t kPlatformA = 0x01A4;  // 420: capability bit 20
constexpr std::uint16_t kPlatformB = 0x01B7;  // 439: dock-style entry table, extra byte
constexpr std::uint16_t kPlatformC = 0x01C3;  // 451: entry kinds 5, 10, 11 and bit 31
constexpr std::uint16_t kPlatformD = 0x0215;  // 533: mask bit 3 from capability bit 27

}  // namespace qv::platform
