#include "machine/host_devices.h"

#include "machine/host_sysfs.h"

namespace qv::machine {

void LoadHostDevices(Machine& machine) {
  LoadHostDevicesFrom(machine, "/sys");
}

void LoadHostDevicesFrom(Machine& machine, const std::string& sysfsRoot) {
  std::vector<std::string> pci = HostPciInstanceIds(sysfsRoot);
  if (!pci.empty()) machine.devices["PCI"] = std::move(pci);
  std::vector<std::string> usb = HostUsbInstanceIds(sysfsRoot);
  if (!usb.empty()) machine.devices["USB"] = std::move(usb);
}

}  // namespace qv::machine
