// The fault sweep over the exports that identify the platform and read or write the system-ID
// list: every platform call of a full run fails once, and each export still answers with a
// documented result and leaves nothing held.
#include <cstdio>

#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "tests/hardening/fault_sweep.h"
#include "tests/hardening/hardening_fixture.h"
#include "util/qv_encryption.h"
#include "winapi/posix/com_control.h"
#include "winapi/posix/current_machine.h"

namespace qv::hardening {
namespace {

// A key that refuses its effective length still decrypts with the derived default (the padding
// check decides), so a successful decryption then need not give the expected text.
bool KeyLengthRefused(const std::string& fault) {
  return fault.rfind("CryptSetKeyParam", 0) == 0;
}

bool IsDeviceMaskResult(int result) {
  return (result >= 0 && result <= 6 * 256 + 255) || (result >= -6 && result <= -2);
}

class DeviceMaskSweepTest : public HardeningTest {
 protected:
  // A fresh full-road machine and list file, and a platform that must be identified anew.
  void PrepareRun() const {
    ReleasePlatformObject();
    FreshSharedMemoryNamespace();
    standin::ResetProcessSecurity();
    standin::UseMachine(FullPlatformMachine());
    dir_.Write("vexasysids.enc", list_);
  }

  void Sweep(const std::string& exportName, std::function<int()> call,
             std::function<bool(int)> documented,
             std::function<void(int, const std::string&)> verify = nullptr) {
    SweepCase sweep;
    sweep.exportName = exportName;
    sweep.prepare = [this] { PrepareRun(); };
    sweep.call = std::move(call);
    sweep.documented = std::move(documented);
    sweep.verify = std::move(verify);
    sweep.releaseKept = [] { ReleasePlatformObject(); };
    const SweepOutcome outcome = RunFaultSweep(sweep);
    EXPECT_GT(outcome.callSites, 0);
    RecordCoverage(exportName, outcome);
    AcceptHeldResources();
  }

  std::string list_ = EncryptedListText(PlainListText());
};

TEST_F(DeviceMaskSweepTest, GetSystemIdAnswersAnyFaultWithASixteenBitValue) {
  PrepareRun();
  EXPECT_EQ(GetSystemId(), kFullRoadSystemId);
  Sweep(
      "GetSystemId", [] { return GetSystemId(); },
      [](int result) { return result >= 0 && result <= 0xFFFF; });
}

TEST_F(DeviceMaskSweepTest, GetDeviceMaskAnswersAnyFaultWithAMaskOrAStatus) {
  PrepareRun();
  EXPECT_EQ(GetDeviceMask(nullptr) >> 8, 6);
  EXPECT_EQ(PresentPlatformObject(), nullptr);
  // A mask ends the platform reading; only a negative status may leave the object behind.
  Sweep(
      "GetDeviceMask", [] { return GetDeviceMask(nullptr); }, IsDeviceMaskResult,
      [](int result, const std::string&) {
        if (result >= 0) {
          EXPECT_EQ(PresentPlatformObject(), nullptr);
        }
      });
}

TEST_F(DeviceMaskSweepTest, IsTorvaneSystemAnswersAnyFaultWithZeroOrOne) {
  PrepareRun();
  EXPECT_EQ(IsTorvaneSystem("vexasysids.enc"), 1);
  Sweep(
      "IsTorvaneSystem", [] { return IsTorvaneSystem("vexasysids.enc"); },
      [](int result) { return result == 0 || result == 1; });
}

TEST_F(DeviceMaskSweepTest, GetDeviceMaskDecryptAnswersAnyFaultWithAMaskOrMinusOne) {
  PrepareRun();
  EXPECT_GT(GetDeviceMaskDecrypt(533), 0);
  Sweep(
      "GetDeviceMaskDecrypt", [] { return GetDeviceMaskDecrypt(533); },
      [](int result) { return result >= -1 && result <= 63; });
}

TEST_F(DeviceMaskSweepTest, QVEncryptionLeavesTheTextAloneWhenItFails) {
  const std::string plain = PlainListText();
  const std::string cipher = EncryptedListText(plain);
  for (bool encrypt : {true, false}) {
    const std::string input = encrypt ? plain : cipher;
    const std::string expected = encrypt ? cipher : plain;
    SweepCase sweep;
    sweep.exportName = encrypt ? "EncryptString" : "DecryptString";
    std::string after;
    sweep.prepare = [] {};
    sweep.call = [input, encrypt, &after] {
      QVString text(input.c_str());
      const QVString key(kPassPhrase);
      const bool done =
          encrypt ? QVEncryption::EncryptString(text, key) : QVEncryption::DecryptString(text, key);
      after = text.GetNarrow();
      return done ? 1 : 0;
    };
    sweep.documented = [](int result) { return result == 0 || result == 1; };
    sweep.verify = [&](int result, const std::string& fault) {
      if (result == 0) {
        EXPECT_EQ(after, input) << "a failed call changed the text";
      } else if (!KeyLengthRefused(fault)) {
        EXPECT_EQ(after, expected);
      }
    };
    RecordCoverage(sweep.exportName, RunFaultSweep(sweep));
  }
  AcceptHeldResources();
}

class EncryptSysIdsSweepTest : public HardeningTest {
 protected:
  // The plain list beside an older encrypted list, or beside none.
  void PrepareRun(bool withOldFile) const {
    dir_.Write("plain.txt", PlainListText());
    if (withOldFile) {
      dir_.Write("vexasysids.enc", kOldList);
    } else if (dir_.Exists("vexasysids.enc")) {
      std::remove(dir_.File("vexasysids.enc").c_str());
    }
  }

  // The file is complete and decrypts to the plain list, or it is what was there before.
  void VerifyFiles(int result, bool withOldFile, const std::string& fault) const {
    EXPECT_FALSE(dir_.Exists("vexasysids.enc.tmp"));
    if (result == 0) {
      ASSERT_TRUE(dir_.Exists("vexasysids.enc"));
      EXPECT_EQ(DecryptedText(dir_.Read("vexasysids.enc")), PlainListText()) << fault;
    } else if (withOldFile) {
      EXPECT_EQ(dir_.Read("vexasysids.enc"), kOldList);
    } else {
      EXPECT_FALSE(dir_.Exists("vexasysids.enc"));
    }
  }

  static constexpr char kOldList[] = "an older list that must survive a failed write";
};

TEST_F(EncryptSysIdsSweepTest, NeverLeavesAHalfWrittenListFile) {
  for (bool withOldFile : {true, false}) {
    SCOPED_TRACE(withOldFile ? "replacing a list" : "writing the first list");
    SweepCase sweep;
    sweep.exportName = "EncryptSysIds";
    sweep.prepare = [this, withOldFile] { PrepareRun(withOldFile); };
    sweep.call = [] { return EncryptSysIds("plain.txt"); };
    sweep.documented = [](int result) { return result >= -1 && result <= 1; };
    sweep.verify = [this, withOldFile](int result, const std::string& fault) {
      VerifyFiles(result, withOldFile, fault);
    };
    const SweepOutcome outcome = RunFaultSweep(sweep);
    EXPECT_GT(outcome.callSites, 0);
    RecordCoverage("EncryptSysIds", outcome);
  }
  AcceptHeldResources();
}

}  // namespace
}  // namespace qv::hardening
