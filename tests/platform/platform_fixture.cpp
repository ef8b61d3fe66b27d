#include "tests/platform/platform_fixture.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "exports/platform_object.h"
#include "platform/known_platforms.h"
#include "winapi/posix/wbem_control.h"

namespace qv::testing {

void PlatformTest::SetUp() {
  std::string ns = "platform-test-" + std::to_string(getpid());
  setenv("QV_SHM_NAMESPACE", ns.c_str(), 1);
  FreshBooksTest::SetUp();
}

void PlatformTest::TearDown() {
  ReleasePlatformObject();
  FreshBooksTest::TearDown();
}

int PlatformTest::BiosCallsOf(std::uint16_t functionClass, std::uint16_t selector) {
  int calls = 0;
  for (const standin::BiosRequest& request : standin::BiosRequests())
    if (request.functionClass == functionClass && request.selector == selector) ++calls;
  return calls;
}

int PlatformTest::BiosCallCount() {
  return static_cast<int>(standin::BiosRequests().size());
}

BiosBuilder FullBios() {
  BiosBuilder bios;
  const std::uint16_t probes[][2] = {{4, 1},  {4, 2},  {4, 7},  {8, 1},   {17, 0},  {17, 1},
                                     {17, 2}, {17, 6}, {17, 7}, {17, 10}, {17, 11}, {17, 12}};
  for (const auto& probe : probes) bios.Function(probe[0], probe[1], 0);
  return bios;
}

std::shared_ptr<machine::Machine> EveryStageMachine() {
  BiosBuilder bios;
  for (const auto& row : std::vector<std::array<std::uint16_t, 2>>{
           {4, 1}, {4, 2}, {8, 1}, {17, 0}, {17, 1}, {17, 2}, {17, 6}, {17, 7}, {17, 10}, {17, 12}})
    bios.Function(row[0], row[1], 0);
  bios.Function(4, 7, 0, 0, 0, 0x4200)
      .Function(17, 11, 0, 0x3F)
      .Function(4, 200, 0, 0x21, 0, 0, {1, 0})
      .Function(4, 200, 0, 2)
      .Function(0, 0, 0, 1, 0, 0, {0x31});
  return MachineWith(
      {VexaTable(platform::kPlatformB, 0x66, {{0x01FB, 0x30, 1}, {0x01FA, 0x31, 1}})},
      bios.Build());
}

}  // namespace qv::testing
