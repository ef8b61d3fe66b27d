// What the platform object passes to COM and WMI, checked against the stand-in's argument
// logs: the call security it sets for the process and on each proxy, the enumeration flags and
// the Next time-out; that BIOS calls from another apartment work only through the blanket each
// call sets; that a failed blanket is ignored; and that every object is released before the
// apartment that made it ends.
#include <thread>

#include "platform/hw_config.h"
#include "tests/platform/platform_fixture.h"
#include "winapi/posix/com_control.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem_control.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr std::uint16_t kId = 0x0321;

class AcpiWmiCallSecurityTest : public PlatformTest {
 protected:
  void UseVexaMachine(std::size_t tables = 1) {
    Use(MachineWith(std::vector<std::vector<std::uint8_t>>(tables, VexaTable(kId)),
                    FullBios().Build()));
  }
};

void ExpectConnectionBlanket(const standin::BlanketArguments& blanket) {
  EXPECT_EQ(blanket.authnService, static_cast<DWORD>(RPC_C_AUTHN_WINNT));
  EXPECT_EQ(blanket.authzService, static_cast<DWORD>(RPC_C_AUTHZ_NONE));
  EXPECT_FALSE(blanket.principalName);
  EXPECT_EQ(blanket.authnLevel, static_cast<DWORD>(RPC_C_AUTHN_LEVEL_CALL));
  EXPECT_EQ(blanket.impLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IMPERSONATE));
  EXPECT_FALSE(blanket.authInfo);
  EXPECT_EQ(blanket.capabilities, static_cast<DWORD>(EOAC_NONE));
}

TEST_F(AcpiWmiCallSecurityTest, ProcessSecurityIdentifiesAndEachProxyImpersonates) {
  UseVexaMachine();
  {
    CAcpiWmi platform;
    ASSERT_EQ(platform.SystemId(), kId);
    ASSERT_NE(platform.HwConfig(), nullptr);
  }
  const std::vector<standin::SecurityArguments> security = standin::SecurityCalls();
  ASSERT_EQ(security.size(), 1u);
  EXPECT_FALSE(security[0].descriptor);
  EXPECT_EQ(security[0].authServiceCount, -1);
  EXPECT_FALSE(security[0].authServices);
  EXPECT_EQ(security[0].authnLevel, static_cast<DWORD>(RPC_C_AUTHN_LEVEL_CONNECT));
  EXPECT_EQ(security[0].impLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IDENTIFY));
  EXPECT_FALSE(security[0].authList);
  EXPECT_EQ(security[0].capabilities, static_cast<DWORD>(EOAC_NONE));

  // One blanket for the connection, then one for the proxy of every BIOS call.
  const std::vector<standin::BlanketArguments> blankets = standin::BlanketCalls();
  ASSERT_GT(BiosCallCount(), 0);
  ASSERT_EQ(blankets.size(), 1u + static_cast<std::size_t>(BiosCallCount()));
  for (const standin::BlanketArguments& blanket : blankets) ExpectConnectionBlanket(blanket);
}

TEST_F(AcpiWmiCallSecurityTest, RawTablesAreEnumeratedShallowWithTenSecondsPerNext) {
  UseVexaMachine(2);
  { EXPECT_EQ(CAcpiWmi().SystemId(), kId); }
  const std::vector<standin::EnumerationArguments> enumerations = standin::EnumerationCalls();
  ASSERT_EQ(enumerations.size(), 1u);
  EXPECT_EQ(enumerations[0].what, u"MSSmBios_RawSMBiosTables");
  EXPECT_EQ(enumerations[0].flags, WBEM_FLAG_SHALLOW);
  // Two instances, then the Next that ends the loop with WBEM_S_FALSE.
  const std::vector<standin::NextArguments> nexts = standin::NextCalls();
  ASSERT_EQ(nexts.size(), 3u);
  for (const standin::NextArguments& next : nexts) {
    EXPECT_EQ(next.timeout, 10000);
    EXPECT_EQ(next.count, 1u);
  }
}

// The proxy that another apartment gets from the interface table starts with the process's
// identify level, at which the mapper's provider refuses the call: only the blanket that every
// call sets lets it through.
TEST_F(AcpiWmiCallSecurityTest, ABiosCallFromAnotherApartmentSetsItsOwnBlanket) {
  UseVexaMachine();
  CAcpiWmi platform;
  ASSERT_NE(platform.HwConfig(), nullptr);
  const std::size_t blanketsBefore = standin::BlanketCalls().size();
  std::int32_t status = 1;
  std::thread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    BiosCallBuffer block = MakeBiosCall(4, 1);
    platform.CallBiosFunction(block);
    status = block.status;
    CoUninitialize();
  }).join();
  EXPECT_EQ(status, kBiosStatusOk);
  EXPECT_EQ(standin::BlanketCalls().size(), blanketsBefore + 1);
}

// A host that chose impersonation for the whole process: the connection works without its own
// blanket, so a failed CoSetProxyBlanket changes nothing.
TEST_F(AcpiWmiCallSecurityTest, AFailedConnectionBlanketIsIgnored) {
  UseVexaMachine();
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  ASSERT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr),
            S_OK);
  standin::InjectFault("CoSetProxyBlanket", 1);
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.SystemId(), kId);
    EXPECT_NE(platform.HwConfig(), nullptr);
  }
  CoUninitialize();

  // With the process at identify level the refused blanket leaves WMI closed to the tables and
  // the BIOS, but the object still goes through its steps and leaves nothing behind.
  standin::ResetProcessSecurity();
  standin::ResetCalls();
  standin::InjectFault("CoSetProxyBlanket", 1);
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.SystemId(), 0);
    EXPECT_EQ(platform.HwConfig(), nullptr);
  }
  EXPECT_EQ(standin::CallCount("IWbemServices::CreateInstanceEnum"), 1);
  EXPECT_EQ(standin::CallCount("IWbemServices::GetObject"), 1);
}

TEST_F(AcpiWmiCallSecurityTest, EveryObjectIsReleasedBeforeItsApartmentEnds) {
  UseVexaMachine();
  std::thread([] {
    CAcpiWmi platform;
    EXPECT_EQ(platform.SystemId(), kId);
  }).join();
  EXPECT_EQ(standin::Outstanding(standin::Resource::ComReleaseAfterUninitialize), 0);
}

}  // namespace
}  // namespace qv::testing
