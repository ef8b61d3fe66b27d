// The machine the stand-in answers for. Every stand-in call reads its facts from here.
#pragma once

#include <memory>

#include "machine/machine.h"

namespace qv::standin {

// The machine the stand-in reports now. On first use it is the profile named by QV_MACHINE,
// or the Linux host when that variable is unset; the profile's planted faults take effect then.
machine::Machine& CurrentMachine();

// Makes `machine` the current machine (tests and qvtool --machine) and plants its faults.
void UseMachine(std::shared_ptr<machine::Machine> machine);

// Forgets the current machine; the next CurrentMachine() loads it afresh.
void ForgetMachine();

}  // namespace qv::standin
