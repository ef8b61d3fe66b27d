#include "gina/uninstall_gina.h"

#include <cstdio>
#include <cstring>

#include "gina/gina_names.h"
#include "gina/intel_sso.h"
#include "gina/logon_chain.h"
#include "gina/registry_value.h"

namespace qv::gina {
namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA layout");

constexpr DWORD kLastLogonChainMajorVersion = 5;
constexpr DWORD kSettingLimit = 1024;

// The Windows major version; 0 when the system does not say.
DWORD MajorVersion() {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExA(&version)) return 0;
  return version.dwMajorVersion;
}

void MarkProductGinaOff() {
  WriteRegistryValue(kSettingsKey, kGinaEnabledValue, REG_SZ, kGinaDisabled, kSettingLimit,
                     win::RegistryView::kDefault);
}

}  // namespace

GinaRepair UninstallGina() {
  if (MajorVersion() > kLastLogonChainMajorVersion) return GinaRepair::kNoLogonChain;
  std::fputs(kXpNotice, stdout);
  std::fflush(stdout);  // before Intel's tool, which shares our standard output
  MarkProductGinaOff();
  NotifyIntelSingleSignOn();
  RestoreWinlogonModule();
  return GinaRepair::kChainRepaired;
}

}  // namespace qv::gina
