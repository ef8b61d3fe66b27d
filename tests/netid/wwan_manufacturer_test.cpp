// GetWWANManufacturerID: the maker's USB modems, found through any node of the device, coded by
// the product id of the first table row present.
#include "exports/qvsupport.h"
#include "tests/netid/adapter_fixture.h"

namespace qv::netid::testing {
namespace {

const char* const kRow1 = "VID_2E9C&PID_4A10";
const char* const kRow2 = "VID_2E9C&PID_4A11";
const char* const kRow3 = "VID_2E9C&PID_4A12";
const char* const kRow4 = "VID_2E9C&PID_4B20";

using WwanManufacturerTest = AdapterTest;

TEST_F(WwanManufacturerTest, CodesTheModemByItsRow) {
  for (const char* row : {kRow1, kRow2, kRow3}) {
    machine_->devices["USB"] = {UsbId(row)};
    EXPECT_EQ(GetWWANManufacturerID(), 0) << row;
  }
  machine_->devices["USB"] = {UsbId(kRow4)};
  EXPECT_EQ(GetWWANManufacturerID(), 1);
}

TEST_F(WwanManufacturerTest, FindsACompositeModemThroughAnInterfaceNode) {
  AddUsb("USB\\ROOT_HUB20\\4&1A2B3C4D&0");
  AddUsb("USB\\VID_2E9C&PID_4B20&MI_03\\6&12AB34CD&0&0003");
  EXPECT_EQ(GetWWANManufacturerID(), 1);
}

TEST_F(WwanManufacturerTest, MatchesLowerCaseVendorAndProductFields) {
  AddUsb("usb\\vid_2e9c&pid_4a12\\a1b2c3");
  EXPECT_EQ(GetWWANManufacturerID(), 0);
}

TEST_F(WwanManufacturerTest, TwoModemsPresentTheFirstRowDecides) {
  AddUsb(UsbId(kRow4));
  AddUsb(UsbId(kRow2));
  EXPECT_EQ(GetWWANManufacturerID(), 0);
  EXPECT_EQ(standin::DeviceWalks("USB").opened, 1);
}

TEST_F(WwanManufacturerTest, UnlistedProductsAndPciDevicesAreNotIdentified) {
  AddUsb(UsbId("VID_2E9C&PID_4A1F"));
  AddUsb(UsbId("VID_1234&PID_4A10"));
  AddPci("PCI\\VID_2E9C&PID_4A10\\0");  // only the USB enumerator is walked
  EXPECT_EQ(GetWWANManufacturerID(), -1);
  EXPECT_EQ(standin::DeviceWalks("USB").opened, 1);
  EXPECT_EQ(standin::DeviceWalks("USB").completed, 1);
  EXPECT_EQ(standin::DeviceWalks("PCI").opened, 0);
}

TEST_F(WwanManufacturerTest, NoDevicesOrNoSetGivesMinusOne) {
  EXPECT_EQ(GetWWANManufacturerID(), -1);
  AddUsb(UsbId(kRow1));
  standin::InjectFault("SetupDiGetClassDevsA");
  EXPECT_EQ(GetWWANManufacturerID(), -1);
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 1 + 1) << "one set per call";
}

}  // namespace
}  // namespace qv::netid::testing
