#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <string>

#include "machine/machine.h"
#include "tools/qvtool/machine_profiles/machine_option.h"
#include "tools/qvtool/tool_error.h"
#include "winapi/posix/current_machine.h"

namespace qvtool {
namespace {

// A simulated machine publishes its hardware-configuration record in a namespace of its own,
// so that it neither sees nor leaves behind the record of another run. An explicit
// QV_SHM_NAMESPACE is respected.
void IsolateSharedRecord() {
  const std::string name = "qvtool-" + std::to_string(static_cast<long>(getpid()));
  setenv("QV_SHM_NAMESPACE", name.c_str(), 0);
}

}  // namespace

void AddMachineOption(CLI::App& command, std::string& profilePath, bool required) {
  CLI::Option* option = command.add_option(
      "--machine", profilePath,
      "Machine profile (JSON, see docs/MACHINE-PROFILE.md) to simulate instead of this host");
  if (required) option->required();
}

void UseMachine(const std::string& profilePath) {
  if (profilePath.empty()) return;
  std::string error;
  std::shared_ptr<qv::machine::Machine> machine = qv::machine::LoadProfile(profilePath, &error);
  if (!error.empty()) throw ToolError(error);
  if (!machine) throw ToolError(profilePath + ": cannot be loaded");
  IsolateSharedRecord();
  qv::standin::UseMachine(std::move(machine));
}

std::string MachineDescription() {
  return qv::standin::CurrentMachine().description;
}

bool SimulatedMachinesAvailable() {
  return true;
}

}  // namespace qvtool
