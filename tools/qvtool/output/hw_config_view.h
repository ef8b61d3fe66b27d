// The hardware-configuration record as `report` shows it: every named capability bit, the
// entry table and the extra byte.
#pragma once

#include <ostream>

#include "platform/hw_config_data.h"
#include "tools/qvtool/output/json_output.h"

namespace qvtool {

Json HwConfigJson(const qv::platform::HwConfigData& record);
void PrintHwConfig(const qv::platform::HwConfigData& record, std::ostream& out);

}  // namespace qvtool
