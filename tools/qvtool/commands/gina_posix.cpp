// qvtool gina --machine PROFILE: runs UninstallQVGina on a simulated machine and shows the
// registry values it reads and writes, before and after, what it printed and the programs it
// started. Only a simulated machine: on a real one the call would rewrite the logon chain.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>

#include "exports/qvsupport.h"
#include "gina/gina_names.h"
#include "machine/machine.h"
#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/machine_profiles/machine_option.h"
#include "tools/qvtool/output/hex_text.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/output/stdout_capture.h"
#include "tools/qvtool/tool_error.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/process_log.h"

namespace qvtool {
namespace {

struct GinaOptions {
  std::string machine;
  std::string directory;
  bool json = false;
};

struct WatchedValue {
  const char* key;
  const char* name;
};

// Every value the restoration reads or writes.
constexpr WatchedValue kWatchedValues[] = {
    {qv::gina::kSettingsKey, qv::gina::kGinaEnabledValue},
    {qv::gina::kSettingsKey, qv::gina::kWlanChipTypeValue},
    {qv::gina::kSettingsKey, qv::gina::kOriginalGinaValue},
    {qv::gina::kSettingsKey, qv::gina::kPreviousGinaValue},
    {qv::gina::kWinlogonKey, qv::gina::kGinaDllValue},
    {qv::gina::kIntelSsoKey, qv::gina::kIntelOriginalGinaValue},
};

// The value as text: REG_SZ up to its NUL, REG_DWORD as a number, others as hex bytes;
// null when the key or the value is missing.
Json ValueJson(const qv::machine::Registry& registry, const WatchedValue& watched) {
  const auto key = registry.find(watched.key);
  if (key == registry.end()) return nullptr;
  const auto value = key->second.find(watched.name);
  if (value == key->second.end()) return nullptr;
  const std::vector<std::uint8_t>& data = value->second.data;
  if (value->second.type == 1) {
    const std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
  }
  if (value->second.type == 4 && data.size() == 4) {
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
  }
  std::string hex;
  for (std::uint8_t byte : data) hex += Hex(byte, 2).substr(2);
  return "hex:" + hex;
}

Json RegistrySnapshot() {
  const qv::machine::Registry& registry = qv::standin::CurrentMachine().registry;
  Json values = Json::array();
  for (const WatchedValue& watched : kWatchedValues) {
    values.push_back({{"key", std::string("HKLM\\") + watched.key},
                      {"value", watched.name},
                      {"data", ValueJson(registry, watched)}});
  }
  return values;
}

Json ProgramStarts() {
  Json starts = Json::array();
  for (const qv::standin::ProcessStartRecord& start : qv::standin::ProcessStarts()) {
    starts.push_back({{"application", start.applicationName},
                      {"commandLine", start.commandLine},
                      {"started", start.error == 0},
                      {"error", start.error}});
  }
  return starts;
}

std::string Shown(const Json& data) {
  return data.is_null() ? "(missing)" : data.dump();
}

void PrintText(const Json& result) {
  std::cout << "Machine: " << result["machine"].get<std::string>() << '\n'
            << "UninstallQVGina(0) returned " << result["result"].get<int>() << '\n'
            << "Printed: " << Json(result["console"]).dump() << '\n'
            << "Registry values (before -> after):\n";
  const Json& before = result["before"];
  const Json& after = result["after"];
  for (std::size_t i = 0; i < before.size(); ++i) {
    const bool changed = before[i]["data"] != after[i]["data"];
    std::cout << "  " << before[i]["key"].get<std::string>() << "\\"
              << before[i]["value"].get<std::string>() << ": " << Shown(before[i]["data"])
              << (changed ? " -> " + Shown(after[i]["data"]) : " (unchanged)") << '\n';
  }
  std::cout << "Programs started: " << result["programs"].size() << '\n';
  for (const Json& start : result["programs"]) {
    std::cout << "  " << start["application"].get<std::string>() << "  \""
              << start["commandLine"].get<std::string>() << "\": "
              << (start["started"].get<bool>()
                      ? std::string("started")
                      : "not started (error " + std::to_string(start["error"].get<int>()) + ")")
              << '\n';
  }
}

// The call runs in `directory`, or in a fresh empty one so that no program from wherever
// qvtool was started runs by surprise.
Json RunUninstall(const std::string& directory) {
  std::unique_ptr<TemporaryDirectory> scratch;
  std::filesystem::path where(directory);
  if (directory.empty()) {
    scratch = std::make_unique<TemporaryDirectory>();
    where = scratch->Path();
  }
  ScopedCurrentDirectory inDirectory(where);
  qv::standin::ClearProcessStarts();
  Json result{{"machine", MachineDescription()}, {"directory", where.string()}};
  result["before"] = RegistrySnapshot();
  StdoutCapture capture;
  const int returned = UninstallQVGina(0);
  result["console"] = capture.Finish();
  result["result"] = returned;
  result["after"] = RegistrySnapshot();
  result["programs"] = ProgramStarts();
  return result;
}

int RunGina(const GinaOptions& options) {
  UseMachine(options.machine);
  const Json result = RunUninstall(options.directory);
  if (options.json) {
    PrintJson(result);
  } else {
    PrintText(result);
  }
  return kExitOk;
}

}  // namespace

void AddGinaCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<GinaOptions>();
  CLI::App* command = app.add_subcommand("gina", "Run UninstallQVGina on a simulated machine");
  command->footer(
      "Shows the registry values it reads and writes before and after, what it printed and the "
      "programs it started. Only a simulated machine: on a real one the call rewrites the logon "
      "chain.");
  AddMachineOption(*command, options->machine, true);
  command->add_option("--directory", options->directory,
                      "Current directory for the call, where iWrap.exe is looked for when it "
                      "is not installed (default: a new empty directory)");
  command->add_flag("--json", options->json, "Print the outcome as JSON");
  command->callback([options, &exitCode] { exitCode = RunGina(*options); });
}

}  // namespace qvtool
