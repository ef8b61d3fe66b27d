// The custom actions as Windows Installer calls them: UINT __stdcall Action(MSIHANDLE), exported
// undecorated by qvsupport_msi.def.in. ERROR_INSTALL_FAILURE only when the session failed the
// action; everything the library finds is an answer.
#include "custom_actions/custom_actions.h"
#include "msi_module/installer_session.h"

namespace {

UINT InstallerResult(qv::custom_actions::ActionResult result) {
  return result == qv::custom_actions::ActionResult::kSucceeded ? ERROR_SUCCESS
                                                                : ERROR_INSTALL_FAILURE;
}

}  // namespace

extern "C" {

UINT WINAPI QvIdentify(MSIHANDLE session) {
  qv::msi_module::InstallerSession installer(session);
  return InstallerResult(qv::custom_actions::Identify(installer));
}

UINT WINAPI QvUninstallGina(MSIHANDLE session) {
  qv::msi_module::InstallerSession installer(session);
  return InstallerResult(qv::custom_actions::UninstallGina(installer));
}
}
