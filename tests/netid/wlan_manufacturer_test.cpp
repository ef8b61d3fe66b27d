// GetWLANManufacturerID: one device-first walk of the PCI devices with an instance-ID buffer
// that is replaced whenever a longer ID comes.
#include "exports/qvsupport.h"
#include "tests/netid/adapter_fixture.h"

namespace qv::netid::testing {
namespace {

const char* const kWlanRow = "VEN_14E4&DEV_432B&SUBSYS_7C071F7A";       // row 7
const char* const kOtherWlanRow = "VEN_14E4&DEV_4311&SUBSYS_7C011F7A";  // row 1

using WlanManufacturerTest = AdapterTest;

int Fetches() {
  return standin::CallCount("SetupDiGetDeviceInstanceIdA");
}

TEST_F(WlanManufacturerTest, FindsAListedBroadcomAdapterInOnePciWalk) {
  AddPci(PciId("VEN_1AF4&DEV_1041&SUBSYS_11001AF4"));
  AddPci("pci\\ven_14e4&dev_432b&subsys_7c071f7a&rev_01\\4&1f2e3d4c&0&00e1");
  EXPECT_EQ(GetWLANManufacturerID(), 0);
  EXPECT_EQ(standin::DeviceWalks("PCI").opened, 1);
  EXPECT_EQ(standin::DeviceWalks("USB").opened, 0);
  EXPECT_EQ(standin::CallCount("HeapAlloc"), 0) << "the record lives in the call's own storage";
}

TEST_F(WlanManufacturerTest, WithoutAMatchTheOneWalkRunsToTheEnd) {
  AddPci(PciId("VEN_1AF4&DEV_1041&SUBSYS_11001AF4"));
  AddPci(PciId("VEN_14E4&DEV_1600&SUBSYS_5A011F7A"));  // wired Broadcom, LAN table only
  AddPci(PciId("VEN_14E4&DEV_4328&SUBSYS_7CFF1F7A"));  // unlisted board
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(standin::DeviceWalks("PCI").opened, 1);
  EXPECT_EQ(standin::DeviceWalks("PCI").completed, 1);
}

TEST_F(WlanManufacturerTest, TheFirstMatchingDeviceEndsTheWalk) {
  AddPci(PciId(kWlanRow));
  AddPci(PciId(kOtherWlanRow));
  EXPECT_EQ(GetWLANManufacturerID(), 0);
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 1)
      << "device order decides, whatever the row order";
  EXPECT_EQ(standin::DeviceWalks("PCI").completed, 0);
}

TEST_F(WlanManufacturerTest, GrowsTheBufferOnlyForLongerInstanceIds) {
  // In registry order, as the devices come.
  AddPci(PciId("VEN_1234&DEV_1041&SUBSYS_00001234"));                   // first: learn the size
  AddPci(PciId("VEN_1234&DEV_1042&SUBSYS_00001234"));                   // same length: one fetch
  AddPci("PCI\\VEN_1234&DEV_1043\\1");                                  // shorter: one fetch
  AddPci(PciId(kWlanRow, "3&11583659&0&C8&" + std::string(120, '7')));  // longer, matches at end
  EXPECT_EQ(GetWLANManufacturerID(), 0) << "the longer ID was fetched in full";
  EXPECT_EQ(Fetches(), 2 + 1 + 1 + 2);
}

TEST_F(WlanManufacturerTest, AnInstanceIdThatCannotBeFetchedEndsTheWalk) {
  AddPci(PciId("VEN_1AF4&DEV_1041&SUBSYS_11001AF4"));
  AddPci(PciId(kWlanRow));
  standin::InjectFault("SetupDiGetDeviceInstanceIdA", 1);  // the size query of device 1
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(Fetches(), 1);

  standin::ClearFaults();
  standin::ResetCalls();
  standin::InjectFault("SetupDiGetDeviceInstanceIdA", 2);  // the fetch into the new buffer
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(Fetches(), 2);
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 1);
}

TEST_F(WlanManufacturerTest, NoSetNoDevicesOrFailedEnumerationGivesMinusOne) {
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  AddPci(PciId(kWlanRow));
  standin::ResetCalls();
  standin::InjectFault("SetupDiGetClassDevsA", 1);
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(standin::CallLog().size(), 1u) << "nothing else is tried without a set";

  standin::InjectFault("SetupDiEnumDeviceInfo", 1);
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(GetWLANManufacturerID(), 0);
}

}  // namespace
}  // namespace qv::netid::testing
