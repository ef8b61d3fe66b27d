// BIOS calls over the mapper: the transfer buffer, short and missing responses, unusable
// transfer sizes, and the token check with its power-dependent selector.
#include <chrono>
#include <future>

#include "platform/hw_config.h"
#include "tests/platform/platform_fixture.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem_control.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr std::uint16_t kId = 0x0123;

class BiosCallTest : public PlatformTest {
 protected:
  // A BIOS with one function 9/9 and nothing else; calls made during construction are
  // forgotten so a test sees only its own.
  std::unique_ptr<CAcpiWmi> Build(machine::Bios bios, std::optional<std::uint8_t> ac = 1,
                                  std::initializer_list<TokenEntry> tokens = {}) {
    Use(MachineWith({VexaTable(kId, 0, tokens)}, std::move(bios), ac));
    auto platform = std::make_unique<CAcpiWmi>();
    standin::ResetBiosRequests();
    return platform;
  }
};

TEST_F(BiosCallTest, RequestFillsTheTransferBufferAndResponseComesBack) {
  for (std::int32_t size : {44, 64, 65536}) {
    SCOPED_TRACE(size);
    // Without the shared record construction makes no BIOS call, which keeps this test quick.
    standin::InjectFault("CreateFileMappingA", 1);
    auto platform =
        Build(BiosBuilder().TransferSize(size).Function(9, 9, 0, 0x11, 0x22, 0x33).Build());
    BiosCallBuffer block = MakeBiosCall(9, 9);
    block.args[0] = 0xA1;
    block.args[3] = 0xA4;
    EXPECT_EQ(platform->CallBiosFunction(block), 1);
    EXPECT_EQ(block.status, 0);
    EXPECT_EQ(block.result2, 0x11u);
    EXPECT_EQ(block.result4, 0x33u);
    EXPECT_EQ(block.args[3], 0xA4u);
    std::vector<standin::BiosRequest> sent = standin::BiosRequests();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].bytes.size(), static_cast<std::size_t>(size));
    EXPECT_EQ(sent[0].args[0], 0xA1u);
    EXPECT_EQ(sent[0].bytes[20], 0xFD);  // the status went out as -3
    EXPECT_TRUE(std::all_of(sent[0].bytes.begin() + 44, sent[0].bytes.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
  }
}

TEST_F(BiosCallTest, UnusableTransferSizesSendNothing) {
  for (std::int32_t size : {43, 0, -1, 65537}) {
    SCOPED_TRACE(size);
    auto platform = Build(BiosBuilder().TransferSize(size).Function(9, 9, 0).Build());
    EXPECT_EQ(platform->TransferSize(), size);
    ASSERT_NE(platform->HwConfig(), nullptr);
    BiosCallBuffer block = MakeBiosCall(9, 9);
    EXPECT_EQ(platform->CallBiosFunction(block), 0);
    EXPECT_EQ(block.status, kBiosStatusNotSent);
    EXPECT_EQ(standin::BiosRequests().size(), 0u);
  }
}

TEST_F(BiosCallTest, QueryDataShorterThanTheSizeFieldAnnouncesNothing) {
  machine::Bios bios = FullBios().Build();
  bios.queryBytes = std::vector<std::uint8_t>(15, 0x2C);
  Use(MachineWith({VexaTable(kId)}, bios));
  CAcpiWmi platform;
  EXPECT_EQ(platform.TransferSize(), 0);
  EXPECT_EQ(platform.HwConfig(), nullptr);
  EXPECT_EQ(platform.SystemId(), kId);
  EXPECT_EQ(standin::BiosRequests().size(), 0u);
  bios.queryBytes = std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x30, 0, 0, 0};
  Use(MachineWith({VexaTable(kId)}, bios));
  EXPECT_EQ(CAcpiWmi().TransferSize(), 0x30);
}

TEST_F(BiosCallTest, ShortOrMissingResponsesLeaveTheRequest) {
  machine::Bios shortAnswer = BiosBuilder().Function(9, 9, 0, 0x11).Build();
  shortAnswer.responseSize = 24;  // up to and including the status
  auto platform = Build(shortAnswer);
  BiosCallBuffer block = MakeBiosCall(9, 9);
  block.result2 = 0x77;
  EXPECT_EQ(platform->CallBiosFunction(block), 1);
  EXPECT_EQ(block.status, 0);
  EXPECT_EQ(block.result2, 0x77u);

  machine::Bios noData = BiosBuilder().Function(9, 9, 0, 0x11).Build();
  noData.responseWithoutData = true;
  platform = Build(noData);
  block = MakeBiosCall(9, 9);
  EXPECT_EQ(platform->CallBiosFunction(block), 0);
  EXPECT_EQ(block.status, kBiosStatusNotSent);
  EXPECT_EQ(block.result2, 0u);

  platform = Build(BiosBuilder().Function(9, 9, 0).Build());
  standin::InjectFault("IWbemServices::ExecMethod", 1);
  block = MakeBiosCall(9, 9);
  EXPECT_EQ(platform->CallBiosFunction(block), 0);
  EXPECT_EQ(block.status, kBiosStatusNotSent);
  standin::InjectFault("IGlobalInterfaceTable::GetInterfaceFromGlobal", 1);
  block = MakeBiosCall(9, 9);
  EXPECT_EQ(platform->CallBiosFunction(block), 0);
  EXPECT_EQ(block.status, kBiosStatusNotSent);
  block = MakeBiosCall(9, 8);  // no such function
  EXPECT_EQ(platform->CallBiosFunction(block), 1);
  EXPECT_EQ(block.status, -2);
}

TEST_F(BiosCallTest, WithoutCallObjectsEveryCallFailsAndLeavesTheLockFree) {
  Use(MachineWith({VexaTable(kId)}, FullBios().Build()));
  standin::InjectFault("IWbemClassObject::SpawnInstance", 1);  // the BDat instance
  CAcpiWmi platform;
  ASSERT_NE(platform.HwConfig(), nullptr);
  EXPECT_EQ(standin::BiosRequests().size(), 0u);
  const HwConfigData& snapshot = platform.HwConfig()->Snapshot();
  EXPECT_EQ(snapshot.capabilities[0], (1u << 10) | (1u << 29) | (1u << 30));  // no probe bit
  EXPECT_EQ(snapshot.entryCount, 4);
  BiosCallBuffer block = MakeBiosCall(4, 1);
  EXPECT_EQ(platform.CallBiosFunction(block), 0);
  EXPECT_EQ(block.status, kBiosStatusNotSent);
  // Another thread gets in at once: nothing kept the critical section.
  auto other = std::async(std::launch::async, [&] {
    BiosCallBuffer fromOther = MakeBiosCall(4, 1);
    return platform.CallBiosFunction(fromOther);
  });
  ASSERT_EQ(other.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(other.get(), 0);
}

TEST_F(BiosCallTest, TokenChecksUseTheTokensLocationAndValue) {
  auto platform = Build(BiosBuilder()
                            .Function(0, 0, 0, 0x00010005, 0, 0, {0x21})
                            .Function(0, 0, 0, 0x00000006, 0, 0, {0x22})
                            .Function(0, 0, 1, 0x00000007, 0, 0, {0x23})
                            .Build(),
                        1, {{0x01FA, 0x21, 5}, {0x01FB, 0x22, 5}, {0x0188, 0x23, 7}});
  ASSERT_NE(platform->FindToken(0x01FA), nullptr);
  EXPECT_EQ(platform->FindToken(0x01FA)->location, 0x21);
  EXPECT_EQ(platform->IsTokenActive(0x01FA), 1);  // only the low 16 bits count
  EXPECT_EQ(platform->IsTokenActive(0x01FB), 0);  // another value
  EXPECT_EQ(platform->IsTokenActive(0x0188), 0);  // status not 0
  std::vector<standin::BiosRequest> sent = standin::BiosRequests();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].selector, 0);
  EXPECT_EQ(sent[0].args[0], 0x21u);

  EXPECT_EQ(platform->FindToken(0x017D), nullptr);
  EXPECT_EQ(platform->IsTokenActive(0x017D), 0);
  EXPECT_EQ(standin::BiosRequests().size(), 3u);  // an absent token asks nothing
}

TEST_F(BiosCallTest, PowerDependentTokensFollowTheAcLine) {
  struct PowerCase {
    std::optional<std::uint8_t> acLine;
    std::uint16_t selector;
  };
  for (const PowerCase& power :
       {PowerCase{1, 2}, PowerCase{0, 1}, PowerCase{255, 1}, PowerCase{std::nullopt, 1}}) {
    SCOPED_TRACE(power.acLine.value_or(0x100));
    auto platform = Build(BiosBuilder().Function(0, power.selector, 0, 3).Build(), power.acLine,
                          {{0x017C, 0x40, 3}, {0x01FA, 0x41, 3}});
    EXPECT_EQ(platform->IsTokenActive(0x017C), 1);
    EXPECT_EQ(platform->IsTokenActive(0x01FA), 0);  // selector 0, which this BIOS lacks
    std::vector<standin::BiosRequest> sent = standin::BiosRequests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].selector, power.selector);
    EXPECT_EQ(sent[1].selector, 0);
  }
}

}  // namespace
}  // namespace qv::testing
