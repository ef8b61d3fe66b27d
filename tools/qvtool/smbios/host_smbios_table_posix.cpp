#include "tools/qvtool/file_io.h"
#include "tools/qvtool/smbios/host_smbios_table.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {

namespace {
constexpr char kKernelTable[] = "/sys/firmware/dmi/tables/DMI";
constexpr std::size_t kMaxTableSize = 16u << 20;
}  // namespace

HostSmbiosTable ReadHostSmbiosTable(HostSmbiosSource source) {
  if (source == HostSmbiosSource::kWmi) {
    throw ToolError("WMI: there is no WMI on this system; read " + std::string(kKernelTable) +
                        " (--source firmware) or a table file",
                    kExitUsage);
  }
  return {kKernelTable, ReadFileBytes(kKernelTable, kMaxTableSize)};
}

}  // namespace qvtool
