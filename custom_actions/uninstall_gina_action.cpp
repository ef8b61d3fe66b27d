#include "custom_actions/custom_actions.h"
#include "gina/uninstall_gina.h"

namespace qv::custom_actions {

ActionResult UninstallGina(PropertySink& session) noexcept {
  try {
    const gina::GinaRepair repair = gina::UninstallGina();
    session.Log(repair == gina::GinaRepair::kNoLogonChain
                    ? "QvUninstallGina: this Windows has no logon-module chain; nothing changed"
                    : "QvUninstallGina: the logon-chain repair ran on this XP-generation Windows: "
                      "the product's logon module is marked off and Winlogon's own module put "
                      "back, where the registry allowed it");
  } catch (...) {
    // As the export: the uninstall goes on whatever happened here.
    LogIfPossible(session, "QvUninstallGina: stopped before the end (out of memory)");
  }
  return ActionResult::kSucceeded;
}

}  // namespace qv::custom_actions
