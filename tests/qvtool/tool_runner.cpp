#include "tool_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/temp_directory.h"

namespace qvtool::test {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

ToolRun RunQvtool(const std::string& arguments, const std::string& directory) {
  qv::test::TempDirectory capture;
  const std::string command = (directory.empty() ? "" : "cd '" + directory + "' && ") +
                              "env -u QV_MACHINE '" QVTOOL_PATH "' " + arguments + " > '" +
                              capture.File("out") + "' 2> '" + capture.File("err") + "'";
  const int status = std::system(command.c_str());
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = Slurp(capture.File("out"));
  run.err = Slurp(capture.File("err"));
  return run;
}

std::string SourceFile(const std::string& relative) {
  return std::string(QV_SOURCE_DIR) + "/" + relative;
}

}  // namespace qvtool::test
