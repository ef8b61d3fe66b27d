#include "exports/platform_object.h"

#include "platform/acpi_wmi.h"

namespace qv {
namespace {

CAcpiWmi* platformObject = nullptr;

}  // namespace

CAcpiWmi* AcquirePlatformObject() {
  if (platformObject != nullptr) return platformObject;
  // Construction throws only when memory runs out. The new-expression then frees the object's
  // memory, its members release what they had acquired, and the pointer stays null.
  try {
    platformObject = new CAcpiWmi;
  } catch (...) {
    return nullptr;
  }
  return platformObject;
}

void ReleasePlatformObject() {
  CAcpiWmi* released = platformObject;
  platformObject = nullptr;
  delete released;
}

CAcpiWmi* PresentPlatformObject() {
  return platformObject;
}

}  // namespace qv
