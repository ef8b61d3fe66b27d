// A machine's "faults" list takes effect when the machine is installed: by standin::UseMachine() in
// tests and qvtool, or by the first use of a profile named by QV_MACHINE.
#include <stdlib.h>

#include "tests/hardening/hardening_fixture.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"
#include "winapi/win32.h"

namespace qv::hardening {
namespace {

using ProfileFaultsTest = HardeningTest;

bool PowerStatusReads() {
  SYSTEM_POWER_STATUS status{};
  return GetSystemPowerStatus(&status) != FALSE;
}

TEST_F(ProfileFaultsTest, AMachineInstalledInCodeBringsItsFaults) {
  auto simulated = std::make_shared<machine::Machine>();
  simulated->acLineStatus = 1;
  simulated->faults = {{"GetSystemPowerStatus", 2}};
  standin::UseMachine(simulated);
  EXPECT_TRUE(PowerStatusReads());
  EXPECT_FALSE(PowerStatusReads());
  EXPECT_TRUE(PowerStatusReads());

  standin::ClearFaults();
  simulated->faults = {{"GetSystemPowerStatus", 0}};
  standin::UseMachine(simulated);
  EXPECT_FALSE(PowerStatusReads());
  EXPECT_FALSE(PowerStatusReads());
}

TEST_F(ProfileFaultsTest, AProfileNamedByTheEnvironmentBringsItsFaults) {
  dir_.Write("faulty.json",
             R"({"schema": 1, "power": {"acLineStatus": 1},
                 "faults": [{"call": "GetSystemPowerStatus", "occurrence": 1},
                            {"call": "SetupDiGetClassDevsA"}]})");
  setenv("QV_MACHINE", dir_.File("faulty.json").c_str(), 1);
  standin::ForgetMachine();
  standin::ClearFaults();
  EXPECT_EQ(standin::CurrentMachine().faults.size(), 2u);  // loads the profile and its faults
  EXPECT_FALSE(PowerStatusReads());
  EXPECT_TRUE(PowerStatusReads());
  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES),
            INVALID_HANDLE_VALUE);
  unsetenv("QV_MACHINE");
}

}  // namespace
}  // namespace qv::hardening
