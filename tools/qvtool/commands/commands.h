// The subcommands of qvtool. Each Add...Command registers one subcommand with its options and
// help; its callback stores the process's exit code in `exitCode` or throws ToolError.
#pragma once

namespace CLI {
class App;
}

namespace qvtool {

void AddReportCommand(CLI::App& app, int& exitCode);
void AddLintCommand(CLI::App& app, int& exitCode);
void AddEncryptCommand(CLI::App& app, int& exitCode);
void AddDecryptCommand(CLI::App& app, int& exitCode);
void AddLookupCommand(CLI::App& app, int& exitCode);
void AddSmbiosCommand(CLI::App& app, int& exitCode);
void AddCaptureCommand(CLI::App& app, int& exitCode);
void AddGinaCommand(CLI::App& app, int& exitCode);
void AddDiffCommand(CLI::App& app, int& exitCode);

}  // namespace qvtool
