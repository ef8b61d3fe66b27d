#include "tools/qvtool/machine_profiles/machine_capture.h"

namespace qvtool {

qv::machine::Machine CaptureMachine() {
  return qv::machine::Current();
}

}  // namespace qvtool
