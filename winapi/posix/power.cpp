#include <cstring>

#include "machine/machine.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/power.h"

BOOL WINAPI GetSystemPowerStatus(LPSYSTEM_POWER_STATUS status) {
  if (qv::standin::ShouldFail("GetSystemPowerStatus")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  if (status == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto& acLine = qv::standin::CurrentMachine().acLineStatus;
  if (!acLine) {
    SetLastError(ERROR_FILE_NOT_FOUND);  // no power-supply information on this machine
    return FALSE;
  }
  std::memset(status, 0, sizeof(*status));
  status->ACLineStatus = *acLine;
  status->BatteryFlag = BATTERY_FLAG_UNKNOWN;
  status->BatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
  status->BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  status->BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  return TRUE;
}
