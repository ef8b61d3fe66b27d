// The shared record's fill lock between two Windows processes: a reader waits for the filler
// and then sees the filled record; a filler that hangs costs the reader its 2-second bound;
// a filler that ends holding the lock leaves it abandoned, which the next process takes as
// free and gives back.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/record_fill_lock.h"
#include "winapi/win32.h"

using namespace qv::platform;

namespace {

using Outcome = RecordFillLock::Outcome;

constexpr DWORD kRecordSize = 712;

std::string UniqueRecordName(const char* stem) {
  return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount());
}

class Peer {
 public:
  Peer(const std::string& name, const char* mode) {
    std::string commandLine = "fill_lock_peer " + name + " " + mode;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(QV_FILL_LOCK_PEER_PATH, &commandLine[0], nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &info_);
  }
  ~Peer() {
    if (!started_) return;
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  // Its exit code, or -1 when it did not start or end.
  int ExitCode() {
    DWORD code = 0;
    if (!started_ || WaitForSingleObject(info_.hProcess, 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info_.hProcess, &code))
      return -1;
    return static_cast<int>(code);
  }

 private:
  PROCESS_INFORMATION info_ = {};
  BOOL started_ = FALSE;
};

class Record {
 public:
  explicit Record(const std::string& name)
      : mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordSize,
                                    name.c_str())),
        view_(mapping_ ? static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                       : nullptr) {}
  ~Record() {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
  }
  char* view() { return view_; }

 private:
  HANDLE mapping_;
  char* view_;
};

int ReadResult(Outcome outcome, bool filled) {
  return 10 * static_cast<int>(outcome) + (filled ? 0 : 1);
}

TEST(FillLock, AReaderWaitsForTheFillerAndSeesTheFilledRecord) {
  const std::string name = UniqueRecordName("QvFillLock");
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (name + "_READY").c_str());
  ASSERT_NE(ready, nullptr);
  std::optional<RecordFillLock> filling(std::in_place, name.c_str());
  ASSERT_EQ(filling->outcome(), Outcome::kAcquired);
  Record record(name);
  ASSERT_NE(record.view(), nullptr);
  Peer reader(name, "read");
  EXPECT_EQ(WaitForSingleObject(ready, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  Sleep(300);  // the reader is waiting for the lock by now
  std::strcpy(record.view(), "filled");
  filling.reset();
  EXPECT_EQ(reader.ExitCode(), ReadResult(Outcome::kAcquired, true));
  CloseHandle(ready);
}

TEST(FillLock, AfterTheBoundAReaderTakesWhatIsThere) {
  const std::string name = UniqueRecordName("QvFillLock");
  RecordFillLock filling(name.c_str());
  ASSERT_EQ(filling.outcome(), Outcome::kAcquired);
  Record record(name);
  Peer reader(name, "read");
  EXPECT_EQ(reader.ExitCode(), ReadResult(Outcome::kTimedOut, false));
}

TEST(FillLock, AFillerThatEndsHoldingTheLockLeavesItAbandoned) {
  const std::string name = UniqueRecordName("QvFillLock");
  // A mutex outlives a dead owner only while another process holds a handle to it.
  HANDLE kept = CreateMutexA(nullptr, FALSE, RecordFillLock::MutexNameFor(name.c_str()).c_str());
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(Peer(name, "die").ExitCode(), 0);
  {
    RecordFillLock next(name.c_str());
    EXPECT_EQ(next.outcome(), Outcome::kAbandoned);
    EXPECT_TRUE(next.Held());
    EXPECT_EQ(Peer(name, "probe").ExitCode(), static_cast<int>(Outcome::kTimedOut));
  }
  EXPECT_EQ(Peer(name, "probe").ExitCode(), static_cast<int>(Outcome::kAcquired));
  CloseHandle(kept);
}

}  // namespace
