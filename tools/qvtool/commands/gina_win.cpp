// qvtool gina needs a simulated machine: on a real Windows machine UninstallQVGina would
// rewrite the logon chain. The Windows build only explains that.
#include <CLI/CLI.hpp>

#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {

void AddGinaCommand(CLI::App& app, int&) {
  CLI::App* command =
      app.add_subcommand("gina", "Run UninstallQVGina on a simulated machine (Linux build only).");
  command->callback([] {
    throw ToolError("gina: runs only on a simulated machine, which needs the Linux build");
  });
}

}  // namespace qvtool
