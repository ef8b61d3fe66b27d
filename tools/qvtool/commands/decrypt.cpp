// qvtool decrypt ENC: prints the plain list inside an encrypted list file.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/listcheck/list_source.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

struct DecryptOptions {
  std::string path;
  bool json = false;
};

int RunDecrypt(const DecryptOptions& options) {
  const QVString plain = DecryptListFile(options.path);
  const std::string text(plain.GetNarrow(), static_cast<std::size_t>(plain.GetLength()));
  if (options.json) {
    PrintJson(Json{{"file", options.path}, {"plainLength", text.size()}, {"plain", text}});
  } else {
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    std::cout.flush();
  }
  return kExitOk;
}

}  // namespace

void AddDecryptCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<DecryptOptions>();
  CLI::App* command =
      app.add_subcommand("decrypt", "Print the plain list inside an encrypted list file");
  command->add_option("ENC", options->path, "Encrypted list file")->required();
  command->add_flag("--json", options->json, "Print the plain list inside a JSON document");
  command->callback([options, &exitCode] { exitCode = RunDecrypt(*options); });
}

}  // namespace qvtool
