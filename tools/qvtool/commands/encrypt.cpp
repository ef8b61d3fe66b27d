// qvtool encrypt PLAIN [-o DIR]: lints the plain list, refuses one with errors unless --force,
// writes "vexasysids.enc" into DIR through the library's EncryptSysIds and checks what it
// wrote through the readers' own export.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>

#include "devicemask/list_file.h"
#include "exports/qvsupport.h"
#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/listcheck/list_file_check.h"
#include "tools/qvtool/listcheck/list_source.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

namespace fs = std::filesystem;

struct EncryptOptions {
  std::string path;
  std::string directory = ".";
  bool force = false;
  bool json = false;
};

struct WrittenFile {
  std::string path;
  std::size_t characters = 0;
  bool sameAsInMemory = false;  // byte-identical to the in-memory encryption of the list
  int recordsChecked = 0;
  std::vector<std::string> mismatches;  // records GetDeviceMaskDecrypt reads differently
};

void RefuseIfBroken(const ListCheck& check, const EncryptOptions& options) {
  if (!options.json) {
    PrintProblems(check, std::cerr);
    PrintReadBackFailures(check, std::cerr);
  }
  if (options.force || (!check.lint.HasErrors() && check.ReadsBack())) return;
  throw ToolError(options.path + ": the list has errors (see `qvtool lint " + options.path +
                  "`); not encrypted, --force writes it anyway");
}

void CallEncryptSysIds(const std::string& plainPath, const fs::path& directory) {
  const std::string absolute = fs::absolute(plainPath).string();
  const std::string target = (directory / qv::devicemask::kListFileName).string();
  int result = 0;
  {
    ScopedCurrentDirectory inDirectory(directory);
    result = EncryptSysIds(absolute.c_str());
  }
  if (result == 1) throw ToolError(plainPath + ": EncryptSysIds cannot open the plain list");
  if (result != 0) {
    throw ToolError(target + ": not written (EncryptSysIds returned " + std::to_string(result) +
                    ": the list is empty or too long, or the file cannot be created)");
  }
}

// Each record's six-bit mask as GetDeviceMaskDecrypt reads it from the file just written.
void CheckWithExport(const ListCheck& check, const fs::path& directory, WrittenFile& written) {
  ScopedCurrentDirectory inDirectory(directory);
  for (const RecordReadBack& record : check.roundTrip.records) {
    const int expected = record.expectedResult & 0x3F;
    const int actual = GetDeviceMaskDecrypt(record.systemId);
    ++written.recordsChecked;
    if (actual == expected) continue;
    written.mismatches.push_back(check.path + ":" + std::to_string(record.line) +
                                 ": GetDeviceMaskDecrypt(" + std::to_string(record.systemId) +
                                 ") returns " + std::to_string(actual) + ", the record says " +
                                 std::to_string(expected));
  }
}

WrittenFile Verify(const ListCheck& check, const fs::path& directory) {
  WrittenFile written;
  written.path = (directory / qv::devicemask::kListFileName).string();
  const QVString content = ReadEncryptedList(written.path);
  written.characters = static_cast<std::size_t>(content.GetLength());
  written.sameAsInMemory =
      check.roundTrip.encrypted && std::string(content.GetNarrow()) == check.roundTrip.cipherText;
  CheckWithExport(check, directory, written);
  return written;
}

void Print(const ListCheck& check, const WrittenFile& written, bool json) {
  if (json) {
    PrintJson(Json{{"file", check.path},
                   {"output", written.path},
                   {"characters", written.characters},
                   {"records", check.lint.records.size()},
                   {"lintErrors", check.lint.HasErrors()},
                   {"sameAsInMemory", written.sameAsInMemory},
                   {"recordsChecked", written.recordsChecked},
                   {"mismatches", written.mismatches},
                   {"lint", ToJson(check)}});
    return;
  }
  for (const std::string& mismatch : written.mismatches) std::cerr << mismatch << '\n';
  std::cout << "wrote " << written.path << ": " << written.characters << " characters, "
            << check.lint.records.size() << " records; GetDeviceMaskDecrypt read "
            << written.recordsChecked - static_cast<int>(written.mismatches.size()) << " of "
            << written.recordsChecked << " records back as written\n";
}

int RunEncrypt(const EncryptOptions& options) {
  const fs::path directory(options.directory);
  std::error_code error;
  if (!fs::is_directory(directory, error)) {
    throw ToolError(options.directory + ": no such directory");
  }
  const ListCheck check = CheckListFile(options.path);
  RefuseIfBroken(check, options);
  CallEncryptSysIds(options.path, directory);
  const WrittenFile written = Verify(check, directory);
  Print(check, written, options.json);
  const bool clean = written.mismatches.empty() && written.sameAsInMemory;
  return clean || options.force ? kExitOk : kExitFailure;
}

}  // namespace

void AddEncryptCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<EncryptOptions>();
  CLI::App* command =
      app.add_subcommand("encrypt", "Lint a plain list and write it as vexasysids.enc");
  command->footer(
      "Writes through the library's EncryptSysIds, then reads every record back from the file "
      "with GetDeviceMaskDecrypt. A list with errors is refused unless --force.");
  command->add_option("PLAIN", options->path, "Plain list file")->required();
  command->add_option("-o,--output-dir", options->directory,
                      "Directory that receives vexasysids.enc (default: the current one)");
  command->add_flag("--force", options->force, "Encrypt even a list with errors");
  command->add_flag("--json", options->json, "Print the outcome as JSON");
  command->callback([options, &exitCode] { exitCode = RunEncrypt(*options); });
}

}  // namespace qvtool
