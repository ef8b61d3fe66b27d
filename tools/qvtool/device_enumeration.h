// Whether the adapter exports can see devices at all: on Windows they read the device tree
// through setupapi.dll, loaded from the system directory when they ask. When it cannot be
// loaded they answer "not identified" (-1), as on a machine without such adapters; qvtool says
// why.
#pragma once

#include <optional>
#include <string>

namespace qvtool {

// Why the device tree cannot be read, or nothing when it can.
std::optional<std::string> DeviceEnumerationProblem();

}  // namespace qvtool
