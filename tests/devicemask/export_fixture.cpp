#include "tests/devicemask/export_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include "exports/platform_object.h"
#include "machine/machine.h"
#include "tests/devicemask/list_files.h"
#include "tests/support/machine_builders.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"

namespace qv::testing {

void DeviceMaskExportTest::SetUp() {
  const std::string ns = "devicemask-test-" + std::to_string(getpid());
  setenv("QV_SHM_NAMESPACE", ns.c_str(), 1);
  FreshBooksTest::SetUp();
  dir_.Enter();
}

void DeviceMaskExportTest::TearDown() {
  ReleasePlatformObject();
  FreshBooksTest::TearDown();
}

void DeviceMaskExportTest::UseVexaMachine(std::uint16_t systemId, std::uint32_t featureWord,
                                          bool withBios) {
  std::optional<machine::Bios> bios;
  if (withBios) bios = BiosBuilder().Build();
  standin::UseMachine(MachineWith({VexaTable(systemId, featureWord)}, bios));
}

void DeviceMaskExportTest::UseOtherMakerMachine() {
  standin::UseMachine(MachineWith({OtherMakerTable()}, BiosBuilder().Build()));
}

void DeviceMaskExportTest::WriteList(const std::string& plainList, const std::string& name) {
  dir_.Write(name, EncryptedList(plainList));
}

std::string DeviceMaskExportTest::ListPath(const std::string& name) const {
  return dir_.File(name);
}

int DeviceMaskExportTest::Constructions() {
  return standin::CallCount("CoInitializeEx");
}

}  // namespace qv::testing
