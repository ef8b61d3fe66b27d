// qvtool: the command-line tool around the installer support library, for release engineers
// who produce and check the encrypted system-ID list and for support engineers who want to
// know what the installer would decide on a given machine.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/tool_error.h"

namespace {

int Run(int argc, char** argv) {
  CLI::App app{
      "qvtool: inspect what the installer support library decides, and build its "
      "encrypted system-ID list"};
  app.set_version_flag("--version", std::string("qvtool ") + QVTOOL_VERSION);
  app.require_subcommand(1);
  int exitCode = qvtool::kExitOk;
  qvtool::AddReportCommand(app, exitCode);
  qvtool::AddLintCommand(app, exitCode);
  qvtool::AddEncryptCommand(app, exitCode);
  qvtool::AddDecryptCommand(app, exitCode);
  qvtool::AddLookupCommand(app, exitCode);
  qvtool::AddDiffCommand(app, exitCode);
  qvtool::AddSmbiosCommand(app, exitCode);
  qvtool::AddCaptureCommand(app, exitCode);
  qvtool::AddGinaCommand(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& success) {
    return app.exit(success);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return qvtool::kExitUsage;
  }
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const qvtool::ToolError& error) {
    std::cerr << "qvtool: " << error.what() << '\n';
    return error.ExitCode();
  } catch (const std::exception& error) {
    std::cerr << "qvtool: " << error.what() << '\n';
    return qvtool::kExitFailure;
  }
}
