// The shared platform object: one CAcpiWmi behind GetSystemId and GetDeviceMask, reached
// through a module-wide pointer. No lock guards it: the installer calls one export at a time.
#pragma once

namespace qv::platform {
class CAcpiWmi;
}

namespace qv {

// The present object, building it first when absent. Returns nullptr only when construction
// threw (out of memory); the pointer then stays null.
platform::CAcpiWmi* AcquirePlatformObject();

// Destroys the present object, if any, and clears the pointer.
void ReleasePlatformObject();

// The present object or nullptr; never builds.
platform::CAcpiWmi* PresentPlatformObject();

}  // namespace qv
