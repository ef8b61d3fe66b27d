#include <strings.h>
#include <cstdio>
#include <cstdlib>

#include "machine/machine.h"
#include "winapi/posix/ledger.h"

namespace qv::machine {
namespace {

std::shared_ptr<Machine>& Slot() {
  static std::shared_ptr<Machine> current;
  return current;
}

// A profile's "faults" belong to the machine: they take effect when the machine is installed,
// and their occurrences count from that moment.
void InjectFaultsOf(const Machine& machine) {
  for (const FaultSpec& fault : machine.faults) standin::InjectFault(fault.call, fault.occurrence);
}

std::shared_ptr<Machine> LoadFromEnvironment() {
  const char* profile = std::getenv("QV_MACHINE");
  if (profile == nullptr || *profile == '\0') return LoadHost();
  std::string error;
  auto machine = LoadProfile(profile, &error);
  if (!error.empty()) std::fprintf(stderr, "qvsupport: %s\n", error.c_str());
  return machine;
}

}  // namespace

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  return strcasecmp(a.c_str(), b.c_str()) < 0;
}

Machine& Current() {
  auto& slot = Slot();
  if (!slot) {
    slot = LoadFromEnvironment();
    InjectFaultsOf(*slot);
  }
  return *slot;
}

void Use(std::shared_ptr<Machine> machine) {
  if (machine) InjectFaultsOf(*machine);
  Slot() = std::move(machine);
}

void Reset() {
  Slot().reset();
}

}  // namespace qv::machine
