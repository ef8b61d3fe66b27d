#include <CLI/CLI.hpp>

#include "tools/qvtool/machine_profiles/machine_option.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {

void AddMachineOption(CLI::App&, std::string&, bool) {}

void UseMachine(const std::string& profilePath) {
  if (!profilePath.empty()) throw ToolError("--machine: simulated machines need the Linux build");
}

std::string MachineDescription() {
  return "this machine";
}

bool SimulatedMachinesAvailable() {
  return false;
}

}  // namespace qvtool
