// The hardware-configuration record: which BIOS calls fill it, what each answer sets, the
// platform adjustments, and sharing the record with a second holder.
#include <cstring>

#include "platform/hw_config.h"
#include "platform/known_platforms.h"
#include "tests/platform/platform_fixture.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem_control.h"
#include "winapi/win32.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr std::uint16_t kOtherId = 0x0123;

class HwConfigTest : public PlatformTest {
 protected:
  // The snapshot of a platform object built on the given machine; the object lives until the
  // next call or the end of the test.
  const HwConfigData& Record(std::vector<std::uint8_t> table, machine::Bios bios) {
    Use(MachineWith({std::move(table)}, std::move(bios)));
    platform_.reset();
    standin::ResetBiosRequests();
    platform_ = std::make_unique<CAcpiWmi>();
    EXPECT_NE(platform_->HwConfig(), nullptr);
    static const HwConfigData kEmpty{};
    return platform_->HwConfig() != nullptr ? platform_->HwConfig()->Snapshot() : kEmpty;
  }

  void TearDown() override {
    platform_.reset();
    PlatformTest::TearDown();
  }

  std::unique_ptr<CAcpiWmi> platform_;
};

std::vector<int> SetBits(const HwConfigData& record) {
  std::vector<int> bits;
  for (int bit = 0; bit < kHwConfigCapabilityBits; ++bit)
    if (HasCapability(record, bit)) bits.push_back(bit);
  return bits;
}

TEST_F(HwConfigTest, AFreshRecordMakesEachCallOnce) {
  const HwConfigData& record =
      Record(VexaTable(kOtherId, 0, {{0x01FB, 0x30, 1}, {0x01FA, 0x31, 1}}),
             FullBios()  // the first matching function answers: specific ones go first
                 .Function(4, 200, 0, 0x21, 0, 0, {1, 0})
                 .Function(4, 200, 0, 0x22, 0, 0, {1, 1})
                 .Function(4, 200, 7, 0x23, 0, 0, {1, 2})
                 .Function(4, 200, 0, 3)
                 .Build());
  int probes = 0;
  for (int functionClass : {4, 8, 17})
    for (int selector : {0, 1, 2, 6, 7, 10, 12}) probes += BiosCallsOf(functionClass, selector);
  EXPECT_EQ(probes, 11);
  EXPECT_EQ(BiosCallsOf(17, 11), 2);  // probe row and the class-17 flags
  EXPECT_EQ(BiosCallsOf(4, 200), 1 + 3);
  EXPECT_EQ(BiosCallsOf(0, 0), 2);  // token 0x01FB inactive, then 0x01FA
  EXPECT_EQ(BiosCallCount(), 12 + 1 + 4 + 2);
  EXPECT_EQ(SetBits(record), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 19, 29, 30}));
  ASSERT_EQ(record.entryCount, 3);
  EXPECT_EQ(record.entries[0].kind, 0x21u);
  EXPECT_EQ(record.entries[1].kind, 0x22u);
  EXPECT_EQ(record.entries[2].kind, 1u);  // its call failed
  EXPECT_EQ(record.entries[2].param1, 8u);
  EXPECT_EQ(record.entries[2].param2, 16u);
  EXPECT_EQ(record.extraByte, 0);
}

TEST_F(HwConfigTest, EntryTableIsCappedOrFixed) {
  const HwConfigData& capped =
      Record(VexaTable(kOtherId), FullBios().Function(4, 200, 0, 12).Build());
  EXPECT_EQ(capped.entryCount, 8);
  EXPECT_EQ(BiosCallsOf(4, 200), 1 + 8);
  EXPECT_EQ(capped.entries[7].kind, 12u);  // every kind call matched the count function

  const HwConfigData& fixed = Record(VexaTable(kOtherId), FullBios().Build());
  ASSERT_EQ(fixed.entryCount, 4);
  const std::uint32_t expected[4][3] = {{3, 8, 16}, {2, 8, 16}, {4, 8, 16}, {5, 1, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(fixed.entries[i].kind, expected[i][0]);
    EXPECT_EQ(fixed.entries[i].param1, expected[i][1]);
    EXPECT_EQ(fixed.entries[i].param2, expected[i][2]);
  }
}

TEST_F(HwConfigTest, ProbeStatusesAndClass17Flags) {
  const HwConfigData& record = Record(VexaTable(kOtherId), BiosBuilder()
                                                               .Function(4, 1, -1)
                                                               .Function(4, 2, -2)
                                                               .Function(4, 7, -3)
                                                               .Function(8, 1, 1)
                                                               .Function(17, 11, 0, 0x6B)
                                                               .Build());
  // 0x6B: bits 0, 1, 3 and 5 set capability bits 13, 14, 16 and 18; bit 6 is beyond the six.
  EXPECT_EQ(SetBits(record), (std::vector<int>{1, 4, 10, 12, 13, 14, 16, 18, 29, 30}));
  EXPECT_EQ(BiosCallsOf(17, 11), 2);

  BiosBuilder rejecting;  // no class 17, selector 11: no flags call
  const HwConfigData& withoutFlags = Record(VexaTable(kOtherId), rejecting.Build());
  EXPECT_EQ(BiosCallsOf(17, 11), 1);
  EXPECT_EQ(SetBits(withoutFlags), (std::vector<int>{10, 29, 30}));
}

TEST_F(HwConfigTest, FeatureWordBitsNeedAMakerFlag) {
  struct FeatureCase {
    std::uint32_t word;
    std::vector<int> bits;
  };
  const FeatureCase cases[] = {
      {0x0018, {10, 26, 29, 30}},  {0x0008, {10, 25, 29, 30}},
      {0x0010, {10, 29, 30}},      {0x0066, {10, 23, 24, 27, 28, 29, 30}},
      {0xFFFF0000u, {10, 29, 30}},  // only the low 16 bits count
  };
  for (const FeatureCase& feature : cases) {
    SCOPED_TRACE(feature.word);
    EXPECT_EQ(SetBits(Record(VexaTable(kOtherId, feature.word), BiosBuilder().Build())),
              feature.bits);
  }
  // Neither maker test passes: no SMBIOS fact and no token read, whatever the tables hold.
  EXPECT_EQ(SetBits(Record(OtherMakerTable(), BiosBuilder().Function(0, 0, 0, 1).Build())),
            (std::vector<int>{10}));
  EXPECT_EQ(BiosCallsOf(0, 0), 0);
  // The BIOS flag alone is enough.
  std::vector<std::uint8_t> biosOnly = SmbiosBlobBuilder()
                                           .BiosVendor("Vexa BIOS")
                                           .SystemManufacturer("Someone")
                                           .FeatureWords(0x20)
                                           .EndOfTable()
                                           .Build();
  EXPECT_EQ(SetBits(Record(biosOnly, BiosBuilder().Build())), (std::vector<int>{10, 27, 29}));
}

TEST_F(HwConfigTest, EitherActiveTokenSetsBit32) {
  const HwConfigData& first = Record(VexaTable(kOtherId, 0, {{0x01FB, 0x30, 1}, {0x01FA, 0x31, 1}}),
                                     BiosBuilder().Function(0, 0, 0, 1, 0, 0, {0x30}).Build());
  EXPECT_TRUE(HasCapability(first, 32));
  EXPECT_EQ(first.capabilities[1], 1u);
  EXPECT_EQ(BiosCallsOf(0, 0), 1);  // 0x01FA is not asked

  const HwConfigData& second =
      Record(VexaTable(kOtherId, 0, {{0x01FB, 0x30, 1}, {0x01FA, 0x31, 1}}),
             BiosBuilder().Function(0, 0, 0, 1, 0, 0, {0x31}).Build());
  EXPECT_TRUE(HasCapability(second, 32));
  EXPECT_EQ(BiosCallsOf(0, 0), 2);
}

TEST_F(HwConfigTest, PlatformAdjustments) {
  const HwConfigData& a = Record(VexaTable(platform::kPlatformA), BiosBuilder().Build());
  EXPECT_EQ(SetBits(a), (std::vector<int>{10, 20, 29, 30}));

  const HwConfigData& c = Record(VexaTable(platform::kPlatformC), BiosBuilder().Build());
  EXPECT_EQ(SetBits(c), (std::vector<int>{10, 29, 30, 31}));
  EXPECT_EQ(c.entries[0].kind, 5u);
  EXPECT_EQ(c.entries[1].kind, 10u);
  EXPECT_EQ(c.entries[2].kind, 11u);
  EXPECT_EQ(c.entries[1].param1, 8u);  // parameters stay as the table stage left them
  EXPECT_EQ(c.entries[3].kind, 5u);
  EXPECT_EQ(c.entryCount, 4);

  const HwConfigData& docked = Record(VexaTable(platform::kPlatformB),
                                      BiosBuilder().Function(4, 7, 0, 0, 0, 0x4200).Build());
  EXPECT_EQ(BiosCallsOf(4, 7), 1 + 2);  // probe row, availability, extra byte
  EXPECT_EQ(SetBits(docked), (std::vector<int>{3, 21, 29, 30}));
  EXPECT_EQ(docked.entries[0].kind, 6u);
  EXPECT_EQ(docked.entries[1].kind, 7u);
  EXPECT_EQ(docked.entries[2].kind, 8u);
  EXPECT_EQ(docked.entries[3].kind, 9u);
  EXPECT_EQ(docked.entries[3].param1, 8u);
  EXPECT_EQ(docked.entries[3].param2, 8u);
  EXPECT_EQ(docked.extraByte, 0x42);

  const HwConfigData& undocked = Record(VexaTable(platform::kPlatformB),
                                        BiosBuilder().Function(4, 7, 0, 0, 0, 0x42FF).Build());
  EXPECT_EQ(BiosCallsOf(4, 7), 1 + 1);
  EXPECT_EQ(SetBits(undocked), (std::vector<int>{3, 29, 30}));
  EXPECT_EQ(undocked.entries[3].kind, 5u);
  EXPECT_EQ(undocked.extraByte, 0);
}

TEST_F(HwConfigTest, ASecondHolderTakesTheRecordUnchanged) {
  Use(MachineWith({VexaTable(platform::kPlatformC)}, FullBios().Function(4, 200, 0, 2).Build()));
  CAcpiWmi first;
  ASSERT_NE(first.HwConfig(), nullptr);
  EXPECT_TRUE(first.HwConfig()->CreatedRecord());
  standin::ResetBiosRequests();
  {
    CAcpiWmi second;
    ASSERT_NE(second.HwConfig(), nullptr);
    EXPECT_FALSE(second.HwConfig()->CreatedRecord());
    EXPECT_EQ(BiosCallCount(), 0);
    EXPECT_EQ(std::memcmp(&first.HwConfig()->Snapshot(), &second.HwConfig()->Snapshot(),
                          sizeof(HwConfigData)),
              0);
    // Its BIOS calls still work: each object keeps its own connection registration.
    BiosCallBuffer block = MakeBiosCall(4, 1);
    EXPECT_EQ(second.CallBiosFunction(block), 1);
  }
  BiosCallBuffer block = MakeBiosCall(4, 1);
  EXPECT_EQ(first.CallBiosFunction(block), 1);
  EXPECT_EQ(block.status, 0);
}

TEST_F(HwConfigTest, ARecordWrittenElsewhereIsCopiedWithinBounds) {
  HANDLE foreign = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(HwConfigData), "HWCONFIG_SHARED_MEM_OBJ");
  auto* shared = static_cast<HwConfigData*>(
      MapViewOfFile(foreign, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HwConfigData)));
  ASSERT_NE(shared, nullptr);
  for (int i = 0; i < 8; ++i) shared->entries[i] = HwConfigEntry{100u + i, 7, 1, 2, {9}};
  shared->entryCount = 12;
  shared->capabilities[0] = 1u << 27;
  shared->extraByte = 0x99;
  const HwConfigData& many = Record(VexaTable(kOtherId), FullBios().Build());
  EXPECT_EQ(BiosCallCount(), 0);
  EXPECT_EQ(many.entryCount, 12);
  EXPECT_EQ(many.entries[7].kind, 107u);
  EXPECT_EQ(many.entries[7].zero, 0u);  // only kind and parameters are copied
  EXPECT_EQ(many.entries[7].zeros[0], 0);
  EXPECT_EQ(many.capabilities[0], 1u << 27);
  EXPECT_EQ(many.extraByte, 0x99);

  shared->entryCount = -1;
  const HwConfigData& none = Record(VexaTable(kOtherId), FullBios().Build());
  EXPECT_EQ(none.entryCount, -1);
  EXPECT_EQ(none.entries[0].kind, 0u);
  UnmapViewOfFile(shared);
  CloseHandle(foreign);
}

TEST_F(HwConfigTest, AFailedMappingLeavesAnEmptySnapshotAndCallsNothing) {
  for (const char* call : {"CreateFileMappingA", "MapViewOfFile"}) {
    SCOPED_TRACE(call);
    standin::InjectFault(call, 1);
    const HwConfigData& record = Record(VexaTable(kOtherId), FullBios().Build());
    EXPECT_EQ(BiosCallCount(), 0);
    EXPECT_EQ(SetBits(record), std::vector<int>{});
    EXPECT_EQ(record.entryCount, 0);
    EXPECT_EQ(record.extraByte, 1);
    EXPECT_EQ(standin::Outstanding(standin::Resource::Mapping), 0);
    standin::ClearFaults();
  }
}

TEST(HwConfigBitsTest, BitsOutsideTheBitmapAreIgnored) {
  HwConfigData record{};
  SetCapability(record, 511);
  SetCapability(record, 512);
  SetCapability(record, -1);
  EXPECT_EQ(record.capabilities[15], 0x80000000u);
  EXPECT_TRUE(HasCapability(record, 511));
  EXPECT_FALSE(HasCapability(record, 512));
  EXPECT_FALSE(HasCapability(record, -1));
  ClearCapability(record, 511);
  EXPECT_EQ(record.capabilities[15], 0u);
}

}  // namespace
}  // namespace qv::testing
