#include "tools/qvtool/machine_profiles/machine_capture.h"
#include "winapi/posix/current_machine.h"

namespace qvtool {

qv::machine::Machine CaptureMachine() {
  return qv::standin::CurrentMachine();
}

}  // namespace qvtool
