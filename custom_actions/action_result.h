// How a custom action ends. Only the installer itself can make one fail: a property it cannot
// read or set. What the library finds on the machine is always an answer.
#pragma once

namespace qv::custom_actions {

enum class ActionResult { kSucceeded, kFailed };

}  // namespace qv::custom_actions
