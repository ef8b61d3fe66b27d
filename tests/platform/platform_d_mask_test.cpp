// Platform D's device-mask bit 3 comes from the platform's own feature word, so one machine
// gives one mask however the shared hardware-configuration record came about: created here,
// created by another process (filled or still empty), not mappable, or never made because
// the machine has no BIOS interface.
#include <cstring>
#include <string>

#include "exports/qvsupport.h"
#include "platform/hw_config_data.h"
#include "platform/known_platforms.h"
#include "tests/platform/peer_process.h"
#include "tests/platform/platform_fixture.h"
#include "tests/support/temp_directory.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr std::uint32_t kFeatureBit27 = 0x20;
constexpr int kLineHkm = 3 * 256;
constexpr int kListBits = 0x43;  // "00001110": the columns of bits 1, 0 and 6
constexpr int kMaskBit3 = 8;

class PlatformDMaskTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    dir_.Enter();
    // Platform D's record leaves bit 3 (its third flag column) to the platform.
    dir_.Write("plain.txt", std::to_string(platform::kPlatformD) + " 00001110 HKM\r\n");
    ASSERT_EQ(EncryptSysIds("plain.txt"), 0);
  }

  static void UsePlatformD(std::uint32_t featureWord, bool withBios = true) {
    std::optional<machine::Bios> bios;
    if (withBios) bios = FullBios().Build();
    standin::UseMachine(MachineWith({VexaTable(platform::kPlatformD, featureWord)}, bios));
  }

  test::TempDirectory dir_;
};

// Another process holds the record, filled with the given bitmap word 0 or left empty.
int HoldForeignRecord(PeerProcess& peer, std::uint32_t word0) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(HwConfigData), "HWCONFIG_SHARED_MEM_OBJ");
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HwConfigData));
  if (view == nullptr) return 2;
  static_cast<HwConfigData*>(view)->capabilities[0] = word0;
  const char ready = 1;
  peer.Send(&ready, 1);
  peer.WaitForParent();
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  return 0;
}

int MaskWithForeignRecord(std::uint32_t word0) {
  PeerProcess holder([word0](PeerProcess& peer) { return HoldForeignRecord(peer, word0); });
  char ready = 0;
  if (!holder.Receive(&ready, 1)) return -100;
  const int mask = GetDeviceMask(nullptr);
  return holder.Finish() == 0 ? mask : -101;
}

TEST_F(PlatformDMaskTest, OneMachineOneMaskWhoeverMadeTheRecord) {
  for (const std::uint32_t feature : {kFeatureBit27, 0u}) {
    SCOPED_TRACE(feature);
    const int expected = kLineHkm + kListBits + (feature != 0 ? kMaskBit3 : 0);
    UsePlatformD(feature);
    EXPECT_EQ(GetDeviceMask(nullptr), expected) << "record created here";
    EXPECT_EQ(MaskWithForeignRecord(0), expected) << "empty record of another process";
    EXPECT_EQ(MaskWithForeignRecord(1u << 27), expected) << "record saying bit 27";
    EXPECT_EQ(MaskWithForeignRecord(~(1u << 27)), expected) << "record denying bit 27";
    standin::InjectFault("CreateFileMappingA", 1);
    EXPECT_EQ(GetDeviceMask(nullptr), expected) << "no record";
    standin::ClearFaults();
    UsePlatformD(feature, false);
    EXPECT_EQ(GetDeviceMask(nullptr), expected) << "no BIOS interface";
  }
}

TEST_F(PlatformDMaskTest, AFlagInTheListStillKeepsBitThree) {
  dir_.Write("plain.txt", std::to_string(platform::kPlatformD) + " 00101110 HKM\r\n");
  ASSERT_EQ(EncryptSysIds("plain.txt"), 0);
  UsePlatformD(0);
  EXPECT_EQ(GetDeviceMask(nullptr), kLineHkm + kListBits + kMaskBit3);
}

}  // namespace
}  // namespace qv::testing
