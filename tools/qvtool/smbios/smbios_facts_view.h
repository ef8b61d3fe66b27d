// The platform facts the SMBIOS parser derives, shown by `smbios` and `report`.
#pragma once

#include <ostream>

#include "platform/smbios_parser.h"
#include "tools/qvtool/output/json_output.h"

namespace qvtool {

Json SmbiosFactsJson(const qv::platform::CSMBIOSParser& parser);
void PrintSmbiosFacts(const qv::platform::CSMBIOSParser& parser, std::ostream& out);

}  // namespace qvtool
