#include "exports/boundary.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "platform/acpi_wmi.h"

extern "C" int WINAPI GetSystemId() {
  return qv::GuardExport(0, [] {
    qv::platform::CAcpiWmi* platform = qv::AcquirePlatformObject();
    return platform != nullptr ? static_cast<int>(platform->SystemId()) : 0;
  });
}
