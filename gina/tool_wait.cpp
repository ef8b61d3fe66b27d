#include "gina/tool_wait.h"

namespace qv::gina {
namespace {

DWORD toolWaitSeconds = kToolWaitSeconds;

}  // namespace

DWORD ToolWaitSeconds() {
  return toolWaitSeconds;
}

void SetToolWaitSecondsForTesting(DWORD seconds) {
  toolWaitSeconds = seconds;
}

}  // namespace qv::gina
