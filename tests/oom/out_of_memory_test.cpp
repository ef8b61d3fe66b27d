// Memory runs out at each allocation that GetDeviceMask and EncryptSysIds make, one at a time,
// until a call completes without meeting a failure: the exception never crosses the export,
// the result is a documented one, nothing stays held and no list file is left half-written.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <iostream>

#include "custom_actions/custom_actions.h"
#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "tests/custom_actions/recording_session.h"
#include "tests/oom/allocation_failure.h"
#include "tests/support/fresh_books.h"
#include "tests/support/machine_builders.h"
#include "tests/support/temp_directory.h"
#include "util/qv_encryption.h"
#include "winapi/posix/com_control.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"

namespace qv::oom {
namespace {

constexpr char kPassPhrase[] = "MARBLEOTTERKITE";
constexpr char kPlainList[] = "101 10000001 GNR\n533 11100111 TRV\n777 01010101 WQE\n";
constexpr char kOldList[] = "an older list that must survive a failed write";
constexpr long kMostAllocations = 200000;

std::string Encrypted(const std::string& plain) {
  QVString text(plain.c_str());
  EXPECT_TRUE(QVEncryption::EncryptString(text, QVString(kPassPhrase)));
  return text.GetNarrow();
}

std::string Decrypted(const std::string& cipher) {
  QVString text(cipher.c_str());
  if (!QVEncryption::DecryptString(text, QVString(kPassPhrase))) return "<not decrypted>";
  return text.GetNarrow();
}

class OutOfMemoryTest : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override {
    std::string problem;
    ASSERT_TRUE(LoadCodeMap(&problem)) << problem;
    setenv("QV_SHM_NAMESPACE", ("oom-test-" + std::to_string(getpid())).c_str(), 1);
    dir_.Enter();
    FreshBooksTest::SetUp();
  }

  void TearDown() override {
    Disarm();
    ReleasePlatformObject();
    FreshBooksTest::TearDown();
  }

  // Fails allocation n, n+1 after the allocation failed last, and so on, until a run meets no
  // failure. Returns the number of library allocations failed.
  int Sweep(const std::function<void()>& prepare, const std::function<int()>& call,
            const std::function<void(int result)>& check) {
    int failures = 0;
    for (long n = 1; n < kMostAllocations; ++failures) {
      prepare();
      ArmFailureAt(n);
      const int result = call();
      Disarm();
      const std::optional<long> failedAt = FailedAllocation();
      SCOPED_TRACE(failedAt ? "allocation " + std::to_string(*failedAt) + " failed"
                            : std::string("no allocation failed"));
      check(result);
      ReleasePlatformObject();
      EXPECT_EQ(standin::OutstandingReport(), "");
      if (!failedAt || HasFailure()) break;
      n = *failedAt + 1;
    }
    return failures;
  }

  test::TempDirectory dir_;
};

TEST_F(OutOfMemoryTest, GetDeviceMaskSurvivesEveryAllocationFailing) {
  const std::string list = Encrypted(kPlainList);
  const auto prepare = [&] {
    ReleasePlatformObject();
    standin::ResetProcessSecurity();
    standin::UseMachine(qv::testing::MachineWith(
        {qv::testing::VexaTable(0x0215, 0xFFFFFFFF, {{0x0188, 0x21, 5}})},
        qv::testing::BiosBuilder().Function(4, 1, 0).Function(17, 0, 0).Build()));
    dir_.Write("vexasysids.enc", list);
  };
  const int failures = Sweep(
      prepare, [] { return GetDeviceMask(nullptr); },
      [](int result) {
        EXPECT_TRUE((result >= 0 && result <= 6 * 256 + 255) || (result >= -6 && result <= -2))
            << result;
      });
  std::cout << "[ oom      ] GetDeviceMask: " << failures << " allocations failed in turn\n";
  EXPECT_GT(failures, 0);
}

TEST_F(OutOfMemoryTest, TheOtherExportsSurviveEveryAllocationFailing) {
  const std::string list = Encrypted(kPlainList);
  const auto prepare = [&] {
    ReleasePlatformObject();
    standin::ResetProcessSecurity();
    auto simulated = qv::testing::MachineWith({qv::testing::VexaTable(0x0215)},
                                              qv::testing::BiosBuilder().Function(4, 1, 0).Build());
    // Devices that match no adapter row, so every walk runs to its end.
    simulated->devices["PCI"] = {"PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01\\3&1&0&C8"};
    simulated->devices["USB"] = {"USB\\VID_2E9C&PID_4FFF\\5&2D8F3A2B&0&3"};
    standin::UseMachine(simulated);
    dir_.Write("vexasysids.enc", list);
  };
  const auto zeroOneOrMinusOne = [](int result) { EXPECT_TRUE(result >= -1 && result <= 1); };
  const struct {
    const char* name;
    int (*call)();
    std::function<void(int)> check;
  } exports[] = {
      {"GetSystemId", [] { return GetSystemId(); },
       [](int result) { EXPECT_TRUE(result >= 0 && result <= 0xFFFF); }},
      {"IsTorvaneSystem", [] { return IsTorvaneSystem(nullptr); },
       [](int result) { EXPECT_TRUE(result == 0 || result == 1); }},
      {"GetDeviceMaskDecrypt", [] { return GetDeviceMaskDecrypt(533); },
       [](int result) { EXPECT_TRUE(result >= -1 && result <= 63); }},
      {"GetLANManufacturerID", [] { return GetLANManufacturerID(); }, zeroOneOrMinusOne},
      {"GetWLANManufacturerID", [] { return GetWLANManufacturerID(); },
       [](int result) { EXPECT_TRUE(result == 0 || result == -1); }},
      {"GetWWANManufacturerID", [] { return GetWWANManufacturerID(); }, zeroOneOrMinusOne},
  };
  for (const auto& tested : exports) {
    SCOPED_TRACE(tested.name);
    const int failures = Sweep(prepare, tested.call, tested.check);
    std::cout << "[ oom      ] " << tested.name << ": " << failures
              << " allocations failed in turn\n";
  }
}

// QvIdentify: wherever memory runs out, the action ends with a result and holds nothing. The
// exports turn their own exhaustion into answers; exhaustion in the action's own text fails it,
// since its properties may then be half set.
TEST_F(OutOfMemoryTest, QvIdentifyEndsWithAResultWhereverMemoryRunsOut) {
  custom_actions::testing::RecordingSession session;
  const int failures = Sweep(
      [&] {
        standin::UseMachine(qv::testing::MachineWith({qv::testing::VexaTable(533)},
                                                     qv::testing::BiosBuilder().Build()));
        dir_.Write("vexasysids.enc", Encrypted(kPlainList));
        session = custom_actions::testing::RecordingSession();
      },
      [&] { return static_cast<int>(custom_actions::Identify(session)); },
      [&](int result) {
        // A success has set every answer; a failure may have stopped anywhere.
        if (result == static_cast<int>(custom_actions::ActionResult::kSucceeded)) {
          EXPECT_TRUE(session.Has("QV_SYSTEM_ID") && session.Has("QV_TORVANE") &&
                      session.Has("QV_WWAN_MAKER"));
        }
      });
  EXPECT_GT(failures, 0);
  EXPECT_EQ(session.Value("QV_SYSTEM_ID"), "533");  // the run that met no failure
}

TEST_F(OutOfMemoryTest, EncryptSysIdsNeverLeavesAHalfWrittenFile) {
  for (bool withOldFile : {true, false}) {
    SCOPED_TRACE(withOldFile ? "replacing a list" : "writing the first list");
    const auto prepare = [&] {
      dir_.Write("plain.txt", kPlainList);
      if (withOldFile)
        dir_.Write("vexasysids.enc", kOldList);
      else
        std::remove(dir_.File("vexasysids.enc").c_str());
    };
    const auto check = [&](int result) {
      EXPECT_TRUE(result >= -1 && result <= 1) << result;
      EXPECT_FALSE(dir_.Exists("vexasysids.enc.tmp"));
      if (result == 0) {
        EXPECT_EQ(Decrypted(dir_.Read("vexasysids.enc")), kPlainList);
      } else if (withOldFile) {
        EXPECT_EQ(dir_.Read("vexasysids.enc"), kOldList);
      } else {
        EXPECT_FALSE(dir_.Exists("vexasysids.enc"));
      }
    };
    const int failures = Sweep(
        prepare, [] { return EncryptSysIds("plain.txt"); }, check);
    std::cout << "[ oom      ] EncryptSysIds: " << failures << " allocations failed in turn\n";
    EXPECT_GT(failures, 0);
  }
}

}  // namespace
}  // namespace qv::oom
