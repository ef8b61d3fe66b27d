// qvtool lookup ENC ID: what GetDeviceMask (on a machine with that system ID) and
// GetDeviceMaskDecrypt answer for one system ID from an encrypted list file, decoded.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>

#include "devicemask/list_file.h"
#include "devicemask/lookup.h"
#include "devicemask/record.h"
#include "exports/qvsupport.h"
#include "platform/known_platforms.h"
#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/listcheck/list_source.h"
#include "tools/qvtool/listcheck/record_location.h"
#include "tools/qvtool/output/decode_names.h"
#include "tools/qvtool/output/hex_text.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

namespace fs = std::filesystem;

struct LookupOptions {
  std::string path;
  int systemId = 0;
  bool json = false;
};

struct LookupAnswer {
  int deviceMask = 0;   // GetDeviceMask's answer on a machine with this system ID
  int decryptMask = 0;  // GetDeviceMaskDecrypt's answer
  int foundLine = 0;    // the line that starts with the ID, 0 when none does
  int foundColumn = 0;
  std::string recordText;          // the 16 characters read from there
  bool platformDFromBios = false;  // bit 3 would come from the machine's BIOS
  // Where readers that search the list unanchored would read the record instead; not found
  // when they read the same place.
  RecordLocation unanchored;
};

// GetDeviceMask reads the file and decrypts it before it looks the ID up; the lookup itself is
// the library's. No hardware configuration is known here, so platform D's bit 3 stays as the
// list gives it.
int DeviceMaskFor(const std::string& path, std::uint16_t systemId) {
  return qv::devicemask::LookUpDeviceMaskInFile(path.c_str(), systemId, std::nullopt);
}

// GetDeviceMaskDecrypt always reads "vexasysids.enc" in the current directory: give it a copy
// under that name in a private directory.
int DecryptMaskFor(const std::string& path, int systemId) {
  TemporaryDirectory directory;
  std::error_code error;
  fs::copy_file(path, directory.Path() / qv::devicemask::kListFileName, error);
  if (error) throw ToolError(path + ": cannot be copied: " + error.message());
  ScopedCurrentDirectory inDirectory(directory.Path());
  return GetDeviceMaskDecrypt(systemId);
}

void LocateRecord(const QVString& plain, std::uint16_t systemId, LookupAnswer& answer) {
  const RecordLocation location = qvtool::LocateRecord(plain, systemId);
  const RecordLocation unanchored = LocateUnanchored(plain, systemId);
  if (unanchored.found &&
      (unanchored.line != location.line || unanchored.column != location.column)) {
    answer.unanchored = unanchored;
  }
  if (!location.found) return;
  answer.foundLine = location.line;
  answer.foundColumn = location.column;
  answer.recordText = location.text;
  const auto digits =
      qv::devicemask::ReadFlagDigits(plain, qv::devicemask::FindRecord(plain, systemId));
  answer.platformDFromBios =
      systemId == qv::platform::kPlatformD && digits[qv::devicemask::kBit3Column] == 0;
}

LookupAnswer LookUp(const LookupOptions& options) {
  const auto systemId = static_cast<std::uint16_t>(options.systemId);
  LookupAnswer answer;
  LocateRecord(DecryptListFile(options.path), systemId, answer);
  answer.deviceMask = DeviceMaskFor(options.path, systemId);
  answer.decryptMask = DecryptMaskFor(options.path, options.systemId);
  return answer;
}

Json ToJson(const LookupOptions& options, const LookupAnswer& answer) {
  Json deviceMask{{"result", answer.deviceMask}};
  if (answer.deviceMask < 0) {
    deviceMask["status"] = DeviceMaskStatusName(answer.deviceMask);
  } else {
    deviceMask["mask"] = Hex(answer.deviceMask & 0xFF, 2);
    deviceMask["lineCode"] = answer.deviceMask >> 8;
    deviceMask["lineCodeName"] = LineCodeName(answer.deviceMask >> 8);
    deviceMask["bit3FromBios"] = answer.platformDFromBios;
  }
  Json result{{"file", options.path}, {"systemId", options.systemId}};
  if (answer.foundLine != 0) {
    result["foundAt"] = {{"line", answer.foundLine}, {"column", answer.foundColumn}};
    result["record"] = answer.recordText;
  }
  if (answer.unanchored.found) result["unanchoredAt"] = LocationJson(answer.unanchored);
  result["getDeviceMask"] = deviceMask;
  result["getDeviceMaskDecrypt"] = answer.decryptMask;
  return result;
}

void PrintText(const LookupOptions& options, const LookupAnswer& answer) {
  std::cout << "System ID " << options.systemId << " in " << options.path << ": ";
  if (answer.foundLine == 0) {
    std::cout << "no line of the list starts with it\n";
  } else {
    std::cout << "record at line " << answer.foundLine << " column " << answer.foundColumn << ": \""
              << answer.recordText << "\"\n";
  }
  if (answer.unanchored.found) {
    std::cout << "Readers that search unanchored read it at line " << answer.unanchored.line
              << " column " << answer.unanchored.column << " instead: \"" << answer.unanchored.text
              << "\"\n";
  }
  std::cout << "GetDeviceMask:        " << answer.deviceMask;
  if (answer.deviceMask < 0) {
    std::cout << " (" << DeviceMaskStatusName(answer.deviceMask) << ")\n";
  } else {
    const int line = answer.deviceMask >> 8;
    std::cout << " = line code " << line << " (" << LineCodeName(line) << ") * 256 + mask "
              << Hex(answer.deviceMask & 0xFF, 2) << '\n';
    for (int bit = 7; bit >= 0; --bit) {
      std::cout << "  mask bit " << bit << ": "
                << (IsSupportedDevice(answer.deviceMask & 0xFF, 1 << bit) ? "set" : "clear");
      if (bit == 3 && answer.platformDFromBios) {
        std::cout << " (platform D: on the machine, capability bit 27 decides)";
      }
      std::cout << '\n';
    }
  }
  std::cout << "GetDeviceMaskDecrypt: " << answer.decryptMask
            << (answer.decryptMask < 0 ? " (not found)" : "") << '\n';
}

int RunLookup(const LookupOptions& options) {
  const LookupAnswer answer = LookUp(options);
  if (options.json) {
    PrintJson(ToJson(options, answer));
  } else {
    PrintText(options, answer);
  }
  return answer.deviceMask < 0 ? kExitFailure : kExitOk;
}

}  // namespace

void AddLookupCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<LookupOptions>();
  CLI::App* command = app.add_subcommand(
      "lookup", "What GetDeviceMask and GetDeviceMaskDecrypt answer for one system ID");
  command->footer(
      "GetDeviceMask as on a machine with system ID ID (the list's own answer; platform D's bit 3 "
      "is shown as the list gives it), and GetDeviceMaskDecrypt through the export. Exit 1 when "
      "GetDeviceMask would fail.");
  command->add_option("ENC", options->path, "Encrypted list file")->required();
  command->add_option("ID", options->systemId, "System ID, 0 to 65535")
      ->required()
      ->check(CLI::Range(0, 65535));
  command->add_flag("--json", options->json, "Print the answers as JSON");
  command->callback([options, &exitCode] { exitCode = RunLookup(*options); });
}

}  // namespace qvtool
