// GetLANManufacturerID: Broadcom 0, Intel 1, anything else -1, decided by the first table row
// that a present PCI device matches.
#include "exports/qvsupport.h"
#include "tests/netid/adapter_fixture.h"

namespace qv::netid::testing {
namespace {

const char* const kBroadcomRow = "VEN_14E4&DEV_1713&SUBSYS_5A621F7A";  // row 30
const char* const kIntelRow = "VEN_8086&DEV_10BE&SUBSYS_6B311F7A";     // row 46
const char* const kIntelOwnRow = "VEN_8086&DEV_10F5&SUBSYS_00008086";  // row 31

using LanManufacturerTest = AdapterTest;

TEST_F(LanManufacturerTest, NamesTheMakerOfTheListedAdapter) {
  AddPci(PciId(kBroadcomRow));
  EXPECT_EQ(GetLANManufacturerID(), 0);

  machine_->devices["PCI"] = {PciId(kIntelRow)};
  EXPECT_EQ(GetLANManufacturerID(), 1);

  machine_->devices["PCI"] = {PciId(kIntelOwnRow)};
  EXPECT_EQ(GetLANManufacturerID(), 1);

  machine_->devices["PCI"] = {PciId("VEN_8086&DEV_10F5&SUBSYS_6B031F7A")};  // rows 34 and 44
  EXPECT_EQ(GetLANManufacturerID(), 1);
}

TEST_F(LanManufacturerTest, MatchesLowerCaseInstanceIdsAndRowsInTheMiddle) {
  AddPci("pci\\ven_14e4&dev_1600&subsys_5a011f7a&rev_10\\4&2a1b3c4d&0&00e0");
  EXPECT_EQ(GetLANManufacturerID(), 0);
  machine_->devices["PCI"] = {"PCI\\VEN_8086&DEV_10CC&SUBSYS_6B111F7A&REV_03\\3&1&0&C8"};
  EXPECT_EQ(GetLANManufacturerID(), 1);
}

// Devices come in registry order, where Broadcom's VEN_14E4 always precedes Intel's VEN_8086;
// that the table order decides against the device order is shown in RowFirstSearchTest.
TEST_F(LanManufacturerTest, BothMakersPresentGivesBroadcom) {
  AddPci(PciId(kIntelOwnRow));
  AddPci(PciId(kBroadcomRow));
  EXPECT_EQ(GetLANManufacturerID(), 0);
  // Row 30 is the first row found, against the one snapshot of the devices.
  EXPECT_EQ(standin::DeviceWalks("PCI").opened, 1);
}

TEST_F(LanManufacturerTest, ListedChipsOnUnlistedBoardsAreNotIdentified) {
  AddPci(PciId("VEN_14E4&DEV_1674&SUBSYS_5A3F1F7A"));
  AddPci(PciId("VEN_8086&DEV_10F5&SUBSYS_12341F7A"));
  AddPci(PciId("VEN_14E4&DEV_4311&SUBSYS_7C011F7A"));  // a wireless adapter, WLAN table only
  EXPECT_EQ(GetLANManufacturerID(), -1);
}

TEST_F(LanManufacturerTest, NoListedAdapterCostsOneCompleteWalkForAllFiftyTwoRows) {
  for (int i = 0; i < 5; ++i) AddPci(PciId("VEN_1AF4&DEV_104" + std::to_string(i) + "&SUBSYS_0"));
  EXPECT_EQ(GetLANManufacturerID(), -1);
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 1);
  EXPECT_EQ(standin::DeviceWalks("PCI").opened, 1);
  EXPECT_EQ(standin::DeviceWalks("PCI").completed, 1);
  EXPECT_EQ(standin::CallCount("SetupDiGetDeviceInstanceIdA"), 5);
  EXPECT_EQ(standin::CallCount("HeapAlloc"), 1);
  EXPECT_EQ(standin::CallCount("SetupDiDestroyDeviceInfoList"), 1);
}

TEST_F(LanManufacturerTest, NoDevicesOrNoSetGivesMinusOne) {
  EXPECT_EQ(GetLANManufacturerID(), -1);
  AddPci(PciId(kBroadcomRow));
  standin::InjectFault("SetupDiGetClassDevsA");
  EXPECT_EQ(GetLANManufacturerID(), -1);
}

TEST_F(LanManufacturerTest, AFailedFetchHidesTheDevicesAfterIt) {
  AddPci(PciId("VEN_1AF4&DEV_1041&SUBSYS_11001AF4"));
  AddPci(PciId(kBroadcomRow));
  standin::InjectFault("SetupDiGetDeviceInstanceIdA");
  EXPECT_EQ(GetLANManufacturerID(), -1);
  EXPECT_EQ(standin::CallCount("SetupDiGetDeviceInstanceIdA"), 1) << "the snapshot ends there";
  standin::ClearFaults();
  EXPECT_EQ(GetLANManufacturerID(), 0) << "the next call reads the devices afresh";
}

}  // namespace
}  // namespace qv::netid::testing
