// USB devices of the host from /sys/bus/usb/devices, as Windows names them:
//   root hubs          USB\ROOT_HUB20\4&hhhhhhhh&0 (ROOT_HUB30 for USB 3 hubs)
//   devices            USB\VID_vvvv&PID_pppp\<serial number, or 5&hhhhhhhh&0&port>
//   interfaces of a composite device (more than one interface)
//                      USB\VID_vvvv&PID_pppp&MI_ii\6&hhhhhhhh&0&00ii
// The hashes stand for Windows' parent-node numbers: stable for the same topology.
#include <cstdlib>

#include "machine/host_sysfs.h"

namespace qv::machine {
namespace {

// Windows caps an instance ID at 200 characters; a longer serial number is cut to fit.
constexpr std::size_t kMaxInstanceIdChars = 200;

bool IsInterface(const std::string& name) {
  return name.find(':') != std::string::npos;
}
bool IsRootHub(const std::string& name) {
  return name.rfind("usb", 0) == 0;
}

struct UsbIds {
  std::uint32_t vendor = 0;
  std::uint32_t product = 0;
};

std::optional<UsbIds> ReadIds(const std::string& deviceDir) {
  auto vendor = sysfs::ReadHex(deviceDir + "/idVendor", 0xFFFF);
  auto product = sysfs::ReadHex(deviceDir + "/idProduct", 0xFFFF);
  if (!vendor || !product) return std::nullopt;
  return UsbIds{*vendor, *product};
}

// Characters that Windows does not allow in an instance-ID suffix become underscores.
std::string SanitisedSerial(std::string serial, std::size_t room) {
  for (char& c : serial) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == ',' || c == '\\') c = '_';
  }
  if (serial.size() > room) serial.resize(room);
  return serial;
}

// "1-1.4" sits on port 4 of the hub "1-1"; "1-2" on port 2 of root hub 1.
std::string PortSuffix(const std::string& name) {
  const std::size_t split = name.find_last_of("-.");
  if (split == std::string::npos) return sysfs::Printf("5&%08X&0&0", sysfs::StableHash(name));
  const std::string parent = name.substr(0, split);
  const long port = std::strtol(name.c_str() + split + 1, nullptr, 10);
  return sysfs::Printf("5&%08X&0&%ld", sysfs::StableHash(parent), port);
}

std::optional<std::string> RootHubId(const std::string& name, const std::string& deviceDir) {
  const std::optional<std::string> version = sysfs::ReadAttribute(deviceDir + "/version");
  const bool superSpeed = version && !version->empty() && (*version)[0] >= '3';
  return sysfs::Printf("USB\\ROOT_HUB%s\\4&%08X&0", superSpeed ? "30" : "20",
                       sysfs::StableHash(name));
}

std::optional<std::string> DeviceId(const std::string& name, const std::string& deviceDir) {
  if (IsRootHub(name)) return RootHubId(name, deviceDir);
  const std::optional<UsbIds> ids = ReadIds(deviceDir);
  if (!ids) return std::nullopt;
  const std::string prefix = sysfs::Printf("USB\\VID_%04X&PID_%04X\\", ids->vendor, ids->product);
  std::optional<std::string> serial = sysfs::ReadAttribute(deviceDir + "/serial");
  std::string suffix = serial ? SanitisedSerial(*serial, kMaxInstanceIdChars - prefix.size()) : "";
  if (suffix.empty()) suffix = PortSuffix(name);
  return prefix + suffix;
}

// Windows gives interfaces nodes of their own only on composite devices.
std::optional<std::string> InterfaceId(const std::string& name, const std::string& devicesDir) {
  const std::string device = name.substr(0, name.find(':'));
  if (IsRootHub(device)) return std::nullopt;
  const std::string deviceDir = devicesDir + "/" + device;
  const auto interfaceCount = sysfs::ReadAttribute(deviceDir + "/bNumInterfaces");
  if (!interfaceCount || std::atoi(interfaceCount->c_str()) < 2) return std::nullopt;
  const std::optional<UsbIds> ids = ReadIds(deviceDir);
  const auto number = sysfs::ReadHex(devicesDir + "/" + name + "/bInterfaceNumber", 0xFF);
  if (!ids || !number) return std::nullopt;
  return sysfs::Printf("USB\\VID_%04X&PID_%04X&MI_%02X\\6&%08X&0&%04X", ids->vendor, ids->product,
                       *number, sysfs::StableHash(device), *number);
}

}  // namespace

std::vector<std::string> HostUsbInstanceIds(const std::string& sysfsRoot) {
  const std::string devicesDir = sysfsRoot + "/bus/usb/devices";
  std::vector<std::string> ids;
  for (const std::string& name : sysfs::SortedEntries(devicesDir)) {
    auto id =
        IsInterface(name) ? InterfaceId(name, devicesDir) : DeviceId(name, devicesDir + "/" + name);
    if (id) ids.push_back(*id);
  }
  return ids;
}

}  // namespace qv::machine
