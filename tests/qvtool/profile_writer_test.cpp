#include "tools/qvtool/machine_profiles/profile_writer.h"

#include <gtest/gtest.h>

#include "tests/support/temp_directory.h"

namespace qvtool {
namespace {

using qv::machine::Machine;

std::shared_ptr<Machine> WriteAndLoad(const Machine& machine, std::string* error) {
  qv::test::TempDirectory directory;
  directory.Write("profile.json", ProfileJson(machine).dump(2));
  return qv::machine::LoadProfile(directory.File("profile.json"), error);
}

Machine FullMachine() {
  Machine machine;
  machine.os = {5, 1};
  machine.acLineStatus = 0;
  qv::machine::Wmi wmi;
  wmi.smbiosTables = {{0x00, 0x04, 0x00, 0x00, 0x00, 0x00}, {}};
  qv::machine::Bios bios;
  bios.transferSize = 64;
  bios.functions.push_back({4, 200, {1, 2}, 0, {7, 0, 0}});
  bios.functions.push_back({17, 11, {}, -1, {0x3F, 1, 0xFFFFFFFF}});
  wmi.bios = bios;
  machine.wmi = wmi;
  machine.devices["PCI"] = {"PCI\\VEN_14E4&DEV_1600&SUBSYS_00011F7A&REV_01\\3&1&0&20"};
  machine.devices["USB"] = {};
  machine.notPresentDevices["USB"] = {"USB\\VID_2E9C&PID_0042\\5&2D8F3A2B&0&3"};
  machine.registry["SOFTWARE\\Vexa"]["Text"] = {1, {'a', 'b', 0}};
  machine.registry["SOFTWARE\\Vexa"]["Number"] = {4, {5, 0, 0, 1}};
  machine.registry["SOFTWARE\\Vexa"]["Bytes"] = {3, {0xDE, 0xAD, 0x00}};
  machine.faults = {{"CryptAcquireContextA", 2}};
  return machine;
}

TEST(ProfileWriter, WrittenProfileLoadsBackAsTheSameMachine) {
  const Machine original = FullMachine();
  std::string error;
  const auto loaded = WriteAndLoad(original, &error);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_EQ(loaded->os.major, 5u);
  EXPECT_EQ(loaded->os.minor, 1u);
  EXPECT_EQ(loaded->acLineStatus, original.acLineStatus);
  ASSERT_TRUE(loaded->wmi && loaded->wmi->bios);
  EXPECT_EQ(loaded->wmi->smbiosTables, original.wmi->smbiosTables);
  EXPECT_EQ(loaded->wmi->bios->transferSize, 64);
  ASSERT_EQ(loaded->wmi->bios->functions.size(), 2u);
  const auto& function = loaded->wmi->bios->functions[1];
  EXPECT_EQ(function.functionClass, 17);
  EXPECT_EQ(function.status, -1);
  EXPECT_EQ(function.results, original.wmi->bios->functions[1].results);
  EXPECT_EQ(loaded->wmi->bios->functions[0].args, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(loaded->devices, original.devices);
  EXPECT_EQ(loaded->notPresentDevices, original.notPresentDevices);
  const auto& key = loaded->registry.at("SOFTWARE\\Vexa");
  for (const char* name : {"Text", "Number", "Bytes"}) {
    EXPECT_EQ(key.at(name).type, original.registry.at("SOFTWARE\\Vexa").at(name).type) << name;
    EXPECT_EQ(key.at(name).data, original.registry.at("SOFTWARE\\Vexa").at(name).data) << name;
  }
  ASSERT_EQ(loaded->faults.size(), 1u);
  EXPECT_EQ(loaded->faults[0].occurrence, 2);
}

TEST(ProfileWriter, AbsentFacilitiesStayAbsent) {
  Machine bare;
  std::string error;
  const auto loaded = WriteAndLoad(bare, &error);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_FALSE(loaded->wmi.has_value());
  EXPECT_FALSE(loaded->acLineStatus.has_value());
  EXPECT_TRUE(loaded->registry.empty());

  Machine noBios;
  noBios.wmi = qv::machine::Wmi{};
  const auto withoutBios = WriteAndLoad(noBios, &error);
  ASSERT_TRUE(withoutBios->wmi.has_value());
  EXPECT_FALSE(withoutBios->wmi->bios.has_value());
  EXPECT_TRUE(withoutBios->wmi->smbiosTables.empty());
}

}  // namespace
}  // namespace qvtool
