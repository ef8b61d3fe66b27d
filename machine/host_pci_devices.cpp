// PCI devices of the host from /sys/bus/pci/devices, as Windows names them:
// PCI\VEN_vvvv&DEV_dddd&SUBSYS_ssssvvvv&REV_rr\3&hhhhhhhh&0&ff, where the suffix stands for
// the parent bus (a hash of domain and bus number) and the device/function number.
#include <cstdio>

#include "machine/host_sysfs.h"

namespace qv::machine {
namespace {

struct PciAddress {
  std::string domainAndBus;  // "0000:00"
  unsigned devfn = 0;        // device << 3 | function
};

// Parses a sysfs PCI address such as "0000:00:1f.6".
std::optional<PciAddress> ParseAddress(const std::string& name) {
  unsigned domain = 0, bus = 0, device = 0, function = 0;
  char tail = 0;
  if (std::sscanf(name.c_str(), "%4x:%2x:%2x.%1x%c", &domain, &bus, &device, &function, &tail) != 4)
    return std::nullopt;
  if (device > 0x1F || function > 7) return std::nullopt;
  return PciAddress{name.substr(0, name.rfind(':')), (device << 3) | function};
}

std::optional<std::string> InstanceId(const std::string& deviceDir, const PciAddress& address) {
  auto vendor = sysfs::ReadHex(deviceDir + "/vendor", 0xFFFF);
  auto device = sysfs::ReadHex(deviceDir + "/device", 0xFFFF);
  if (!vendor || !device) return std::nullopt;
  const auto subsystemVendor = sysfs::ReadHex(deviceDir + "/subsystem_vendor", 0xFFFF);
  const auto subsystemDevice = sysfs::ReadHex(deviceDir + "/subsystem_device", 0xFFFF);
  const auto revision = sysfs::ReadHex(deviceDir + "/revision", 0xFF);
  return sysfs::Printf("PCI\\VEN_%04X&DEV_%04X&SUBSYS_%04X%04X&REV_%02X\\3&%08X&0&%02X", *vendor,
                       *device, subsystemDevice.value_or(0), subsystemVendor.value_or(0),
                       revision.value_or(0), sysfs::StableHash(address.domainAndBus),
                       address.devfn);
}

}  // namespace

std::vector<std::string> HostPciInstanceIds(const std::string& sysfsRoot) {
  const std::string devicesDir = sysfsRoot + "/bus/pci/devices";
  std::vector<std::string> ids;
  for (const std::string& name : sysfs::SortedEntries(devicesDir)) {
    const std::optional<PciAddress> address = ParseAddress(name);
    if (!address) continue;
    if (auto id = InstanceId(devicesDir + "/" + name, *address)) ids.push_back(*id);
  }
  return ids;
}

}  // namespace qv::machine
