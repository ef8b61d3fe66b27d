#include "tests/hardening/hardening_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "exports/platform_object.h"
#include "gina/tool_wait.h"
#include "tests/support/machine_builders.h"
#include "util/qv_encryption.h"

namespace qv::hardening {
namespace {

using qv::testing::BiosBuilder;

machine::Bios FullBios() {
  BiosBuilder bios;
  const std::uint16_t probes[][2] = {{4, 1},  {4, 2},  {4, 7},  {8, 1},   {17, 0},  {17, 1},
                                     {17, 2}, {17, 6}, {17, 7}, {17, 10}, {17, 11}, {17, 12}};
  for (const auto& probe : probes) bios.Function(probe[0], probe[1], 0, 0x25, 0x1, 0x2);
  // Token reads through class 0: location in the first argument.
  bios.Function(0, 0, 0, 0x00010005, 0, 0, {0x21});
  bios.Function(0, 0, 0, 0x00000006, 0, 0, {0x22});
  bios.Function(0, 0, 0, 0x00000007, 0, 0, {0x23});
  return bios.Build();
}

}  // namespace

std::shared_ptr<machine::Machine> FullPlatformMachine(std::uint16_t systemId) {
  const std::vector<std::uint8_t> table = qv::testing::VexaTable(
      systemId, 0xFFFFFFFF, {{0x0188, 0x21, 5}, {0x007D, 0x22, 6}, {0x01EE, 0x23, 7}});
  return qv::testing::MachineWith({qv::testing::OtherMakerTable(), table}, FullBios());
}

std::shared_ptr<machine::Machine> UnlistedAdaptersMachine() {
  auto simulated = std::make_shared<machine::Machine>();
  simulated->description = "unlisted adapters";
  simulated->devices["PCI"] = {
      "PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01\\3&1&0&C8",
      "PCI\\VEN_14E4&DEV_4328&SUBSYS_7CFF1F7A&REV_01\\4&2A1B3C4D&0&00E0",
      "PCI\\VEN_8086&DEV_10F5&SUBSYS_12341F7A&REV_03\\4&2A1B3C4D&0&00E0&LONGER&SUFFIX&000001"};
  simulated->devices["USB"] = {
      "USB\\ROOT_HUB20\\4&1A2B3C4D&0", "USB\\VID_2E9C&PID_4FFF\\5&2D8F3A2B&0&3",
      "USB\\VID_2E9C&PID_4FFF&MI_03\\6&12AB34CD&0&0003&A&MUCH&LONGER&INSTANCE&SUFFIX"};
  return simulated;
}

std::string PlainListText() {
  return "101 10000001 GNR\n"
         "533 11100111 TRV\n"
         "777 01010101 WQE\n";
}

std::string EncryptedListText(const std::string& plain) {
  QVString text(plain.c_str());
  EXPECT_TRUE(QVEncryption::EncryptString(text, QVString(kPassPhrase)));
  return text.GetNarrow();
}

std::string DecryptedText(const std::string& cipher) {
  QVString text(cipher.c_str());
  if (!QVEncryption::DecryptString(text, QVString(kPassPhrase))) return "<not decrypted>";
  return std::string(text.GetNarrow(), static_cast<std::size_t>(text.GetLength()));
}

void FreshSharedMemoryNamespace() {
  static int runs = 0;
  const std::string ns = "hardening-" + std::to_string(getpid()) + "-" + std::to_string(++runs);
  setenv("QV_SHM_NAMESPACE", ns.c_str(), 1);
}

// Records whose release calls were made to fail keep their names; take the names away with
// the test (the leaked mappings themselves stay on the books).
void RemoveLeftOverSharedMemory() {
  const std::string prefix =
      "qv-" + std::to_string(getuid()) + "-hardening-" + std::to_string(getpid()) + "-";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) std::filesystem::remove(entry.path(), error);
  }
}

void HardeningTest::SetUp() {
  FreshSharedMemoryNamespace();
  dir_.Enter();
  FreshBooksTest::SetUp();
}

void HardeningTest::TearDown() {
  ReleasePlatformObject();
  FreshBooksTest::TearDown();
  gina::SetToolWaitSecondsForTesting(gina::kToolWaitSeconds);
  RemoveLeftOverSharedMemory();
}

}  // namespace qv::hardening
