// The two custom actions, over any property sink. The module's entry points hand them the
// installer's session; tests hand them a recording sink.
#pragma once

#include "custom_actions/action_result.h"
#include "custom_actions/property_sink.h"

namespace qv::custom_actions {

// Immediate, early in the sequence: reads QV_LIST_FILE, asks the library what this machine
// is, sets every answer as a property and logs each one on a line of its own. Fails only when a
// property cannot be read or set.
ActionResult Identify(PropertySink& session) noexcept;

// Deferred, without impersonation, at uninstall: takes the product's logon module out of the
// Winlogon chain and logs what it did. Never fails.
ActionResult UninstallGina(PropertySink& session) noexcept;

}  // namespace qv::custom_actions
