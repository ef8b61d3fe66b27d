// What the stand-in's simulated BIOS was asked, for tests: every DoBFn request in order.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qv::standin {

struct BiosRequest {
  std::uint16_t functionClass;
  std::uint16_t selector;
  std::array<std::uint32_t, 4> args;
  std::vector<std::uint8_t> bytes;  // the whole Bytes array as sent
};

std::vector<BiosRequest> BiosRequests();
void ResetBiosRequests();

}  // namespace qv::standin
