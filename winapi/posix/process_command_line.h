// Splits a Windows command line into the argument vector a C program started with it sees.
#pragma once

#include <string>
#include <vector>

namespace qv::standin {

// The program name (argv[0]) runs to the next space or tab, or when it starts with a double
// quote, to the closing quote. The other arguments are separated by spaces and tabs; double
// quotes group and are removed; 2n backslashes before a quote give n backslashes, 2n+1 give n
// and a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace qv::standin
