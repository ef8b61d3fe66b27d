// The raw SMBIOS table of the machine qvtool runs on.
#pragma once

#include <string>

namespace qvtool {

// Where the table comes from, for messages ("/sys/firmware/dmi/tables/DMI").
std::string HostSmbiosSource();

// The table's bytes. ToolError when the system does not give them.
std::string ReadHostSmbiosTable();

}  // namespace qvtool
