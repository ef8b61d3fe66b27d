// The order in which a creator makes its BIOS calls, stage by stage, and how the fill lock
// brackets them, compared with the stand-in's request and call logs.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/hw_config.h"
#include "platform/known_platforms.h"
#include "tests/platform/platform_fixture.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem_control.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

using Request = std::array<std::uint32_t, 4>;  // class, selector, argument 1, argument 2

std::vector<Request> RequestLog() {
  std::vector<Request> log;
  for (const standin::BiosRequest& request : standin::BiosRequests())
    log.push_back({request.functionClass, request.selector, request.args[0], request.args[1]});
  return log;
}

// Position of the first (or last) logged call of that name; -1 when it was not made.
int FirstCall(const std::string& call) {
  const auto& log = standin::CallLog();
  auto it = std::find(log.begin(), log.end(), call);
  return it == log.end() ? -1 : static_cast<int>(it - log.begin());
}
int LastCall(const std::string& call) {
  const auto& log = standin::CallLog();
  auto it = std::find(log.rbegin(), log.rend(), call);
  return it == log.rend() ? -1 : static_cast<int>(log.rend() - it) - 1;
}

using HwConfigOrderTest = PlatformTest;

TEST_F(HwConfigOrderTest, StagesRunInOrderUnderTheFillLock) {
  Use(EveryStageMachine());
  CAcpiWmi platform;
  ASSERT_NE(platform.HwConfig(), nullptr);
  const std::vector<Request> expected = {
      // capability probe, row by row
      {4, 1, 0, 0},    {4, 2, 0, 0},    {4, 7, 0, 0},   {8, 1, 0, 0},  {17, 0, 0, 0},
      {17, 1, 0, 0},   {17, 2, 0, 0},   {17, 6, 0, 0},  {17, 7, 0, 0}, {17, 10, 0, 0},
      {17, 11, 0, 0},  {17, 12, 0, 0},  {17, 11, 0, 0},  // class-17 flags
      {4, 200, 0, 0},  {4, 200, 1, 0},  {4, 200, 1, 1},  // entry count, then each kind
      {0, 0, 0x30, 0}, {0, 0, 0x31, 0},                  // token 0x01FB inactive, then 0x01FA
      {4, 7, 0, 0},    {4, 7, 0, 0},                     // platform B: dock, extra byte
  };
  EXPECT_EQ(RequestLog(), expected);
  const HwConfigData& record = platform.HwConfig()->Snapshot();
  EXPECT_TRUE(HasCapability(record, 18));  // each stage left its mark
  EXPECT_EQ(record.entries[1].kind, 7u);
  EXPECT_TRUE(HasCapability(record, 32));
  EXPECT_EQ(record.extraByte, 0x42);

  // The lock is taken before the record can exist and given back after the last BIOS call.
  const int created = FirstCall("CreateMutexA");
  ASSERT_GE(created, 0);
  EXPECT_LT(created, FirstCall("WaitForSingleObject"));
  EXPECT_LT(FirstCall("WaitForSingleObject"), FirstCall("CreateFileMappingA"));
  EXPECT_LT(FirstCall("MapViewOfFile"), FirstCall("IWbemServices::ExecMethod"));
  EXPECT_LT(LastCall("IWbemServices::ExecMethod"), FirstCall("ReleaseMutex"));
  EXPECT_EQ(standin::CallCount("ReleaseMutex"), 1);
  EXPECT_EQ(standin::Outstanding(standin::Resource::Mutex), 0);  // closed, not kept
}

TEST_F(HwConfigOrderTest, AReaderTakesAndGivesBackTheLockWithoutBiosCalls) {
  Use(EveryStageMachine());
  CAcpiWmi creator;
  standin::ResetCalls();
  standin::ResetBiosRequests();
  CAcpiWmi reader;
  ASSERT_NE(reader.HwConfig(), nullptr);
  EXPECT_FALSE(reader.HwConfig()->CreatedRecord());
  EXPECT_TRUE(RequestLog().empty());
  EXPECT_LT(FirstCall("WaitForSingleObject"), FirstCall("CreateFileMappingA"));
  EXPECT_EQ(standin::CallCount("ReleaseMutex"), 1);
}

}  // namespace
}  // namespace qv::testing
