// IsDevicePresent and the row-first search: the matching rule, the end of a walk on a failed
// fetch, the release of the set and the heap record on every path, and the table order.
#include "netid/device_walk.h"
#include "tests/netid/simulated_machine.h"

namespace qv::netid::testing {
namespace {

const char* const kRow = "VEN_14E4&DEV_1674&SUBSYS_5A311F7A";

using DeviceWalkTest = SimulatedMachineTest;

TEST_F(DeviceWalkTest, MatchesARowAnywhereInTheInstanceIdIgnoringAsciiCase) {
  AddPci("pci\\ven_14e4&dev_1674&subsys_5a311f7a&rev_02\\3&11583659&0&c8");
  EXPECT_TRUE(IsDevicePresent("PCI", kRow));
  EXPECT_TRUE(IsDevicePresent("PCI", "dev_1674&subsys_5A31")) << "the pattern's case is ignored";
  EXPECT_TRUE(IsDevicePresent("PCI", "&REV_02\\3&")) << "no anchoring, no token boundary";
  EXPECT_FALSE(IsDevicePresent("USB", kRow)) << "only the named enumerator is walked";
}

TEST_F(DeviceWalkTest, ListedVendorAndDeviceWithAnotherSubsystemDoNotMatch) {
  AddPci(PciId("VEN_14E4&DEV_1674&SUBSYS_5A3F1F7A"));
  AddPci(PciId("VEN_14E4&DEV_1674&SUBSYS_00000000"));
  EXPECT_FALSE(IsDevicePresent("PCI", kRow));
}

TEST_F(DeviceWalkTest, AFailedFetchEndsTheWalkBeforeTheDevicesAfterIt) {
  AddPci(PciId("VEN_1AF4&DEV_1041&SUBSYS_11001AF4"));
  AddPci(PciId(kRow));
  standin::InjectFault("SetupDiGetDeviceInstanceIdA", 1);
  EXPECT_FALSE(IsDevicePresent("PCI", kRow));
  EXPECT_EQ(standin::CallCount("SetupDiGetDeviceInstanceIdA"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiDestroyDeviceInfoList"), 1);
  EXPECT_EQ(standin::CallCount("HeapFree"), 1);

  standin::ClearFaults();
  EXPECT_TRUE(IsDevicePresent("PCI", kRow)) << "the next walk starts afresh";
}

TEST_F(DeviceWalkTest, AnInstanceIdLongerThanTheBufferEndsTheWalk) {
  AddPci("PCI\\VEN_1AF4&DEV_1041\\" + std::string(300, 'X'));
  AddPci(PciId(kRow));
  EXPECT_FALSE(IsDevicePresent("PCI", kRow));
}

TEST_F(DeviceWalkTest, PlatformFailuresCountAsNoMatchAndReleaseWhatWasTaken) {
  AddPci(PciId(kRow));
  for (const char* call :
       {"SetupDiGetClassDevsA", "GetProcessHeap", "HeapAlloc", "SetupDiEnumDeviceInfo"}) {
    SCOPED_TRACE(call);
    standin::InjectFault(call, 1);
    EXPECT_FALSE(IsDevicePresent("PCI", kRow));
    EXPECT_EQ(standin::OutstandingReport(), "");
    standin::ClearFaults();
  }
}

TEST_F(DeviceWalkTest, OneWalkOpensAndDestroysOneSetAndOneHeapRecord) {
  AddPci(PciId("VEN_1AF4&DEV_1041&SUBSYS_11001AF4"));
  AddPci(PciId("VEN_1AF4&DEV_1042&SUBSYS_11001AF4"));
  EXPECT_FALSE(IsDevicePresent("PCI", kRow));
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 3);
  EXPECT_EQ(standin::CallCount("SetupDiGetDeviceInstanceIdA"), 2);
  EXPECT_EQ(standin::CallCount("HeapAlloc"), 1);
  EXPECT_EQ(standin::DeviceWalks("PCI").completed, 1);
}

TEST_F(DeviceWalkTest, RowFirstSearchReturnsTheFirstTableRowPresent) {
  AddPci(PciId("VEN_8086&DEV_10F5&SUBSYS_6B011F7A"));
  AddPci(PciId(kRow));
  const PatternTable table = {"VEN_0000&DEV_0000", kRow, "VEN_8086&DEV_10F5", ""};
  EXPECT_STREQ(FindFirstPresentRow(table, "PCI").GetNarrow(), kRow)
      << "the row's own text, not the device's, and by table order";
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 2);
}

TEST_F(DeviceWalkTest, RowFirstSearchOfAnEmptyTableFindsNothing) {
  AddPci(PciId(kRow));
  EXPECT_TRUE(FindFirstPresentRow(PatternTable{""}, "PCI").IsEmpty());
  EXPECT_TRUE(FindFirstPresentRow(PatternTable{}, "PCI").IsEmpty());
  EXPECT_TRUE(FindFirstPresentRow(PatternTable{"", kRow}, "PCI").IsEmpty())
      << "rows after the empty row are never tried";
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 0);
}

}  // namespace
}  // namespace qv::netid::testing
