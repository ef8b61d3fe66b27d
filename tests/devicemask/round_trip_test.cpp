// Lists written by EncryptSysIds and read back by GetDeviceMask: a list of the largest size,
// and the bundled example list on the bundled example machines.
#include <gtest/gtest.h>

#include <string>

#include "devicemask/record.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "machine/machine.h"
#include "platform/acpi_wmi.h"
#include "platform/hw_config.h"
#include "platform/hw_config_data.h"
#include "platform/known_platforms.h"
#include "tests/devicemask/export_fixture.h"
#include "tests/devicemask/list_files.h"
#include "tests/devicemask/maximum_list.h"
#include "winapi/posix/current_machine.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

using ListRoundTrip = DeviceMaskExportTest;

TEST_F(ListRoundTrip, EveryRecordOfAMaximumSizeList) {
  const std::vector<ListRecord> records = MaximumListRecords(qv::platform::kPlatformD);
  const std::string plain = MaximumList(records);
  ASSERT_EQ(plain.size(), 7671u);
  dir_.Write("plain.txt", plain);
  ASSERT_EQ(EncryptSysIds("plain.txt"), 0);
  EXPECT_EQ(dir_.Read("vexasysids.enc").size(), 10232u);

  for (const ListRecord& record : records) {
    // Without a BIOS there is no hardware configuration, so platform D keeps its listed bit 3.
    UseVexaMachine(record.id, 0, false);
    const int line = qv::devicemask::LineCodeNumber(record.line.c_str());
    ASSERT_EQ(GetDeviceMask(nullptr), line * 256 + MaskOfFlags(record.flags)) << record.id;
    ASSERT_EQ(GetDeviceMaskDecrypt(record.id), MaskOfFlags(record.flags) & 0x3F) << record.id;
  }
  EXPECT_EQ(Constructions(), static_cast<int>(records.size()));
}

// The bundled machines answer from the bundled list, encrypted by the library itself.
class ExampleMachines : public DeviceMaskExportTest {
 protected:
  void SetUp() override {
    DeviceMaskExportTest::SetUp();
    ASSERT_EQ(EncryptSysIds(QV_SOURCE_DIR "/examples/sysids.txt"), 0);
  }

  static void UseProfile(const std::string& name) {
    std::string error;
    auto machine = machine::LoadProfile(QV_SOURCE_DIR "/examples/machines/" + name, &error);
    EXPECT_EQ(error, "") << name;
    standin::UseMachine(machine);
  }

  static bool Bit3FromPlatform() {
    const CHwConfig* hwConfig = AcquirePlatformObject()->HwConfig();
    return hwConfig != nullptr && HasCapability(hwConfig->Snapshot(), 27);
  }
};

TEST_F(ExampleMachines, PlatformDLaptopTakesBitThreeFromItsBios) {
  UseProfile("platform-d-laptop.json");
  EXPECT_EQ(GetSystemId(), qv::platform::kPlatformD);
  EXPECT_TRUE(Bit3FromPlatform());
  // "533 00011110 HKM": 4 + 2 + 1 + 64 from the list, 8 from the BIOS, line 3.
  EXPECT_EQ(GetDeviceMask(nullptr), 3 * 256 + 0x4F);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 0);
}

TEST_F(ExampleMachines, TorvaneLaptopIsOfTheTorvaneLine) {
  UseProfile("torvane-xp-laptop.json");
  EXPECT_EQ(GetSystemId(), 629);
  EXPECT_EQ(GetDeviceMask(nullptr), 6 * 256 + 7);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 1);
  EXPECT_EQ(IsSupportedDevice(GetDeviceMask(nullptr), 4), 4);
}

TEST_F(ExampleMachines, AnotherMakersMachineHasSystemIdZero) {
  UseProfile("other-maker-desktop.json");
  EXPECT_EQ(GetSystemId(), 0);
  // "0" occurs in "208 00111100 GNR" at once, but ID 0 is in no list.
  EXPECT_EQ(GetDeviceMask(nullptr), -4);
  EXPECT_EQ(IsTorvaneSystem(nullptr), 0);
  EXPECT_EQ(GetDeviceMaskDecrypt(0), -1);
}

}  // namespace
}  // namespace qv::testing
