// The raw SMBIOS table of the machine qvtool runs on.
#pragma once

#include <string>

namespace qvtool {

// Where to read it. On Windows, the firmware-table function (Windows Vista, and XP Professional
// x64 Edition, on) or WMI's MSSmBios_RawSMBiosTables (every Windows, and what the library
// reads); on Linux, the kernel's copy of the firmware table.
enum class HostSmbiosSource { kAny, kFirmware, kWmi };

struct HostSmbiosTable {
  std::string source;  // what was read, for messages: "GetSystemFirmwareTable('RSMB')"
  std::string bytes;
};

// kAny takes the firmware table where the system offers it and WMI where not. ToolError names
// the source and why it gave no table.
HostSmbiosTable ReadHostSmbiosTable(HostSmbiosSource source = HostSmbiosSource::kAny);

}  // namespace qvtool
