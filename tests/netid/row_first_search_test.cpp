// The row-first search over one snapshot of the present devices: the matching rule, the end of
// the snapshot at a failed fetch, one enumeration per search, the release of the set and the
// heap record on every path, and the table order.
#include "netid/row_first_search.h"
#include "netid/device_snapshot.h"
#include "netid/hardware_id_match.h"
#include "tests/netid/adapter_fixture.h"

namespace qv::netid::testing {
namespace {

const char* const kRow = "VEN_14E4&DEV_1674&SUBSYS_5A311F7A";
// Sorts before kRow: devices come in registry order.
const char* const kOtherDevice = "VEN_1234&DEV_1111&SUBSYS_00001234";

using RowFirstSearchTest = AdapterTest;

bool Present(const char* enumerator, const char* row) {
  return !FindFirstPresentRow(PatternTable{row, ""}, enumerator).IsEmpty();
}

TEST_F(RowFirstSearchTest, MatchesARowAnywhereInTheInstanceIdIgnoringAsciiCase) {
  AddPci("pci\\ven_14e4&dev_1674&subsys_5a311f7a&rev_02\\3&11583659&0&c8");
  EXPECT_TRUE(Present("PCI", kRow));
  EXPECT_TRUE(Present("PCI", "dev_1674&subsys_5A31")) << "the row's case is ignored";
  EXPECT_TRUE(Present("PCI", "&REV_02\\3&")) << "no anchoring, no token boundary";
  EXPECT_FALSE(Present("USB", kRow)) << "only the named enumerator is read";
}

TEST_F(RowFirstSearchTest, CharactersOutsideAsciiMatchOnlyThemselves) {
  // The stand-in's code page is UTF-8: "3&éÉ€&0".
  AddPci("PCI\\VEN_1AF4&DEV_1041\\3&\xC3\xA9\xC3\x89\xE2\x82\xAC&0");
  EXPECT_TRUE(Present("PCI", "3&\xC3\xA9\xC3\x89\xE2\x82\xAC&0")) << "a row outside ASCII";
  EXPECT_TRUE(Present("PCI", "\xC3\xA9"));
  EXPECT_FALSE(Present("PCI", "\xC3\x89\xC3\x89")) << "only a to z change case";
  EXPECT_FALSE(Present("PCI", "3&E")) << "a unit outside ASCII never equals an ASCII one";
  EXPECT_FALSE(Present("PCI", "3&\x7F")) << "nor any ASCII unit";
}

TEST_F(RowFirstSearchTest, ListedVendorAndDeviceWithAnotherSubsystemDoNotMatch) {
  AddPci(PciId("VEN_14E4&DEV_1674&SUBSYS_5A3F1F7A"));
  AddPci(PciId("VEN_14E4&DEV_1674&SUBSYS_00000000"));
  EXPECT_FALSE(Present("PCI", kRow));
}

TEST_F(RowFirstSearchTest, AFailedFetchEndsTheSnapshotBeforeTheDevicesAfterIt) {
  AddPci(PciId(kOtherDevice));
  AddPci(PciId(kRow));
  standin::InjectFault("SetupDiGetDeviceInstanceIdA", 1);
  EXPECT_EQ(DeviceSnapshot::Take("PCI").size(), 0u);
  EXPECT_EQ(standin::CallCount("SetupDiGetDeviceInstanceIdA"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiDestroyDeviceInfoList"), 1);
  EXPECT_EQ(standin::CallCount("HeapFree"), 1);

  standin::ClearFaults();
  standin::InjectFault("SetupDiGetDeviceInstanceIdA", 2);
  EXPECT_FALSE(Present("PCI", kRow)) << "the second device's fetch fails";
  EXPECT_TRUE(Present("PCI", kRow)) << "the next search reads the devices afresh";
}

TEST_F(RowFirstSearchTest, AnInstanceIdLongerThanTheBufferEndsTheSnapshot) {
  AddPci(PciId(kOtherDevice));
  AddPci("PCI\\VEN_1234&DEV_2222\\" + std::string(300, 'X'));
  AddPci(PciId(kRow));
  EXPECT_EQ(DeviceSnapshot::Take("PCI").size(), 1u);
  EXPECT_FALSE(Present("PCI", kRow));
}

TEST_F(RowFirstSearchTest, PlatformFailuresCountAsNoMatchAndReleaseWhatWasTaken) {
  AddPci(PciId(kRow));
  for (const char* call :
       {"SetupDiGetClassDevsA", "GetProcessHeap", "HeapAlloc", "SetupDiEnumDeviceInfo"}) {
    SCOPED_TRACE(call);
    standin::InjectFault(call, 1);
    EXPECT_FALSE(Present("PCI", kRow));
    EXPECT_EQ(standin::OutstandingReport(), "");
    standin::ClearFaults();
  }
}

TEST_F(RowFirstSearchTest, ASearchEnumeratesTheDevicesOnceWhateverTheNumberOfRows) {
  AddPci(PciId("VEN_1AF4&DEV_1041&SUBSYS_11001AF4"));
  AddPci(PciId("VEN_1AF4&DEV_1042&SUBSYS_11001AF4"));
  const PatternTable table = {"VEN_0000&DEV_0000", "VEN_1111&DEV_1111", kRow, ""};
  EXPECT_TRUE(FindFirstPresentRow(table, "PCI").IsEmpty());
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 3);
  EXPECT_EQ(standin::CallCount("SetupDiGetDeviceInstanceIdA"), 2);
  EXPECT_EQ(standin::CallCount("HeapAlloc"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiDestroyDeviceInfoList"), 1);
  EXPECT_EQ(standin::DeviceWalks("PCI").opened, 1);
  EXPECT_EQ(standin::DeviceWalks("PCI").completed, 1);
}

TEST_F(RowFirstSearchTest, ASetThatCannotBeOpenedIsNotAskedForAgainByLaterRows) {
  AddPci(PciId(kRow));
  standin::InjectFault("SetupDiGetClassDevsA", 1);
  EXPECT_TRUE(FindFirstPresentRow(PatternTable{"VEN_0000", kRow, ""}, "PCI").IsEmpty());
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 1) << "later rows do not try again";
  EXPECT_EQ(standin::CallCount("HeapAlloc"), 0) << "nothing else is tried without a set";
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 0);
}

TEST_F(RowFirstSearchTest, RowFirstSearchReturnsTheFirstTableRowPresent) {
  AddPci(PciId("VEN_8086&DEV_10F5&SUBSYS_6B011F7A"));
  AddPci(PciId(kRow));  // VEN_14E4: the first device in registry order
  const PatternTable table = {"VEN_0000&DEV_0000", "VEN_8086&DEV_10F5", kRow, ""};
  EXPECT_STREQ(FindFirstPresentRow(table, "PCI").GetNarrow(), "VEN_8086&DEV_10F5")
      << "the row's own text, not the device's, and by table order, not device order";
  const PatternTable lowerCaseRow = {"ven_8086&dev_10f5", kRow, ""};
  EXPECT_STREQ(FindFirstPresentRow(lowerCaseRow, "PCI").GetNarrow(), "ven_8086&dev_10f5")
      << "the row is matched upper-cased and returned as the table holds it";
}

TEST_F(RowFirstSearchTest, RowFirstSearchOfAnEmptyTableFindsNothing) {
  AddPci(PciId(kRow));
  EXPECT_TRUE(FindFirstPresentRow(PatternTable{""}, "PCI").IsEmpty());
  EXPECT_TRUE(FindFirstPresentRow(PatternTable{}, "PCI").IsEmpty());
  EXPECT_TRUE(FindFirstPresentRow(PatternTable{"", kRow}, "PCI").IsEmpty())
      << "rows after the empty row are never tried";
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 0);
}

}  // namespace
}  // namespace qv::netid::testing
