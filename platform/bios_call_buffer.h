// One BIOS call over the ACPI-WMI mapper: the 44-byte request and response block, in the
// BIOS's own little-endian layout.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::platform {

struct BiosCallBuffer {
  std::uint16_t functionClass;
  std::uint16_t selector;
  std::uint32_t args[4];  // arguments 1 to 4
  std::int32_t status;    // result 1
  std::uint32_t result2;
  std::uint32_t result3;
  std::uint32_t result4;
  std::uint8_t unused[8];  // zero in requests; copied back from the response like the rest
};

static_assert(sizeof(BiosCallBuffer) == 44, "the BIOS expects a 44-byte block");
static_assert(offsetof(BiosCallBuffer, args) == 4, "arguments start at offset 4");
static_assert(offsetof(BiosCallBuffer, status) == 20, "the status is result 1, at offset 20");
static_assert(offsetof(BiosCallBuffer, result4) == 32, "result 4 is at offset 32");

// Status values of a call.
constexpr std::int32_t kBiosStatusOk = 0;
constexpr std::int32_t kBiosStatusNotSent = -3;  // no response reached the block

// A zeroed block for the given function.
inline BiosCallBuffer MakeBiosCall(std::uint16_t functionClass, std::uint16_t selector) {
  BiosCallBuffer block{};
  block.functionClass = functionClass;
  block.selector = selector;
  return block;
}

}  // namespace qv::platform
