#include "winapi/posix/process_command_line.h"

namespace qv::standin {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::size_t SkipBlanks(const std::string& text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

// Reads argv[0] from `at`; returns the position after it.
std::size_t ReadProgramName(const std::string& text, std::size_t at, std::string* name) {
  if (at < text.size() && text[at] == '"') {
    const std::size_t close = text.find('"', at + 1);
    const std::size_t end = close == std::string::npos ? text.size() : close;
    *name = text.substr(at + 1, end - at - 1);
    return close == std::string::npos ? end : end + 1;
  }
  std::size_t end = at;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  *name = text.substr(at, end - at);
  return end;
}

// Reads one argument from `at` (not blank); returns the position after it.
std::size_t ReadArgument(const std::string& text, std::size_t at, std::string* argument) {
  bool quoted = false;
  while (at < text.size() && (quoted || !IsBlank(text[at]))) {
    std::size_t backslashes = 0;
    while (at < text.size() && text[at] == '\\') {
      ++backslashes;
      ++at;
    }
    if (at < text.size() && text[at] == '"') {
      argument->append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        argument->push_back('"');
      } else {
        quoted = !quoted;
      }
      ++at;
      continue;
    }
    argument->append(backslashes, '\\');
    if (at < text.size() && (quoted || !IsBlank(text[at]))) argument->push_back(text[at++]);
  }
  return at;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  std::size_t at = SkipBlanks(commandLine, 0);
  if (at >= commandLine.size()) return arguments;
  arguments.emplace_back();
  at = SkipBlanks(commandLine, ReadProgramName(commandLine, at, &arguments.back()));
  while (at < commandLine.size()) {
    arguments.emplace_back();
    at = SkipBlanks(commandLine, ReadArgument(commandLine, at, &arguments.back()));
  }
  return arguments;
}

}  // namespace qv::standin
