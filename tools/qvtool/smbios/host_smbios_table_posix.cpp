#include "tools/qvtool/file_io.h"
#include "tools/qvtool/smbios/host_smbios_table.h"

namespace qvtool {

namespace {
constexpr std::size_t kMaxTableSize = 16u << 20;
}

std::string HostSmbiosSource() {
  return "/sys/firmware/dmi/tables/DMI";
}

std::string ReadHostSmbiosTable() {
  return ReadFileBytes(HostSmbiosSource(), kMaxTableSize);
}

}  // namespace qvtool
