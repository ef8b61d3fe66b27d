// qvtool lint PLAIN: checks a plain system-ID list against every rule its reader and writer
// need, then proves that each record reads back with its own flags and line code.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/listcheck/list_file_check.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

struct LintOptions {
  std::string path;
  bool json = false;
  bool strict = false;
};

void PrintText(const ListCheck& check) {
  PrintProblems(check, std::cout);
  PrintReadBackFailures(check, std::cout);
  std::cout << Summary(check) << '\n';
}

int RunLint(const LintOptions& options) {
  const ListCheck check = CheckListFile(options.path);
  if (options.json) {
    PrintJson(ToJson(check));
  } else {
    PrintText(check);
  }
  const bool failed =
      check.lint.HasErrors() || !check.ReadsBack() || (options.strict && check.lint.HasWarnings());
  return failed ? kExitFailure : kExitOk;
}

}  // namespace

void AddLintCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<LintOptions>();
  CLI::App* command =
      app.add_subcommand("lint", "Check a plain system-ID list and prove every record reads back");
  command->footer(
      "Checks three-digit IDs, 0/1 flags, known line codes, a line end after every record, the "
      "7671-character limit, duplicate IDs and IDs whose digits occur earlier than their own "
      "record (readers that search unanchored would take them), each with line and column; then "
      "encrypts the list in memory and reads every record back the way GetDeviceMask does. Exit "
      "1 when anything fails.");
  command->add_option("PLAIN", options->path, "Plain list file")->required();
  command->add_flag("--json", options->json, "Print the findings as JSON");
  command->add_flag("--strict", options->strict, "Fail on warnings too (unknown line codes)");
  command->callback([options, &exitCode] { exitCode = RunLint(*options); });
}

}  // namespace qvtool
