#include "machine/host.h"

#include <fstream>
#include <iterator>

#include "machine/host_devices.h"
#include "machine/host_sysfs.h"

namespace qv::machine {
namespace {

// Far above any real SMBIOS table; a larger file is treated as unreadable.
constexpr std::size_t kMaximumTableSize = 16u << 20;

constexpr std::uint8_t kAcOffline = 0;
constexpr std::uint8_t kAcOnline = 1;
constexpr std::uint8_t kAcUnknown = 255;

std::optional<std::vector<std::uint8_t>> ReadTableFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  char chunk[4096];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + file.gcount());
    if (bytes.size() > kMaximumTableSize) return std::nullopt;
  }
  if (file.bad()) return std::nullopt;
  return bytes;
}

// Windows always has WMI; without a readable table it simply lists no SMBIOS instance.
Wmi HostWmi(const std::string& sysfsRoot) {
  Wmi wmi;
  auto table = ReadTableFile(sysfsRoot + "/firmware/dmi/tables/DMI");
  if (table && !table->empty()) wmi.smbiosTables.push_back(std::move(*table));
  return wmi;
}

}  // namespace

std::optional<std::uint8_t> HostAcLineStatus(const std::string& powerSupplyDirectory) {
  bool sawMains = false;
  bool unreadable = false;
  for (const auto& name : sysfs::SortedEntries(powerSupplyDirectory)) {
    const std::string supply = powerSupplyDirectory + "/" + name;
    if (sysfs::ReadAttribute(supply + "/type") != std::optional<std::string>("Mains")) continue;
    sawMains = true;
    const auto online = sysfs::ReadAttribute(supply + "/online");
    if (online == std::optional<std::string>("1")) return kAcOnline;
    if (online != std::optional<std::string>("0")) unreadable = true;
  }
  if (!sawMains) return kAcUnknown;
  if (unreadable) return std::nullopt;
  return kAcOffline;
}

std::shared_ptr<Machine> LoadHostFrom(const std::string& sysfsRoot) {
  auto machine = std::make_shared<Machine>();
  machine->description = "Linux host";
  machine->os = OsVersion{10, 0};
  machine->acLineStatus = HostAcLineStatus(sysfsRoot + "/class/power_supply");
  machine->wmi = HostWmi(sysfsRoot);
  LoadHostDevicesFrom(*machine, sysfsRoot);
  return machine;
}

std::shared_ptr<Machine> LoadHost() {
  return LoadHostFrom("/sys");
}

}  // namespace qv::machine
