// What the adapter exports ask SetupAPI for: every set is opened for the bus enumerator "PCI"
// (LAN, WLAN) or "USB" (WWAN) with no class and DIGCF_PRESENT | DIGCF_ALLCLASSES (0x6), so an
// adapter that is installed but not present now never counts.
#include <string>

#include "exports/qvsupport.h"
#include "tests/netid/adapter_fixture.h"

namespace qv::netid::testing {
namespace {

const char* const kLanRow = "VEN_14E4&DEV_1713&SUBSYS_5A621F7A";   // Broadcom LAN, row 30
const char* const kWlanRow = "VEN_14E4&DEV_432B&SUBSYS_7C071F7A";  // Broadcom WLAN, row 7
const char* const kWwanRow = "VID_2E9C&PID_4B20";                  // WWAN row 4

class DeviceSetRequestTest : public AdapterTest {
 protected:
  // Every set the last export opened was asked for exactly this way, and there was one at least.
  void ExpectEveryRequestFor(const std::string& enumerator) {
    const std::vector<standin::DeviceSetRequest> requests = standin::DeviceSetRequests();
    ASSERT_FALSE(requests.empty());
    for (const standin::DeviceSetRequest& request : requests) {
      EXPECT_FALSE(request.classGuidGiven);
      EXPECT_TRUE(request.enumeratorGiven);
      EXPECT_EQ(request.enumerator, enumerator);
      EXPECT_EQ(request.flags, 0x6u);
    }
    standin::ResetDeviceWalks();
  }
};

TEST_F(DeviceSetRequestTest, EachExportAsksForThePresentDevicesOfItsEnumerator) {
  AddPci(PciId(kLanRow));
  AddPci(PciId(kWlanRow));
  AddUsb(UsbId(kWwanRow));
  EXPECT_EQ(GetLANManufacturerID(), 0);
  ExpectEveryRequestFor("PCI");
  EXPECT_EQ(GetWLANManufacturerID(), 0);
  ExpectEveryRequestFor("PCI");
  EXPECT_EQ(GetWWANManufacturerID(), 1);
  ExpectEveryRequestFor("USB");

  // Nothing to find: every row is tried, each with the same request.
  machine_->devices.clear();
  EXPECT_EQ(GetLANManufacturerID(), -1);
  ExpectEveryRequestFor("PCI");
  EXPECT_EQ(GetWWANManufacturerID(), -1);
  ExpectEveryRequestFor("USB");
}

TEST_F(DeviceSetRequestTest, AdaptersThatAreNotPresentAreNotIdentified) {
  machine_->notPresentDevices["PCI"] = {PciId(kLanRow), PciId(kWlanRow)};
  machine_->notPresentDevices["USB"] = {UsbId(kWwanRow)};
  EXPECT_EQ(GetLANManufacturerID(), -1);
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(GetWWANManufacturerID(), -1);

  // The same adapters present are identified: the machine above differs in nothing else.
  machine_->devices = machine_->notPresentDevices;
  EXPECT_EQ(GetLANManufacturerID(), 0);
  EXPECT_EQ(GetWLANManufacturerID(), 0);
  EXPECT_EQ(GetWWANManufacturerID(), 1);
}

TEST_F(DeviceSetRequestTest, ANonPresentAdapterDoesNotHideAPresentOne) {
  // A Broadcom LAN card taken out, an Intel one fitted: the Intel one decides.
  machine_->notPresentDevices["PCI"] = {PciId(kLanRow)};
  AddPci(PciId("VEN_8086&DEV_10BE&SUBSYS_6B311F7A"));  // Intel, row 46
  EXPECT_EQ(GetLANManufacturerID(), 1);
}

}  // namespace
}  // namespace qv::netid::testing
