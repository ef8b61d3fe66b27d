#include "tools/qvtool/device_enumeration.h"

namespace qvtool {

// The stand-in always has its devices: the simulated machine's, or the host's from sysfs.
std::optional<std::string> DeviceEnumerationProblem() {
  return std::nullopt;
}

}  // namespace qvtool
