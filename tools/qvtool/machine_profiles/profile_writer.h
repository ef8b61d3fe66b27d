// Writes a machine as a JSON machine profile (schema 1, docs/MACHINE-PROFILE.md), the form
// `--machine` reads back.
#pragma once

#include "machine/machine.h"
#include "tools/qvtool/output/json_output.h"

namespace qvtool {

Json ProfileJson(const qv::machine::Machine& machine);

}  // namespace qvtool
