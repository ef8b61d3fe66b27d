// The hardware-configuration record between processes: a process that finds the record while
// its creator is still filling it waits for the creator (bounded) and copies the finished
// record; the record stays zero until it is published whole; a creator that dies leaves the
// lock abandoned, which counts as free. The creator runs in a second process, held just before
// one of its BIOS calls.
#include <cstring>

#include "platform/hw_config.h"
#include "platform/known_platforms.h"
#include "platform/record_fill_lock.h"
#include "tests/platform/peer_process.h"
#include "tests/platform/platform_fixture.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/wbem_control.h"
#include "winapi/win32.h"

using namespace qv::platform;

namespace qv::testing {
namespace {

constexpr char kRecordName[] = "HWCONFIG_SHARED_MEM_OBJ";
// The creator is held before its fifth BIOS call: four probe rows done, nothing published.
constexpr PeerProcess::Hold kMidFill{"IWbemServices::ExecMethod", 5};

// The creator: builds the platform object, sends its snapshot, and keeps the record open
// until the test lets it end.
int CreateAndReport(PeerProcess& peer) {
  CAcpiWmi platform;
  const CHwConfig* hwConfig = platform.HwConfig();
  if (hwConfig == nullptr || !hwConfig->CreatedRecord()) return 2;
  peer.Send(&hwConfig->Snapshot(), sizeof(HwConfigData));
  peer.WaitForParent();
  return 0;
}

bool SameRecord(const HwConfigData& a, const HwConfigData& b) {
  return std::memcmp(&a, &b, sizeof(HwConfigData)) == 0;
}

bool AllZero(const void* bytes, std::size_t length) {
  const auto* byte = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < length; ++i)
    if (byte[i] != 0) return false;
  return true;
}

// The raw record as any other process of the product would map it.
class RawRecord {
 public:
  RawRecord() {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(HwConfigData), kRecordName);
    existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mapping_ != nullptr)
      view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HwConfigData));
  }
  ~RawRecord() {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
  }
  bool existed() const { return existed_; }
  const void* bytes() const { return view_; }

 private:
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  bool existed_ = false;
};

class HwConfigSharingTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Use(EveryStageMachine());
  }
  void TearDown() override {
    standin::SetCallHook(nullptr);
    PlatformTest::TearDown();
  }
};

PeerProcess* creatorToResume = nullptr;

// This process's hook: the creator goes on once this process starts waiting for the lock.
void ResumeCreatorOnWait(const char* call) {
  if (creatorToResume == nullptr || std::strcmp(call, "WaitForSingleObject") != 0) return;
  creatorToResume->Resume();
  creatorToResume = nullptr;
}

TEST_F(HwConfigSharingTest, AReaderWaitsForTheCreatorAndNeverSeesAPartRecord) {
  PeerProcess creator(CreateAndReport, kMidFill);
  ASSERT_TRUE(creator.AwaitHeld());
  {
    // Mid-fill, the record exists and holds nothing yet: it is published in one piece.
    RawRecord raw;
    EXPECT_TRUE(raw.existed());
    ASSERT_NE(raw.bytes(), nullptr);
    EXPECT_TRUE(AllZero(raw.bytes(), sizeof(HwConfigData)));
  }
  creatorToResume = &creator;
  standin::SetCallHook(&ResumeCreatorOnWait);
  CAcpiWmi reader;
  standin::SetCallHook(nullptr);
  const bool waited = creatorToResume == nullptr;
  if (!waited) creator.Resume();
  creatorToResume = nullptr;
  EXPECT_TRUE(waited) << "the reader never waited for the lock";

  HwConfigData created{};
  ASSERT_TRUE(creator.Receive(&created, sizeof created));
  ASSERT_NE(reader.HwConfig(), nullptr);
  EXPECT_FALSE(reader.HwConfig()->CreatedRecord());
  EXPECT_EQ(BiosCallCount(), 0);
  EXPECT_TRUE(SameRecord(reader.HwConfig()->Snapshot(), created));
  EXPECT_TRUE(HasCapability(created, 21));  // the last stage, platform B's dock, is in it
  EXPECT_EQ(created.extraByte, 0x42);
  EXPECT_EQ(creator.Finish(), 0);
}

TEST_F(HwConfigSharingTest, AfterTheTimeOutAReaderTakesWhatIsThere) {
  PeerProcess creator(CreateAndReport, kMidFill);
  ASSERT_TRUE(creator.AwaitHeld());
  {
    CAcpiWmi reader;  // the creator stays held: the wait runs out
    ASSERT_NE(reader.HwConfig(), nullptr);
    EXPECT_FALSE(reader.HwConfig()->CreatedRecord());
    EXPECT_EQ(BiosCallCount(), 0);
    EXPECT_TRUE(AllZero(&reader.HwConfig()->Snapshot(), sizeof(HwConfigData)));
  }
  creator.Resume();
  HwConfigData created{};
  ASSERT_TRUE(creator.Receive(&created, sizeof created));
  CAcpiWmi later;
  ASSERT_NE(later.HwConfig(), nullptr);
  EXPECT_TRUE(SameRecord(later.HwConfig()->Snapshot(), created));
  EXPECT_EQ(creator.Finish(), 0);
}

// How a third process finds the lock: taken at once, or not (0 ms wait).
RecordFillLock::Outcome OutcomeInAnotherProcess() {
  PeerProcess probe([](PeerProcess&) {
    RecordFillLock lock(kRecordName, 0);
    return static_cast<int>(lock.outcome());
  });
  return static_cast<RecordFillLock::Outcome>(probe.Finish());
}

// A mutex outlives a dead owner only while someone else holds a handle to it; this process
// holds one for the tests below, as a waiting process of the product would.
class SharedLockHandle {
 public:
  SharedLockHandle()
      : handle_(CreateMutexA(nullptr, FALSE, RecordFillLock::MutexNameFor(kRecordName).c_str())) {}
  ~SharedLockHandle() { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

TEST_F(HwConfigSharingTest, ACreatorThatDiesMidFillLeavesTheLockFree) {
  SharedLockHandle held;
  PeerProcess creator(CreateAndReport, kMidFill);
  ASSERT_TRUE(creator.AwaitHeld());
  creator.Kill();
  {
    // Nobody holds the record any more: this process creates it afresh and fills it, under
    // the abandoned lock, which it then gives back.
    CAcpiWmi successor;
    ASSERT_NE(successor.HwConfig(), nullptr);
    EXPECT_TRUE(successor.HwConfig()->CreatedRecord());
    EXPECT_TRUE(HasCapability(successor.HwConfig()->Snapshot(), 21));
  }
  EXPECT_EQ(OutcomeInAnotherProcess(), RecordFillLock::Outcome::kAcquired);
}

TEST_F(HwConfigSharingTest, AnAbandonedLockIsTakenAndReleased) {
  SharedLockHandle held;
  PeerProcess dying([](PeerProcess&) {
    RecordFillLock lock(kRecordName);
    _exit(lock.Held() ? 0 : 1);  // ends holding the lock
    return 1;
  });
  EXPECT_EQ(dying.Finish(), 0);
  {
    RecordFillLock next(kRecordName);
    EXPECT_EQ(next.outcome(), RecordFillLock::Outcome::kAbandoned);
    EXPECT_TRUE(next.Held());
    EXPECT_EQ(OutcomeInAnotherProcess(), RecordFillLock::Outcome::kTimedOut);
  }
  EXPECT_EQ(OutcomeInAnotherProcess(), RecordFillLock::Outcome::kAcquired);
}

TEST_F(HwConfigSharingTest, AnUnavailableLockDoesNotStopTheFill) {
  for (const char* call : {"CreateMutexA", "WaitForSingleObject"}) {
    SCOPED_TRACE(call);
    standin::ResetBiosRequests();
    standin::InjectFault(call, 1);
    {
      CAcpiWmi platform;
      ASSERT_NE(platform.HwConfig(), nullptr);
      EXPECT_TRUE(platform.HwConfig()->CreatedRecord());
      EXPECT_GT(BiosCallCount(), 0);
    }
    standin::ClearFaults();
    EXPECT_EQ(standin::OutstandingReport(), "");
  }
}

}  // namespace
}  // namespace qv::testing
