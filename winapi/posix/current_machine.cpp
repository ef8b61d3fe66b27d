#include "winapi/posix/current_machine.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "winapi/posix/ledger.h"

namespace qv::standin {
namespace {

std::shared_ptr<machine::Machine>& Slot() {
  static std::shared_ptr<machine::Machine> current;
  return current;
}

// A profile's "faults" belong to the machine: they take effect when the machine is installed,
// and their occurrences count from that moment.
void InjectFaultsOf(const machine::Machine& machine) {
  for (const machine::FaultSpec& fault : machine.faults) InjectFault(fault.call, fault.occurrence);
}

std::shared_ptr<machine::Machine> LoadFromEnvironment() {
  const char* profile = std::getenv("QV_MACHINE");
  if (profile == nullptr || *profile == '\0') return machine::LoadHost();
  std::string error;
  auto loaded = machine::LoadProfile(profile, &error);
  if (!error.empty()) std::fprintf(stderr, "qvsupport: %s\n", error.c_str());
  return loaded;
}

}  // namespace

machine::Machine& CurrentMachine() {
  auto& slot = Slot();
  if (!slot) {
    slot = LoadFromEnvironment();
    InjectFaultsOf(*slot);
  }
  return *slot;
}

void UseMachine(std::shared_ptr<machine::Machine> machine) {
  if (machine) InjectFaultsOf(*machine);
  Slot() = std::move(machine);
}

void ForgetMachine() {
  Slot().reset();
}

}  // namespace qv::standin
