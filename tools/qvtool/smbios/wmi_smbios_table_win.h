// The raw SMBIOS table as WMI hands it over (root\wmi, MSSmBios_RawSMBiosTables): the library's
// own road to the table, and the only one on 32-bit Windows XP.
#pragma once

#include <string>

namespace qvtool {

// "WMI root\wmi MSSmBios_RawSMBiosTables", for messages.
std::string WmiSmbiosSource();

// The bytes of the first instance's "SMBiosData" that its "Size" covers. ToolError, naming the
// step, when COM, the connection or the class gives nothing, or the instance holds no bytes (as
// under Wine, whose "SMBiosData" is VT_NULL).
std::string ReadSmbiosTableThroughWmi();

}  // namespace qvtool
