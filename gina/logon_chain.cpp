#include "gina/logon_chain.h"

#include "gina/gina_names.h"
#include "gina/registry_value.h"

namespace qv::gina {
namespace {

constexpr DWORD kModuleBufferSize = 1024;
// Module names of this length or shorter cannot name a real module (".dll" alone is 4).
constexpr std::size_t kShortestModuleName = 4;

// The standard module's name fits a limit of exactly its length. True when it was written.
bool WriteStandardGina() {
  return WriteRegistryValue(kWinlogonKey, kGinaDllValue, REG_SZ, kStandardGina,
                            sizeof(kStandardGina) - 1, win::RegistryView::k64Bit) == 1;
}

void ResetRememberedModules() {
  WriteRegistryValue(kSettingsKey, kOriginalGinaValue, REG_SZ, kStandardGina, kModuleBufferSize,
                     win::RegistryView::kDefault);
  WriteRegistryValue(kSettingsKey, kPreviousGinaValue, REG_SZ, kStandardGina, kModuleBufferSize,
                     win::RegistryView::kDefault);
}

// Puts back the module the product remembered as displaced, or the standard one. True when
// "GinaDLL" was written.
bool RestoreDisplacedModule() {
  const auto displaced = ReadRegistryText(kSettingsKey, kOriginalGinaValue, kModuleBufferSize,
                                          win::RegistryView::k32Bit);
  if (displaced && displaced->text.size() > kShortestModuleName) {
    return WriteRegistryValue(kWinlogonKey, kGinaDllValue, REG_SZ, displaced->text.c_str(),
                              displaced->byteCount, win::RegistryView::k64Bit) == 1;
  }
  return WriteStandardGina();
}

}  // namespace

bool IsProductGina(const std::string& module) {
  return module.find(kProductGinaMarkLower) != std::string::npos ||
         module.find(kProductGinaMarkMixed) != std::string::npos;
}

void RestoreWinlogonModule() {
  const auto current =
      ReadRegistryText(kWinlogonKey, kGinaDllValue, kModuleBufferSize, win::RegistryView::k64Bit);
  if (!current || current->text.size() <= kShortestModuleName) {
    WriteStandardGina();
    return;
  }
  // While Winlogon still names the product's module, the remembered names are the only record
  // of the module it displaced: they are reset only once "GinaDLL" no longer needs them.
  if (IsProductGina(current->text) && !RestoreDisplacedModule()) return;
  ResetRememberedModules();
}

}  // namespace qv::gina
