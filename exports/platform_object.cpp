#include "exports/platform_object.h"

#include "platform/acpi_wmi.h"

namespace qv {
namespace {

platform::CAcpiWmi* platformObject = nullptr;

}  // namespace

platform::CAcpiWmi* AcquirePlatformObject() {
  if (platformObject != nullptr) return platformObject;
  // Construction throws only when memory runs out. The new-expression then frees the object's
  // memory, its members release what they had acquired, and the pointer stays null.
  try {
    platformObject = new platform::CAcpiWmi;
  } catch (...) {
    return nullptr;
  }
  return platformObject;
}

void ReleasePlatformObject() {
  platform::CAcpiWmi* released = platformObject;
  platformObject = nullptr;
  delete released;
}

platform::CAcpiWmi* PresentPlatformObject() {
  return platformObject;
}

}  // namespace qv
