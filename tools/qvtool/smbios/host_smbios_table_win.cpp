#include <windows.h>

#include <cstring>
#include <vector>

#include "tools/qvtool/smbios/host_smbios_table.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

// GetSystemFirmwareTable('RSMB') returns this header followed by the structure table.
constexpr DWORD kRawSmbiosProvider = 0x52534D42;  // 'RSMB'
constexpr std::size_t kRawSmbiosHeader = 8;       // calling method, versions, table length

}  // namespace

std::string HostSmbiosSource() {
  return "GetSystemFirmwareTable('RSMB')";
}

std::string ReadHostSmbiosTable() {
  const UINT size = GetSystemFirmwareTable(kRawSmbiosProvider, 0, nullptr, 0);
  if (size <= kRawSmbiosHeader) throw ToolError(HostSmbiosSource() + ": no SMBIOS table");
  std::vector<char> buffer(size);
  if (GetSystemFirmwareTable(kRawSmbiosProvider, 0, buffer.data(), size) != size) {
    throw ToolError(HostSmbiosSource() + ": the table could not be read");
  }
  DWORD length = 0;
  std::memcpy(&length, buffer.data() + 4, sizeof length);
  const std::size_t available = size - kRawSmbiosHeader;
  const std::size_t tableSize = length < available ? length : available;
  return std::string(buffer.data() + kRawSmbiosHeader, tableSize);
}

}  // namespace qvtool
