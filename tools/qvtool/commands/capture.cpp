// qvtool capture -o PROFILE: writes a machine profile of this machine, so that
// `qvtool report --machine PROFILE` elsewhere gives the same answers.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/machine_profiles/machine_capture.h"
#include "tools/qvtool/machine_profiles/machine_option.h"
#include "tools/qvtool/machine_profiles/profile_writer.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

struct CaptureOptions {
  std::string output;
  std::string machine;
  bool json = false;
};

std::string Summary(const qv::machine::Machine& machine) {
  std::size_t devices = 0;
  for (const auto& entry : machine.devices) devices += entry.second.size();
  const std::size_t tables = machine.wmi ? machine.wmi->smbiosTables.size() : 0;
  const std::size_t functions =
      machine.wmi && machine.wmi->bios ? machine.wmi->bios->functions.size() : 0;
  return std::to_string(tables) + " SMBIOS table(s), " + std::to_string(devices) + " devices, " +
         std::to_string(functions) + " BIOS answers, Windows " + std::to_string(machine.os.major) +
         "." + std::to_string(machine.os.minor);
}

int RunCapture(const CaptureOptions& options) {
  UseMachine(options.machine);
  const qv::machine::Machine machine = CaptureMachine();
  const Json profile = ProfileJson(machine);
  WriteFileBytes(options.output,
                 profile.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  if (options.json) {
    PrintJson(
        Json{{"output", options.output}, {"machine", MachineDescription()}, {"profile", profile}});
  } else {
    std::cout << "wrote " << options.output << ": " << Summary(machine) << '\n';
  }
  return kExitOk;
}

}  // namespace

void AddCaptureCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<CaptureOptions>();
  CLI::App* command = app.add_subcommand("capture", "Write a machine profile of this machine");
  command->footer(
      "Raw SMBIOS, PCI and USB instance IDs, power and OS version; on Windows also the BIOS's "
      "answers to exactly the calls the library makes. `qvtool report --machine PROFILE` elsewhere "
      "then gives the same answers.");
  command->add_option("-o,--output", options->output, "Profile file to write")->required();
  AddMachineOption(*command, options->machine, false);
  command->add_flag("--json", options->json, "Print the profile written as JSON too");
  command->callback([options, &exitCode] { exitCode = RunCapture(*options); });
}

}  // namespace qvtool
