// Construction of the platform object: what each failed step leaves, COM initialisation on a
// thread that already has COM, memory exhaustion, and the GetSystemId singleton.
#include <algorithm>
#include <cstdlib>

#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "platform/hw_config.h"
#include "platform/known_platforms.h"
#include "tests/platform/platform_fixture.h"
#include "winapi/posix/com_control.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr std::uint16_t kId = 0x0123;

class AcpiWmiConstructionTest : public PlatformTest {
 protected:
  void UseVexaMachine() { Use(MachineWith({VexaTable(kId)}, FullBios().Build())); }
};

struct FailureCase {
  const char* call;
  int occurrence;
  std::uint16_t systemId;
  bool hwConfig;
};

TEST_F(AcpiWmiConstructionTest, EachFailedStepLeavesWhatTheLaterStepsGive) {
  const FailureCase cases[] = {
      {"CoInitializeEx", 1, 0, false},  // this thread has no COM, so WMI fails too
      {"CoInitializeSecurity", 1, 0, false},
      {"CoCreateInstance", 2, 0, false},  // the locator
      {"IWbemLocator::ConnectServer", 1, 0, false},
      {"IWbemServices::CreateInstanceEnum", 1, 0, true},
      {"IEnumWbemClassObject::Next", 1, 0, true},
      {"IWbemServices::GetObject", 1, kId, false},  // WMI_Query
      {"IWbemServices::GetObject", 2, kId, false},  // BDat
      {"IWbemClassObject::GetMethod", 1, kId, false},
      {"CoCreateInstance", 1, kId, true},  // the interface table: no BIOS call gets through
  };
  for (const FailureCase& failure : cases) {
    SCOPED_TRACE(std::string(failure.call) + " #" + std::to_string(failure.occurrence));
    UseVexaMachine();
    standin::ClearFaults();
    standin::ResetProcessSecurity();
    standin::InjectFault(failure.call, failure.occurrence);
    {
      CAcpiWmi platform;
      EXPECT_EQ(platform.SystemId(), failure.systemId);
      EXPECT_EQ(platform.HwConfig() != nullptr, failure.hwConfig);
    }
    EXPECT_EQ(standin::OutstandingReport(), "");
  }
}

TEST_F(AcpiWmiConstructionTest, MissingWmiOrTablesGiveSystemIdZero) {
  Use(MachineWithoutWmi());
  {
    CAcpiWmi platform;
    EXPECT_FALSE(platform.Connected());
    EXPECT_EQ(platform.SystemId(), 0);
    EXPECT_EQ(platform.HwConfig(), nullptr);
  }
  Use(MachineWith({}, FullBios().Build()));
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.SystemId(), 0);
    EXPECT_NE(platform.HwConfig(), nullptr);
  }
  Use(MachineWith({OtherMakerTable()}, FullBios().Build()));
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.SystemId(), 0);
    EXPECT_EQ(platform.MakerFlag(), 0);
    EXPECT_NE(platform.HwConfig(), nullptr);
  }
}

TEST_F(AcpiWmiConstructionTest, RawTableReadsNeverTrustSizeOrType) {
  // A later instance whose SMBiosData is not an array fails the read but keeps what the
  // earlier one gave; the BIOS steps still run.
  auto nullData = MachineWith({VexaTable(kId), VexaTable(0x0456)}, FullBios().Build());
  nullData->wmi->smbiosQuirks[1].dataNull = true;
  Use(nullData);
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.SystemId(), kId);
    EXPECT_NE(platform.HwConfig(), nullptr);
  }
  // A Size beyond the array parses the array only, and so does a negative one (a count of
  // 2^31 or more, as WMI hands unsigned values over).
  auto oversized = MachineWith({VexaTable(kId)}, std::nullopt);
  oversized->wmi->smbiosQuirks[0].size = 1 << 20;
  Use(oversized);
  EXPECT_EQ(CAcpiWmi().SystemId(), kId);
  auto negative = MachineWith({VexaTable(kId)}, std::nullopt);
  negative->wmi->smbiosQuirks[0].size = -5;
  Use(negative);
  EXPECT_EQ(CAcpiWmi().SystemId(), kId);
  // Every instance is parsed in turn: the last one's system ID wins.
  Use(MachineWith({VexaTable(kId), VexaTable(0x0456)}, std::nullopt));
  EXPECT_EQ(CAcpiWmi().SystemId(), 0x0456);
}

TEST_F(AcpiWmiConstructionTest, ComInitialisationAdaptsToTheThread) {
  UseVexaMachine();
  // Already single-threaded: S_FALSE, owed and balanced by the destructor.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.ComInitResult(), S_FALSE);
    EXPECT_TRUE(platform.OwesCoUninitialize());
    EXPECT_EQ(standin::ApartmentDepth(), 2);
    EXPECT_EQ(platform.SystemId(), kId);
  }
  EXPECT_EQ(standin::ApartmentDepth(), 1);
  CoUninitialize();

  // Already multithreaded: RPC_E_CHANGED_MODE, nothing owed, and WMI works all the same.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.ComInitResult(), RPC_E_CHANGED_MODE);
    EXPECT_FALSE(platform.OwesCoUninitialize());
    EXPECT_EQ(platform.SystemId(), kId);
    EXPECT_NE(platform.HwConfig(), nullptr);
  }
  EXPECT_EQ(standin::ApartmentDepth(), 1);
  CoUninitialize();

  // Security already chosen by the host: RPC_E_TOO_LATE is accepted.
  standin::ResetProcessSecurity();
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  ASSERT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 2, 2, nullptr, 0, nullptr), S_OK);
  CoUninitialize();
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.ComInitResult(), S_OK);
    EXPECT_TRUE(platform.OwesCoUninitialize());
    EXPECT_EQ(platform.SystemId(), kId);
  }
  EXPECT_EQ(standin::ApartmentDepth(), 0);

  // A failed security set-up gives E_FAIL and gives the apartment back at once.
  standin::InjectFault("CoInitializeSecurity", 1);
  {
    CAcpiWmi platform;
    EXPECT_EQ(platform.ComInitResult(), E_FAIL);
    EXPECT_FALSE(platform.OwesCoUninitialize());
    EXPECT_EQ(standin::ApartmentDepth(), 0);
  }
}

TEST_F(AcpiWmiConstructionTest, DestructionReleasesEverythingBeforeCoUninitialize) {
  UseVexaMachine();
  { CAcpiWmi platform; }
  const std::vector<std::string>& log = standin::CallLog();
  auto last = [&](const std::string& call) {
    return std::find(log.rbegin(), log.rend(), call).base() - log.begin();
  };
  EXPECT_LT(last("UnmapViewOfFile"), last("DeleteCriticalSection"));
  EXPECT_LT(last("DeleteCriticalSection"),
            last("IGlobalInterfaceTable::RevokeInterfaceFromGlobal"));
  EXPECT_LT(last("IGlobalInterfaceTable::RevokeInterfaceFromGlobal"), last("SysFreeString"));
  EXPECT_LT(last("SysFreeString"), last("CoUninitialize"));
}

TEST_F(AcpiWmiConstructionTest, MemoryExhaustionNeverReachesTheCaller) {
  UseVexaMachine();
  // The first BSTR of the constructor, one of ReadSmbiosTables and one of a BIOS call.
  for (int occurrence : {1, 5, 12}) {
    SCOPED_TRACE(occurrence);
    standin::ClearFaults();
    standin::InjectFault("SysAllocStringLen", occurrence);
    EXPECT_EQ(AcquirePlatformObject(), nullptr);
    EXPECT_EQ(PresentPlatformObject(), nullptr);
    EXPECT_EQ(standin::OutstandingReport(), "");
    standin::ClearFaults();
    standin::InjectFault("SysAllocStringLen", occurrence);
    EXPECT_EQ(GetSystemId(), 0);
    EXPECT_EQ(PresentPlatformObject(), nullptr);
    EXPECT_EQ(standin::OutstandingReport(), "");
  }
  standin::ClearFaults();
  EXPECT_EQ(GetSystemId(), kId);  // and the next call builds normally
}

TEST_F(AcpiWmiConstructionTest, GetSystemIdBuildsOnceUntilReleased) {
  Use(MachineWith({VexaTable(platform::kPlatformC)}, FullBios().Build()));
  EXPECT_EQ(GetSystemId(), platform::kPlatformC);
  CAcpiWmi* built = PresentPlatformObject();
  ASSERT_NE(built, nullptr);
  Use(MachineWith({VexaTable(kId)}, FullBios().Build()));
  EXPECT_EQ(GetSystemId(), platform::kPlatformC);  // read once, kept
  EXPECT_EQ(PresentPlatformObject(), built);
  EXPECT_EQ(standin::CallCount("IWbemServices::CreateInstanceEnum"), 1);
  // The object and its COM apartment stay while present.
  EXPECT_EQ(standin::Outstanding(standin::Resource::ComApartment), 1);
  ReleasePlatformObject();
  EXPECT_EQ(GetSystemId(), kId);
  EXPECT_EQ(standin::CallCount("IWbemServices::CreateInstanceEnum"), 2);
}

TEST_F(AcpiWmiConstructionTest, GetSystemIdOnTheLinuxHostIsZero) {
  unsetenv("QV_MACHINE");
  standin::ForgetMachine();
  EXPECT_EQ(GetSystemId(), 0);
  EXPECT_NE(PresentPlatformObject(), nullptr);
}

}  // namespace
}  // namespace qv::testing
