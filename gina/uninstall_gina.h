// Taking the product's logon module out of the Winlogon chain at uninstall.
#pragma once

namespace qv::gina {

// On systems of the Windows XP generation (major version 5 or lower) prints "XP", marks the
// product's module off, tells Intel's single-sign-on when its adapter is present, and restores
// Winlogon's logon module. Later systems have no such chain: nothing happens there.
enum class GinaRepair {
  kNoLogonChain,  // a system after the XP generation: nothing was read or written
  kChainRepaired  // the restoration ran (what it could write, it wrote)
};
GinaRepair UninstallGina();

}  // namespace qv::gina
