// The firmware table where Windows offers GetSystemFirmwareTable, WMI's raw tables where not.
#include <cstring>
#include <vector>

#include "tools/qvtool/smbios/host_smbios_table.h"
#include "tools/qvtool/smbios/wmi_smbios_table_win.h"
#include "tools/qvtool/tool_error.h"
#include "winapi/win32.h"

namespace qvtool {
namespace {

constexpr char kFirmwareSource[] = "GetSystemFirmwareTable('RSMB')";
// The raw SMBIOS provider returns this header followed by the structure table.
constexpr DWORD kRawSmbiosProvider = 0x52534D42;  // 'RSMB'
constexpr std::size_t kRawSmbiosHeader = 8;       // calling method, versions, table length

// GetSystemFirmwareTable is not in 32-bit Windows XP's kernel32.dll: bound at run time, so that
// qvtool.exe starts there and reads WMI instead.
using FirmwareTableFunction = UINT(WINAPI*)(DWORD provider, DWORD table, PVOID buffer, DWORD size);

FirmwareTableFunction BindFirmwareTableFunction() {
  // kernel32.dll is in every process: looked up among the loaded modules, never searched for.
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  if (kernel32 == nullptr) return nullptr;
  return reinterpret_cast<FirmwareTableFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "GetSystemFirmwareTable")));
}

std::string ReadFirmwareTable(FirmwareTableFunction getTable) {
  const UINT size = getTable(kRawSmbiosProvider, 0, nullptr, 0);
  if (size <= kRawSmbiosHeader) throw ToolError(std::string(kFirmwareSource) + ": no SMBIOS table");
  std::vector<char> buffer(size);
  if (getTable(kRawSmbiosProvider, 0, buffer.data(), size) != size) {
    throw ToolError(std::string(kFirmwareSource) + ": the table could not be read");
  }
  DWORD length = 0;
  std::memcpy(&length, buffer.data() + 4, sizeof length);
  const std::size_t available = size - kRawSmbiosHeader;
  const std::size_t tableSize = length < available ? length : available;
  return std::string(buffer.data() + kRawSmbiosHeader, tableSize);
}

}  // namespace

HostSmbiosTable ReadHostSmbiosTable(HostSmbiosSource source) {
  const FirmwareTableFunction getTable = BindFirmwareTableFunction();
  if (source == HostSmbiosSource::kFirmware && getTable == nullptr) {
    throw ToolError(std::string(kFirmwareSource) +
                    ": this Windows has no such function (it came with Windows Vista and XP "
                    "Professional x64 Edition); read WMI with --source wmi");
  }
  if (source == HostSmbiosSource::kWmi || getTable == nullptr) {
    std::string via = WmiSmbiosSource();
    if (source == HostSmbiosSource::kAny) via += " (this Windows has no GetSystemFirmwareTable)";
    return {via, ReadSmbiosTableThroughWmi()};
  }
  return {kFirmwareSource, ReadFirmwareTable(getTable)};
}

}  // namespace qvtool
