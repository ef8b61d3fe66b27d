// The simulated machine behind the Win32 stand-in (--machine PROFILE). Only the Linux build
// has one; on Windows the library talks to the real machine and the option does not exist.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace qvtool {

// Adds --machine PROFILE to the command; `required` for commands that make no sense on the
// real machine.
void AddMachineOption(CLI::App& command, std::string& profilePath, bool required);

// Makes the profile the machine the library sees (nothing for an empty path). ToolError with
// the loader's one-line message when the profile is unreadable or malformed.
void UseMachine(const std::string& profilePath);

// "Linux host", the profile's path, or "this machine".
std::string MachineDescription();

// Whether the library runs on a simulated machine rather than the real one.
bool SimulatedMachinesAvailable();

}  // namespace qvtool
