// Capturing the Windows machine qvtool runs on: what the library itself would read, through
// the same calls, so that a profile made here answers `report --machine` identically.
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "exports/platform_object.h"
#include "platform/acpi_wmi.h"
#include "platform/bios_call_buffer.h"
#include "platform/capability_bits.h"
#include "tools/qvtool/machine_profiles/machine_capture.h"
#include "tools/qvtool/smbios/host_smbios_table.h"
#include "tools/qvtool/tool_error.h"
#include "winapi/win32.h"

using namespace qv::platform;

namespace qvtool {
namespace {

using qv::machine::BiosFunction;

struct BiosRequest {
  std::uint16_t functionClass;
  std::uint16_t selector;
  std::vector<std::uint32_t> args;  // leading arguments that tell this request apart
};

// The capability probe's rows come from the one table of capability bits; the class-17 flags
// and platform B's availability calls repeat two of them (17/11 and 4/7) with the same arguments.
constexpr std::uint16_t kEntryClass = 4;
constexpr std::uint16_t kEntrySelector = 200;
constexpr std::uint32_t kMaxEntries = 8;
constexpr std::uint16_t kTokenIds[] = {0x01FB, 0x01FA};

BiosFunction Ask(CAcpiWmi& platform, const BiosRequest& request) {
  BiosCallBuffer block = MakeBiosCall(request.functionClass, request.selector);
  for (std::size_t i = 0; i < request.args.size() && i < 4; ++i) block.args[i] = request.args[i];
  platform.CallBiosFunction(block);
  BiosFunction answer;
  answer.functionClass = request.functionClass;
  answer.selector = request.selector;
  answer.args = request.args;
  answer.status = block.status;
  answer.results = {block.result2, block.result3, block.result4};
  return answer;
}

// Requests with distinguishing arguments come first: the simulated BIOS takes the first match.
qv::machine::Bios CaptureBios(CAcpiWmi& platform) {
  qv::machine::Bios bios;
  bios.transferSize = platform.TransferSize();
  const BiosFunction count = Ask(platform, {kEntryClass, kEntrySelector, {0}});
  const std::uint32_t entries = count.status == 0 ? std::min(count.results[0], kMaxEntries) : 0;
  for (std::uint32_t i = 0; i < entries; ++i) {
    bios.functions.push_back(Ask(platform, {kEntryClass, kEntrySelector, {1, i}}));
  }
  bios.functions.push_back(count);
  for (std::uint16_t id : kTokenIds) {
    if (const SmbiosToken* token = platform.FindToken(id)) {
      bios.functions.push_back(Ask(platform, {0, 0, {token->location}}));
    }
  }
  for (const qv::platform::CapabilityBit& row : qv::platform::kCapabilityBits) {
    if (!qv::platform::IsProbed(row)) continue;
    bios.functions.push_back(Ask(platform, {row.probe.functionClass, row.probe.selector, {}}));
  }
  return bios;
}

std::optional<qv::machine::Wmi> CaptureWmi() {
  qv::machine::Wmi wmi;
  try {
    const std::string table = ReadHostSmbiosTable().bytes;
    wmi.smbiosTables.emplace_back(table.begin(), table.end());
  } catch (const ToolError&) {
    // No table: the library reads system ID 0, as the profile will say.
  }
  CAcpiWmi* platform = qv::AcquirePlatformObject();
  if (platform != nullptr && platform->HwConfig() != nullptr) wmi.bios = CaptureBios(*platform);
  qv::ReleasePlatformObject();
  return wmi;
}

std::vector<std::string> InstanceIds(const char* enumerator) {
  std::vector<std::string> ids;
  HDEVINFO set =
      SetupDiGetClassDevsA(nullptr, enumerator, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return ids;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    char id[1024];
    if (SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id, nullptr)) ids.emplace_back(id);
  }
  SetupDiDestroyDeviceInfoList(set);
  return ids;
}

// The version the library's GetVersionExA sees, which depends on this program's manifest as
// much as on Windows.
qv::machine::OsVersion OsVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  qv::machine::OsVersion version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExA(&info)) version = {info.dwMajorVersion, info.dwMinorVersion};
#pragma GCC diagnostic pop
  return version;
}

std::optional<std::uint8_t> AcLineStatus() {
  SYSTEM_POWER_STATUS status{};
  if (!GetSystemPowerStatus(&status)) return std::nullopt;
  return status.ACLineStatus;
}

}  // namespace

qv::machine::Machine CaptureMachine() {
  qv::machine::Machine machine;
  machine.description = "this machine";
  machine.os = OsVersion();
  machine.acLineStatus = AcLineStatus();
  machine.devices["PCI"] = InstanceIds("PCI");
  machine.devices["USB"] = InstanceIds("USB");
  machine.wmi = CaptureWmi();
  return machine;
}

}  // namespace qvtool
