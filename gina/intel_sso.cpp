#include "gina/intel_sso.h"

#include <algorithm>
#include <vector>

#include "gina/gina_names.h"
#include "gina/registry_value.h"
#include "gina/run_program.h"
#include "gina/tool_wait.h"

namespace qv::gina {
namespace {

// Chip types are short codes; the first read uses a buffer of this size.
constexpr DWORD kChipTypeBufferSize = 4;
constexpr DWORD kModuleNameLimit = 1024;

// The installed tool first: an uninstaller runs elevated, often in a directory anyone can
// write to, where a planted iWrap.exe would otherwise run with its rights. The copy in the
// current directory serves only where the tool is not installed.
void RunIntelTool(const char* command) {
  if (RunProgram(kIntelToolFullPath, command, ToolWaitSeconds()) != 0)
    RunProgram(kIntelTool, command, ToolWaitSeconds());
}

}  // namespace

std::string ReadWlanChipType() {
  win::ScopedRegistryKey key(kSettingsKey, win::kReadAccess, win::RegistryView::k32Bit);
  if (!key.IsValid()) return std::string();
  std::vector<BYTE> buffer(kChipTypeBufferSize, 0);
  DWORD byteCount = kChipTypeBufferSize;
  LONG status = key.Query(kWlanChipTypeValue, buffer.data(), &byteCount);
  if (status == ERROR_MORE_DATA && byteCount > buffer.size()) {
    // A value longer than the buffer: read all of it rather than none.
    buffer.assign(byteCount, 0);
    status = key.Query(kWlanChipTypeValue, buffer.data(), &byteCount);
  }
  if (status != ERROR_SUCCESS) return std::string();
  byteCount = std::min(byteCount, static_cast<DWORD>(buffer.size()));
  return TextOfValue(buffer.data(), byteCount);
}

bool IsIntelChipType(const std::string& chipType) {
  return chipType.find(kIntelChipMark) != std::string::npos;
}

void NotifyIntelSingleSignOn() {
  if (!IsIntelChipType(ReadWlanChipType())) return;
  RunIntelTool(kIntelToolFirstCommand);
  RunIntelTool(kIntelToolSecondCommand);
  WriteRegistryValue(kIntelSsoKey, kIntelOriginalGinaValue, REG_SZ, kStandardGina, kModuleNameLimit,
                     win::RegistryView::kDefault);
}

}  // namespace qv::gina
