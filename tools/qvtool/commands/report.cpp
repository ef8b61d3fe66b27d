// qvtool report: asks the library what the installer would learn on this machine (or a
// simulated one), calling the exports in the installer's order, and shows every answer
// decoded. UninstallQVGina is never called here.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "devicemask/list_file.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "platform/acpi_wmi.h"
#include "platform/hw_config.h"
#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/device_enumeration.h"
#include "tools/qvtool/listcheck/list_source.h"
#include "tools/qvtool/listcheck/record_location.h"
#include "tools/qvtool/machine_profiles/machine_option.h"
#include "tools/qvtool/output/decode_names.h"
#include "tools/qvtool/output/hex_text.h"
#include "tools/qvtool/output/hw_config_view.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/smbios/smbios_facts_view.h"
#include "tools/qvtool/tool_error.h"

using namespace qv::platform;

namespace qvtool {
namespace {

struct ReportOptions {
  std::string machine;
  std::string list;
  bool json = false;
};

struct Answers {
  int systemId = 0;
  Json platform;  // facts of the platform object, read before GetDeviceMask releases it
  bool hasPlatform = false;
  bool hasHwConfig = false;
  HwConfigData hwConfig{};
  int deviceMask = 0;
  RecordLocation record;  // where the lookup found the system ID in the list
  int torvane = 0;
  int supportedBits[8] = {};
  int lan = 0;
  int wlan = 0;
  int wwan = 0;
  std::optional<std::string> deviceProblem;  // why no device can be seen, if none can
};

void ReadPlatformObject(Answers& answers) {
  const CAcpiWmi* platform = qv::PresentPlatformObject();
  if (platform == nullptr) return;
  answers.hasPlatform = true;
  answers.platform = SmbiosFactsJson(*platform);
  answers.platform["wmiConnected"] = platform->Connected();
  answers.platform["biosTransferSize"] = platform->TransferSize();
  if (const CHwConfig* hwConfig = platform->HwConfig()) {
    answers.hasHwConfig = true;
    answers.hwConfig = hwConfig->Snapshot();
    answers.platform["hwConfigCreatedHere"] = hwConfig->CreatedRecord();
  }
}

// The installer's order: system ID, device mask, Torvane test, mask bits, adapters.
Answers AskLibrary(const char* listPath) {
  Answers answers;
  answers.systemId = GetSystemId();
  ReadPlatformObject(answers);
  answers.deviceMask = GetDeviceMask(listPath);
  answers.record = LocateRecordInFile(listPath, static_cast<std::uint16_t>(answers.systemId));
  answers.torvane = IsTorvaneSystem(listPath);
  const int mask = answers.deviceMask < 0 ? 0 : answers.deviceMask & 0xFF;
  for (int bit = 0; bit < 8; ++bit) answers.supportedBits[bit] = IsSupportedDevice(mask, 1 << bit);
  answers.lan = GetLANManufacturerID();
  answers.wlan = GetWLANManufacturerID();
  answers.wwan = GetWWANManufacturerID();
  answers.deviceProblem = DeviceEnumerationProblem();
  return answers;
}

Json DeviceMaskJson(const Answers& answers) {
  Json result{{"result", answers.deviceMask}, {"foundAt", LocationJson(answers.record)}};
  if (answers.deviceMask < 0) {
    result["status"] = DeviceMaskStatusName(answers.deviceMask);
    return result;
  }
  const int line = answers.deviceMask >> 8;
  Json bits = Json::array();
  for (int bit = 0; bit < 8; ++bit) bits.push_back(answers.supportedBits[bit] != 0);
  result["mask"] = Hex(answers.deviceMask & 0xFF, 2);
  result["bits"] = bits;
  result["lineCode"] = line;
  result["lineCodeName"] = LineCodeName(line);
  return result;
}

Json ToJson(const Answers& answers, const std::string& listName) {
  Json report{{"machine", MachineDescription()},
              {"list", listName},
              {"systemId", answers.systemId},
              {"systemIdHex", Hex(static_cast<unsigned>(answers.systemId), 4)},
              {"platform", answers.hasPlatform ? answers.platform : Json(nullptr)}};
  report["hwConfig"] = answers.hasHwConfig ? HwConfigJson(answers.hwConfig) : Json(nullptr);
  report["deviceMask"] = DeviceMaskJson(answers);
  report["torvane"] = answers.torvane == 1;
  report["lan"] = {{"code", answers.lan}, {"maker", LANMakerName(answers.lan)}};
  report["wlan"] = {{"code", answers.wlan}, {"maker", WLANMakerName(answers.wlan)}};
  report["wwan"] = {{"code", answers.wwan}, {"maker", WWANMakerName(answers.wwan)}};
  if (answers.deviceProblem) report["devicesUnreadable"] = *answers.deviceProblem;
  return report;
}

void PrintPlatform(const Answers& answers) {
  std::cout << "Platform:\n";
  if (!answers.hasPlatform) {
    std::cout << "  no platform object (its construction failed)\n";
    return;
  }
  const Json& platform = answers.platform;
  std::cout << "  Maker flag:   " << platform["makerFlag"].get<int>()
            << (platform["makerFlag"].get<int>() ? " (a Vexa machine)\n"
                                                 : " (not a Vexa machine)\n")
            << "  BIOS flag:    " << platform["biosFlag"].get<int>()
            << (platform["biosFlag"].get<int>() ? " (a Vexa BIOS)\n" : " (not a Vexa BIOS)\n")
            << "  Feature words: " << platform["featureWords"][0].get<std::string>() << ' '
            << platform["featureWords"][1].get<std::string>() << '\n'
            << "  BIOS tokens:  " << platform["tokens"].size() << '\n'
            << "  WMI:          " << (platform["wmiConnected"].get<bool>() ? "connected" : "none")
            << ", BIOS transfer size " << platform["biosTransferSize"].get<int>() << '\n';
  std::cout << "Hardware configuration:";
  if (!answers.hasHwConfig) {
    std::cout << " none (no BIOS interface)\n";
    return;
  }
  std::cout << (platform["hwConfigCreatedHere"].get<bool>() ? " (record created and filled here)\n"
                                                            : " (existing record taken over)\n");
  PrintHwConfig(answers.hwConfig, std::cout);
}

void PrintDeviceMask(const Answers& answers, const std::string& listName) {
  std::cout << "GetDeviceMask(" << listName << "): " << answers.deviceMask;
  if (answers.deviceMask < 0) {
    std::cout << " (" << DeviceMaskStatusName(answers.deviceMask) << ")\n";
    return;
  }
  const int line = answers.deviceMask >> 8;
  std::cout << " = line code " << line << " * 256 + mask " << Hex(answers.deviceMask & 0xFF, 2)
            << '\n';
  if (answers.record.found) {
    std::cout << "  read from line " << answers.record.line << " column " << answers.record.column
              << ": \"" << answers.record.text << "\"";
    if (answers.systemId == 0) std::cout << " (system ID 0: the first \"0\" anywhere matches)";
    std::cout << '\n';
  }
  for (int bit = 7; bit >= 0; --bit) {
    std::cout << "  mask bit " << bit << ": " << (answers.supportedBits[bit] ? "set" : "clear")
              << '\n';
  }
  std::cout << "  Line code:  " << line << ", " << LineCodeName(line) << '\n';
}

void PrintText(const Answers& answers, const std::string& listName) {
  std::cout << "Machine:      " << MachineDescription() << '\n'
            << "GetSystemId:  " << answers.systemId << " ("
            << Hex(static_cast<unsigned>(answers.systemId), 4) << ")\n";
  PrintPlatform(answers);
  PrintDeviceMask(answers, listName);
  std::cout << "IsTorvaneSystem:       " << answers.torvane
            << (answers.torvane ? " (a Torvane system)\n" : " (not a Torvane system)\n")
            << "GetLANManufacturerID:  " << answers.lan << " (" << LANMakerName(answers.lan)
            << ")\n"
            << "GetWLANManufacturerID: " << answers.wlan << " (" << WLANMakerName(answers.wlan)
            << ")\n"
            << "GetWWANManufacturerID: " << answers.wwan << " (" << WWANMakerName(answers.wwan)
            << ")\n";
  if (answers.deviceProblem) {
    std::cout << "  The adapters cannot be identified: " << *answers.deviceProblem << ".\n";
  }
}

int RunReport(const ReportOptions& options) {
  if (!options.list.empty() && !std::filesystem::is_regular_file(options.list)) {
    throw ToolError(options.list + ": " + OpenFailureReason(options.list));
  }
  UseMachine(options.machine);
  const char* listPath = options.list.empty() ? nullptr : options.list.c_str();
  const std::string listName = options.list.empty() ? qv::devicemask::kListFileName : options.list;
  const Answers answers = AskLibrary(listPath);
  if (options.json) {
    PrintJson(ToJson(answers, listName));
  } else {
    PrintText(answers, listName);
  }
  return kExitOk;
}

}  // namespace

void AddReportCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ReportOptions>();
  CLI::App* command = app.add_subcommand(
      "report", "What the installer learns from the library on this (or a simulated) machine");
  command->footer(
      "System ID, maker and BIOS flags, the hardware-configuration record with every capability "
      "bit named, the device mask bit by bit, the line code, Torvane or not, and the LAN, WLAN and "
      "WWAN makers, from the exports called in the installer's order. UninstallQVGina is never "
      "called.");
  AddMachineOption(*command, options->machine, false);
  command->add_option("--list", options->list,
                      "Encrypted list file (default: vexasysids.enc in the current directory)");
  command->add_flag("--json", options->json, "Print the report as JSON");
  command->callback([options, &exitCode] { exitCode = RunReport(*options); });
}

}  // namespace qvtool
