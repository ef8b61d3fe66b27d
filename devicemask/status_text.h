// What each of GetDeviceMask's negative statuses means, in words for people: qvtool's reports
// and the custom actions' log lines give the same reason for the same status.
#pragma once

namespace qv::devicemask {

// nullptr for a value that is no status.
const char* StatusText(int status);

}  // namespace qv::devicemask
