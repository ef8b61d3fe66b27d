#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "machine/machine.h"
#include "tests/conformance/conformance_platform.h"
#include "tests/support/machine_builders.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"

namespace qv::conformance {

namespace {

// Windows cannot show it, the stand-in can: after the tests, every handle, key, BSTR and COM
// object they acquired has been released again.
class NothingOutstanding : public ::testing::Environment {
 public:
  void TearDown() override { EXPECT_EQ(standin::OutstandingReport(), ""); }
};

[[maybe_unused]] const ::testing::Environment* const kNothingOutstanding =
    ::testing::AddGlobalTestEnvironment(new NothingOutstanding);

}  // namespace

ScopedRegistryKey::ScopedRegistryKey(const std::string& path,
                                     const std::map<std::string, std::string>& values)
    : path_(path) {
  machine::RegistryKey& key = standin::CurrentMachine().registry[path];
  for (const auto& [name, text] : values) {
    machine::RegistryValue value;
    value.type = 1;  // REG_SZ, with its terminator
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    key[name] = value;
  }
  ok_ = true;
}

ScopedRegistryKey::~ScopedRegistryKey() {
  standin::CurrentMachine().registry.erase(path_);
}

namespace {

// What the machine listed before the test added its devices, restored afterwards.
struct SavedDevices {
  machine::DeviceList devices;
  machine::DeviceList notPresentDevices;
};
SavedDevices savedDevices;

}  // namespace

ScopedTestDevices::ScopedTestDevices()
    : present_(TestPresentDevices()),
      notPresent_{"PCI\\VEN_1AF4&DEV_1042&SUBSYS_11001AF4&REV_01\\3&267A616A&0&20",
                  "USB\\VID_2E9C&PID_0043\\5&2D8F3A2B&0&4"} {
  machine::Machine& machine = standin::CurrentMachine();
  savedDevices = {machine.devices, machine.notPresentDevices};
  for (const std::string& id : present_) machine.devices[id.substr(0, 3)].push_back(id);
  for (const std::string& id : notPresent_)
    machine.notPresentDevices[id.substr(0, 3)].push_back(id);
  ok_ = true;
}

ScopedTestDevices::~ScopedTestDevices() {
  machine::Machine& machine = standin::CurrentMachine();
  machine.devices = savedDevices.devices;
  machine.notPresentDevices = savedDevices.notPresentDevices;
}

ChildProgram QuickChild() {
  return {"/bin/sh", "sh -c \"exit 0\""};
}

ChildProgram SlowChild() {
  return {"/bin/sleep", "sleep 2"};
}

std::string ProgramOnSearchPathOnly() {
  return "sh";
}

bool RunningUnderWine() {
  return false;
}

void RunOnAnotherThread(const std::function<void()>& work) {
  std::thread(work).join();
}

std::string UniqueObjectName(const std::string& stem) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return stem + "-" + std::to_string(getpid()) + "-" + std::to_string(stamp);
}

ScopedWmiMachine::ScopedWmiMachine() {
  standin::UseMachine(
      testing::MachineWith({testing::VexaTable(0x1234)}, testing::BiosBuilder().Build()));
}

ScopedWmiMachine::~ScopedWmiMachine() {
  standin::ForgetMachine();
}

}  // namespace qv::conformance
