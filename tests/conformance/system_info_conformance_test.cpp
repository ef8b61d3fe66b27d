// What the system says about itself: the version query behind the logon-module restoration
// (an OSVERSIONINFOA, whose size field must be exactly right) and the power status that picks
// how the BIOS reads power-dependent tokens.
#include <gtest/gtest.h>

#include <cstring>

#include "winapi/win32.h"

namespace {

// A record whose every field still shows whether the call wrote it.
OSVERSIONINFOA UnwrittenVersion(DWORD size) {
  OSVERSIONINFOA version;
  std::memset(&version, 0xCC, sizeof version);
  version.dwOSVersionInfoSize = size;
  return version;
}

TEST(SystemInfoConformance, TheVersionFillsARecordOfItsOwnSize) {
  OSVERSIONINFOA version = UnwrittenVersion(sizeof(OSVERSIONINFOA));
  ASSERT_TRUE(GetVersionExA(&version)) << GetLastError();
  EXPECT_EQ(version.dwOSVersionInfoSize, sizeof(OSVERSIONINFOA));
  EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  // Every system of the NT line since Windows 2000; the logon module is restored up to 5.
  EXPECT_GE(version.dwMajorVersion, 5u);
  EXPECT_NE(version.dwMajorVersion, 0xCCCCCCCCu);
  EXPECT_NE(version.dwMinorVersion, 0xCCCCCCCCu);
  EXPECT_NE(std::memchr(version.szCSDVersion, '\0', sizeof version.szCSDVersion), nullptr);
}

TEST(SystemInfoConformance, AWrongRecordSizeIsRefusedAndNothingWritten) {
  const DWORD wrongSizes[] = {0, sizeof(OSVERSIONINFOA) - 1, sizeof(OSVERSIONINFOA) + 1};
  for (DWORD size : wrongSizes) {
    OSVERSIONINFOA version = UnwrittenVersion(size);
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&version)) << size;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << size;
    EXPECT_EQ(version.dwMajorVersion, 0xCCCCCCCCu) << size;
    EXPECT_EQ(version.dwPlatformId, 0xCCCCCCCCu) << size;
  }
}

// Each field within the values Windows documents for it.
TEST(SystemInfoConformance, PowerStatusFieldsStayInTheirRanges) {
  SYSTEM_POWER_STATUS power;
  std::memset(&power, 0xCC, sizeof power);
  ASSERT_TRUE(GetSystemPowerStatus(&power)) << GetLastError();

  EXPECT_TRUE(power.ACLineStatus == AC_LINE_OFFLINE || power.ACLineStatus == AC_LINE_ONLINE ||
              power.ACLineStatus == AC_LINE_UNKNOWN)
      << static_cast<int>(power.ACLineStatus);

  const BYTE batteryFlags = BATTERY_FLAG_HIGH | BATTERY_FLAG_LOW | BATTERY_FLAG_CRITICAL |
                            BATTERY_FLAG_CHARGING | BATTERY_FLAG_NO_BATTERY;
  EXPECT_TRUE(power.BatteryFlag == BATTERY_FLAG_UNKNOWN || (power.BatteryFlag & ~batteryFlags) == 0)
      << static_cast<int>(power.BatteryFlag);

  EXPECT_TRUE(power.BatteryLifePercent <= 100 ||
              power.BatteryLifePercent == BATTERY_PERCENTAGE_UNKNOWN)
      << static_cast<int>(power.BatteryLifePercent);

  // Seconds, or unknown (always unknown on mains power); never the pattern the record was
  // filled with.
  EXPECT_NE(power.BatteryLifeTime, 0xCCCCCCCCu);
  EXPECT_NE(power.BatteryFullLifeTime, 0xCCCCCCCCu);
  if (power.ACLineStatus == AC_LINE_ONLINE) {
    EXPECT_EQ(power.BatteryLifeTime, static_cast<DWORD>(BATTERY_LIFE_UNKNOWN));
  }
}

}  // namespace
