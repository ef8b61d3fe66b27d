// Putting Winlogon's logon module back to the one the product's module displaced.
#pragma once

#include <string>

namespace qv::gina {

// True when `module` names the product's own logon module.
bool IsProductGina(const std::string& module);

// Restores "GinaDLL" when it names the product's module (or is missing or too short to name
// any module), and resets the product's remembered module names to the standard module. When
// the product's module could not be replaced, the remembered names are kept for a retry.
void RestoreWinlogonModule();

}  // namespace qv::gina
