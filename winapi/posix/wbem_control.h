// What the stand-in's WMI was asked, for tests: every DoBFn request the simulated BIOS got, and
// the arguments of every enumeration and every Next, in order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
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

struct EnumerationArguments {
  std::u16string what;  // the class name of CreateInstanceEnum, or the query of ExecQuery
  std::int32_t flags;
};

struct NextArguments {
  std::int32_t timeout;  // WBEM_INFINITE reads as -1, as in a 32-bit long
  std::uint32_t count;
};

std::vector<EnumerationArguments> EnumerationCalls();
std::vector<NextArguments> NextCalls();
void ResetEnumerationCalls();

}  // namespace qv::standin
