// The host's devices from sysfs, in Windows instance-ID form, read from a sysfs tree that the
// test builds; and the three exports on this host's real devices.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "exports/qvsupport.h"
#include "machine/host_devices.h"
#include "tests/netid/adapter_fixture.h"
#include "winapi/posix/current_machine.h"

namespace qv::netid::testing {
namespace {

namespace fs = std::filesystem;

class FakeSysfs {
 public:
  FakeSysfs() {
    root_ = fs::temp_directory_path() /
            ("qv_netid_sysfs_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    fs::create_directories(root_);
  }
  ~FakeSysfs() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void Write(const std::string& relative, const std::string& text) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }
  void Pci(const std::string& address, const char* vendor, const char* device,
           const char* subVendor, const char* subDevice, const char* revision) {
    const std::string dir = "bus/pci/devices/" + address + "/";
    Write(dir + "vendor", vendor);
    Write(dir + "device", device);
    if (subVendor) Write(dir + "subsystem_vendor", subVendor);
    if (subDevice) Write(dir + "subsystem_device", subDevice);
    if (revision) Write(dir + "revision", revision);
  }
  void Usb(const std::string& name, const char* vendor, const char* product, const char* serial,
           const char* interfaces) {
    const std::string dir = "bus/usb/devices/" + name + "/";
    Write(dir + "idVendor", vendor);
    Write(dir + "idProduct", product);
    if (serial) Write(dir + "serial", serial);
    Write(dir + "bNumInterfaces", interfaces);
  }
  void UsbInterface(const std::string& name, const char* number) {
    Write("bus/usb/devices/" + name + "/bInterfaceNumber", number);
  }

  std::string root() const { return root_.string(); }

 private:
  static inline int counter_ = 0;
  fs::path root_;
};

TEST(HostDevices, PciDevicesBecomeWindowsInstanceIdsInAddressOrder) {
  FakeSysfs sysfs;
  sysfs.Pci("0000:03:00.0", "0x14e4\n", "0x1713\n", "0x1f7a\n", "0x5a62\n", "0x02\n");
  sysfs.Pci("0000:00:1f.6", "0x8086\n", "0x10f5\n", nullptr, nullptr, nullptr);
  sysfs.Pci("0000:00:02.0", "garbage\n", "0x1042\n", "0x1af4\n", "0x1100\n", "0x01\n");
  sysfs.Pci("0000:00:03.0", "0x123456\n", "0x1042\n", "0x1af4\n", "0x1100\n", "0x01\n");
  sysfs.Write("bus/pci/devices/not-an-address/vendor", "0x8086\n");
  sysfs.Write("bus/pci/devices/0000:00:04.0/device", "0x1042\n");  // no vendor file

  machine::Machine machine;
  machine::LoadHostDevicesFrom(machine, sysfs.root());
  ASSERT_EQ(machine.devices.count("PCI"), 1u);
  const auto& ids = machine.devices["PCI"];
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0].rfind("PCI\\VEN_8086&DEV_10F5&SUBSYS_00000000&REV_00\\3&", 0), 0u) << ids[0];
  EXPECT_EQ(ids[0].substr(ids[0].size() - 5), "&0&FE");  // device 1F, function 6
  EXPECT_EQ(ids[1].rfind("PCI\\VEN_14E4&DEV_1713&SUBSYS_5A621F7A&REV_02\\3&", 0), 0u) << ids[1];
  EXPECT_EQ(ids[1].substr(ids[1].size() - 5), "&0&00");
  EXPECT_EQ(machine.devices.count("USB"), 0u);

  machine::Machine again;
  machine::LoadHostDevicesFrom(again, sysfs.root());
  EXPECT_EQ(again.devices["PCI"], ids) << "the same tree gives the same IDs";
}

TEST(HostDevices, UsbDevicesHubsAndCompositeInterfacesBecomeInstanceIds) {
  FakeSysfs sysfs;
  sysfs.Write("bus/usb/devices/usb1/version", " 2.00\n");
  sysfs.Write("bus/usb/devices/usb2/version", " 3.10\n");
  sysfs.Usb("1-1", "2e9c\n", "4b20\n", nullptr, " 3\n");  // composite modem, no serial
  sysfs.UsbInterface("1-1:1.0", "00\n");
  sysfs.UsbInterface("1-1:1.3", "03\n");
  sysfs.Usb("1-2", "046d\n", "c52b\n", "AB 12,\\x\n", " 1\n");  // one interface, odd serial
  sysfs.UsbInterface("1-2:1.0", "00\n");
  sysfs.UsbInterface("1-0:1.0", "00\n");  // a root hub's interface
  sysfs.Usb("1-3", "zz\n", "0001\n", nullptr, " 1\n");

  machine::Machine machine;
  machine::LoadHostDevicesFrom(machine, sysfs.root());
  const auto& ids = machine.devices["USB"];
  ASSERT_EQ(ids.size(), 6u);
  EXPECT_EQ(ids[0].rfind("USB\\VID_2E9C&PID_4B20\\5&", 0), 0u) << ids[0];
  EXPECT_EQ(ids[0].substr(ids[0].size() - 4), "&0&1");
  EXPECT_EQ(ids[1].rfind("USB\\VID_2E9C&PID_4B20&MI_00\\6&", 0), 0u) << ids[1];
  EXPECT_EQ(ids[2].rfind("USB\\VID_2E9C&PID_4B20&MI_03\\6&", 0), 0u) << ids[2];
  EXPECT_EQ(ids[2].substr(ids[2].size() - 7), "&0&0003");
  EXPECT_EQ(ids[3], "USB\\VID_046D&PID_C52B\\AB_12__x");
  EXPECT_EQ(ids[4].rfind("USB\\ROOT_HUB20\\4&", 0), 0u) << ids[4];
  EXPECT_EQ(ids[5].rfind("USB\\ROOT_HUB30\\4&", 0), 0u) << ids[5];
}

TEST(HostDevices, AMissingTreeGivesNoDevices) {
  machine::Machine machine;
  machine::LoadHostDevicesFrom(machine, "/nonexistent/qv-netid-sysfs");
  EXPECT_TRUE(machine.devices.empty());

  FakeSysfs sysfs;
  sysfs.Usb("1-4", "2e9c\n", "4a10\n", std::string(300, 'S').c_str(), " 1\n");
  machine::LoadHostDevicesFrom(machine, sysfs.root());
  ASSERT_EQ(machine.devices["USB"].size(), 1u);
  EXPECT_EQ(machine.devices["USB"][0].size(), 200u) << "a long serial is cut to Windows' limit";
}

TEST(HostDevices, ASimulatedModemFromSysfsIsIdentified) {
  FakeSysfs sysfs;
  sysfs.Usb("2-1.4", "2e9c\n", "4b20\n", nullptr, " 2\n");
  sysfs.UsbInterface("2-1.4:1.1", "01\n");
  auto machine = std::make_shared<machine::Machine>();
  machine::LoadHostDevicesFrom(*machine, sysfs.root());
  standin::UseMachine(machine);
  EXPECT_EQ(GetWWANManufacturerID(), 1);
  standin::ForgetMachine();
}

using HostMachineTest = AdapterTest;

TEST_F(HostMachineTest, TheExportsRunOnThisHostsDevicesAndFindNoListedAdapter) {
  machine_ = machine::LoadHost();
  standin::UseMachine(machine_);
  for (const auto& [enumerator, ids] : machine_->devices)
    for (const std::string& id : ids) EXPECT_LT(id.size(), 260u) << enumerator << ": " << id;
  EXPECT_EQ(GetLANManufacturerID(), -1);
  EXPECT_EQ(GetWLANManufacturerID(), -1);
  EXPECT_EQ(GetWWANManufacturerID(), -1);
  const std::size_t pciDevices = machine_->devices["PCI"].size();
  // One snapshot for the LAN rows, one device-first walk for WLAN, one snapshot for WWAN.
  EXPECT_EQ(standin::DeviceWalks("PCI").completed, 2);
  EXPECT_EQ(standin::DeviceWalks("USB").completed, 1);
  EXPECT_EQ(standin::CallCount("SetupDiGetDeviceInstanceIdA"),
            static_cast<int>(2 * pciDevices + (pciDevices > 0 ? 1 : 0) +
                             machine_->devices["USB"].size()));
}

}  // namespace
}  // namespace qv::netid::testing
