#include "tests/custom_actions/identify_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "netid/adapter_tables.h"
#include "tests/netid/adapter_fixture.h"
#include "tests/support/machine_builders.h"
#include "winapi/posix/current_machine.h"

namespace qv::custom_actions::testing {

using qv::testing::BiosBuilder;
using qv::testing::MachineWith;

void IdentifyTest::SetUp() {
  const std::string ns = "msi-test-" + std::to_string(getpid());
  setenv("QV_SHM_NAMESPACE", ns.c_str(), 1);
  FreshBooksTest::SetUp();
  dir_.Enter();
}

void IdentifyTest::TearDown() {
  EXPECT_EQ(PresentPlatformObject(), nullptr) << "the action left a platform object behind";
  ReleasePlatformObject();
  FreshBooksTest::TearDown();
}

void IdentifyTest::UseVexaMachine(std::uint16_t systemId) {
  machine_ = MachineWith({qv::testing::VexaTable(systemId)}, BiosBuilder().Build());
  standin::UseMachine(machine_);
}

void IdentifyTest::UseOtherMakerMachine() {
  machine_ = MachineWith({qv::testing::OtherMakerTable()}, BiosBuilder().Build());
  standin::UseMachine(machine_);
}

void IdentifyTest::AddLANAdapter(int row) {
  machine_->devices["PCI"].push_back(
      netid::testing::PciId(netid::LANDeviceIDs().at(row).GetNarrow()));
}

void IdentifyTest::AddWLANAdapter(int row) {
  machine_->devices["PCI"].push_back(
      netid::testing::PciId(netid::WLANDeviceIDs().at(row).GetNarrow()));
}

void IdentifyTest::AddWWANModem(int row) {
  machine_->devices["USB"].push_back(
      netid::testing::UsbId(netid::WWANDeviceIDs().at(row).GetNarrow()));
}

void IdentifyTest::WriteList(const std::string& plainList, const std::string& name) {
  dir_.Write("plain.txt", plainList);
  ASSERT_EQ(EncryptSysIds("plain.txt"), 0);
  if (name != "vexasysids.enc") {
    ASSERT_EQ(std::rename("vexasysids.enc", name.c_str()), 0);
  }
}

std::string Record(int systemId, const std::string& flags, const std::string& line) {
  return std::to_string(systemId) + " " + flags + " " + line + "\n";
}

std::string FlagsOfBit(int bit) {
  std::string flags(8, '0');
  flags[bit <= 5 ? 5 - bit : bit] = '1';
  return flags;
}

}  // namespace qv::custom_actions::testing
