// The Linux host loader against sysfs trees built by the test: whatever is missing or
// unreadable is absent, never an error.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "machine/host.h"
#include "tests/support/temp_directory.h"

namespace {

namespace fs = std::filesystem;
using qv::machine::HostAcLineStatus;
using qv::machine::LoadHostFrom;

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

void AddSupply(const std::string& root, const std::string& name, const std::string& type,
               const char* online) {
  const std::string dir = root + "/" + name;
  WriteFile(dir + "/type", type + "\n");
  if (online != nullptr) WriteFile(dir + "/online", online);
}

TEST(HostMachine, EmptyTreeGivesBareWindowsMachine) {
  qv::test::TempDirectory dir;
  const auto machine = LoadHostFrom(dir.Path() + "/nowhere");
  ASSERT_TRUE(machine);
  EXPECT_EQ(machine->description, "Linux host");
  EXPECT_EQ(machine->os.major, 10u);
  EXPECT_EQ(machine->os.minor, 0u);
  EXPECT_EQ(machine->acLineStatus, std::optional<std::uint8_t>(255));
  ASSERT_TRUE(machine->wmi);
  EXPECT_TRUE(machine->wmi->smbiosTables.empty());
  EXPECT_FALSE(machine->wmi->bios);
  EXPECT_TRUE(machine->registry.empty());
  EXPECT_TRUE(machine->faults.empty());
  EXPECT_TRUE(machine->notPresentDevices.empty()) << "the host knows only present devices";
}

TEST(HostMachine, RawSmbiosTableIsOneInstance) {
  qv::test::TempDirectory dir;
  const std::string table("\x7F\x04\x00\x00\x00\x00", 6);
  WriteFile(dir.Path() + "/firmware/dmi/tables/DMI", table);
  auto machine = LoadHostFrom(dir.Path());
  ASSERT_TRUE(machine->wmi);
  ASSERT_EQ(machine->wmi->smbiosTables.size(), 1u);
  EXPECT_EQ(machine->wmi->smbiosTables[0], std::vector<std::uint8_t>(table.begin(), table.end()));

  WriteFile(dir.Path() + "/firmware/dmi/tables/DMI", "");
  EXPECT_TRUE(LoadHostFrom(dir.Path())->wmi->smbiosTables.empty());

  fs::remove(dir.Path() + "/firmware/dmi/tables/DMI");
  fs::create_directory(dir.Path() + "/firmware/dmi/tables/DMI");  // unreadable as a file
  EXPECT_TRUE(LoadHostFrom(dir.Path())->wmi->smbiosTables.empty());
}

TEST(HostMachine, AcLineStatusFromMainsSupplies) {
  qv::test::TempDirectory dir;
  const std::string supplies = dir.Path() + "/class/power_supply";
  EXPECT_EQ(HostAcLineStatus(supplies), std::optional<std::uint8_t>(255)) << "no directory";

  AddSupply(supplies, "BAT0", "Battery", "1");
  EXPECT_EQ(HostAcLineStatus(supplies), std::optional<std::uint8_t>(255)) << "no mains supply";

  AddSupply(supplies, "AC", "Mains", "0\n");
  EXPECT_EQ(HostAcLineStatus(supplies), std::optional<std::uint8_t>(0));
  EXPECT_EQ(LoadHostFrom(dir.Path())->acLineStatus, std::optional<std::uint8_t>(0));

  AddSupply(supplies, "ADP1", "Mains", "1\n");
  EXPECT_EQ(HostAcLineStatus(supplies), std::optional<std::uint8_t>(1)) << "any online supply";

  AddSupply(supplies, "ADP1", "Mains", "garbage");
  EXPECT_FALSE(HostAcLineStatus(supplies)) << "a mains state that cannot be read";

  fs::remove(supplies + "/ADP1/online");
  EXPECT_FALSE(HostAcLineStatus(supplies));
}

}  // namespace
