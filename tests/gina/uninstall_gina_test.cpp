// UninstallQVGina on simulated machines: which logon module Winlogon ends up with, what the
// product's settings say afterwards, and when Intel's tool runs.
#include <signal.h>

#include <chrono>
#include <thread>

#include "exports/qvsupport.h"
#include "gina/tool_wait.h"
#include "machine/machine.h"
#include "tests/gina/gina_fixture.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/process_log.h"
#include "winapi/posix/registry_log.h"

namespace qv::test {
namespace {

using UninstallGinaTest = GinaMachineTest;

TEST_F(UninstallGinaTest, RestoresTheDisplacedModuleWhenTheProductsModuleIsActive) {
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  SetText(kSettings, "OrginalGINA", "C:\\Tools\\other.dll");
  SetText(kSettings, "PrevGINA", "C:\\Tools\\other.dll");

  EXPECT_EQ(Uninstall(), "XP\n");

  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "C:\\Tools\\other.dll");
  EXPECT_EQ(Bytes(kWinlogon, "GinaDLL")->size(), 19u);  // the text and its NUL
  EXPECT_EQ(Text(kSettings, "OrginalGINA"), "msgina.dll");
  EXPECT_EQ(Text(kSettings, "PrevGINA"), "msgina.dll");
  EXPECT_EQ(Text(kSettings, "QVGinaEnabled"), "0");
  EXPECT_EQ(Text(kIntelSso, "OrgGinaDLL"), "qvgina.dll");
  EXPECT_TRUE(standin::ProcessStarts().empty());
}

TEST_F(UninstallGinaTest, FallsBackToTheStandardModule) {
  // The product's module without a remembered one, and remembered ones too short to be a name.
  for (const char* remembered : {"", "x.dl"}) {
    SCOPED_TRACE(remembered);
    SetText(kWinlogon, "GinaDLL", "C:\\Windows\\QVgina.dll");
    machine::Machine& machine = Machine();
    machine.registry[kSettings].erase("OrginalGINA");
    if (*remembered != '\0') SetText(kSettings, "OrginalGINA", remembered);
    Uninstall();
    EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");
    EXPECT_EQ(Bytes(kWinlogon, "GinaDLL")->size(), 11u);
    ExpectRememberedModulesReset();
  }
}

TEST_F(UninstallGinaTest, KeepsTheRememberedModulesWhileGinaDllNamesTheProduct) {
  struct Fault {
    const char* call;
    int occurrence;
    const char* remembered;
  };
  // Without an Intel chip type, Winlogon's key is opened for writing on the fifth open and
  // "GinaDLL" is the second value set, after "QVGinaEnabled".
  const Fault faults[] = {{"RegOpenKeyExA", 5, "C:\\Tools\\other.dll"},
                          {"RegSetValueExA", 2, "C:\\Tools\\other.dll"},
                          {"RegSetValueExA", 2, "x.dl"}};  // the standard module fails too
  for (const Fault& fault : faults) {
    SCOPED_TRACE(std::string(fault.call) + " " + fault.remembered);
    SetText(kWinlogon, "GinaDLL", "qvgina.dll");
    SetText(kSettings, "OrginalGINA", fault.remembered);
    SetText(kSettings, "PrevGINA", "C:\\Tools\\previous.dll");
    standin::InjectFault(fault.call, fault.occurrence);
    EXPECT_EQ(Uninstall(), "XP\n");
    standin::ClearFaults();
    EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "qvgina.dll");
    EXPECT_EQ(Text(kSettings, "OrginalGINA"), fault.remembered);
    EXPECT_EQ(Text(kSettings, "PrevGINA"), "C:\\Tools\\previous.dll");
    EXPECT_EQ(Text(kSettings, "QVGinaEnabled"), "0");

    // A retry still knows the displaced module and finishes the job.
    Uninstall();
    const bool longEnough = std::string(fault.remembered).size() > 4;
    EXPECT_EQ(Text(kWinlogon, "GinaDLL"), longEnough ? fault.remembered : "msgina.dll");
    ExpectRememberedModulesReset();
  }
}

TEST_F(UninstallGinaTest, LeavesAnotherProductsModuleAlone) {
  SetText(kWinlogon, "GinaDLL", "QVGINA.DLL");  // the tests are case-sensitive
  SetText(kSettings, "OrginalGINA", "C:\\Tools\\other.dll");
  Uninstall();
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "QVGINA.DLL");
  ExpectRememberedModulesReset();

  // A second uninstall after a restoration finds another module and leaves it too.
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  SetText(kSettings, "OrginalGINA", "C:\\Tools\\other.dll");
  Uninstall();
  Uninstall();
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "C:\\Tools\\other.dll");
}

TEST_F(UninstallGinaTest, RepairsAMissingOrTooShortWinlogonModule) {
  SetText(kWinlogon, "GinaDLL", "a.dl");
  Uninstall();
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");

  Machine().registry[kWinlogon].erase("GinaDLL");
  Uninstall();
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");

  // A value that is not text reads as the few bytes before its first NUL.
  SetBytes(kWinlogon, "GinaDLL", 4, std::string("\x01\x00\x00\x00", 4));
  Uninstall();
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");

  // Winlogon's key missing: nothing is created.
  RemoveKey(kWinlogon);
  Uninstall();
  EXPECT_FALSE(HasKey(kWinlogon));
}

TEST_F(UninstallGinaTest, NeverReadsPastValuesThatFillTheirBuffer) {
  // Both values fill the 1024-byte buffer without a terminating NUL.
  SetBytes(kWinlogon, "GinaDLL", 1, "qvgina.dll" + std::string(1014, 'x'));
  const std::string displaced = "C:\\" + std::string(1017, 'd') + ".dll";
  SetBytes(kSettings, "OrginalGINA", 1, displaced);
  Uninstall();
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), displaced);
  EXPECT_EQ(Bytes(kWinlogon, "GinaDLL")->size(), 1025u);

  // Longer than the buffer: the read fails and the standard module is written.
  SetBytes(kWinlogon, "GinaDLL", 1, "qvgina.dll" + std::string(1100, 'x'));
  Uninstall();
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");
}

TEST_F(UninstallGinaTest, RunsIntelsToolForIntelChipTypes) {
  const std::string home = InstallToolAtFullPath();
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  for (const char* chipType : {"4", "14", "1234"}) {  // "1234" is longer than chip types were
    SCOPED_TRACE(chipType);
    const std::size_t before = ToolRuns().size();
    SetText(kSettings, "WlanChipType", chipType);
    SetText(kIntelSso, "OrgGinaDLL", "qvgina.dll");
    EXPECT_EQ(Uninstall(), "XP\n");
    const std::vector<ToolRun> runs = ToolRuns();
    ASSERT_EQ(runs.size(), before + 2);
    EXPECT_EQ(runs[before].program, home);
    EXPECT_EQ(runs[before].argv, (std::vector<std::string>{"iWrap.exe", "/CMD:27", "1"}));
    EXPECT_EQ(runs[before + 1].argv, (std::vector<std::string>{"iWrap.exe", "/CMD:28"}));
    EXPECT_EQ(Text(kIntelSso, "OrgGinaDLL"), "msgina.dll");
  }
  const std::vector<standin::ProcessStartRecord> starts = standin::ProcessStarts();
  ASSERT_EQ(starts.size(), 6u);  // each tail started once, from the installed path
  EXPECT_EQ(starts[0].applicationName, "C:\\Program Files\\Intel\\WiFi\\bin\\iWrap.exe");
  EXPECT_EQ(starts[0].commandLine, "iWrap.exe /CMD:27 1");
  EXPECT_EQ(starts[1].commandLine, "iWrap.exe /CMD:28");
  EXPECT_EQ(starts[0].creationFlags, 0x04000000u);
  EXPECT_EQ(starts[0].startupInfoSize, sizeof(STARTUPINFOA));
  EXPECT_FALSE(starts[0].inheritHandles);
}

TEST_F(UninstallGinaTest, APlantedToolNeverRunsWhileTheToolIsInstalled) {
  // An uninstaller often runs in a directory anyone can write to.
  const std::string planted = InstallToolInCurrentDirectory();
  const std::string home = InstallToolAtFullPath();
  SetText(kSettings, "WlanChipType", "4");
  Uninstall();
  const std::vector<ToolRun> runs = ToolRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].program, home);
  EXPECT_EQ(runs[1].program, home);
  EXPECT_NE(home, planted);
  EXPECT_EQ(standin::ProcessStarts().size(), 2u);
}

TEST_F(UninstallGinaTest, FallsBackToTheCurrentDirectory) {
  const std::string local = InstallToolInCurrentDirectory();
  SetText(kSettings, "WlanChipType", "4");
  Uninstall();
  const std::vector<ToolRun> runs = ToolRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].program, local);
  EXPECT_EQ(runs[0].CommandLine(), "iWrap.exe /CMD:27 1");
  EXPECT_EQ(runs[1].CommandLine(), "iWrap.exe /CMD:28");
  const std::vector<standin::ProcessStartRecord> starts = standin::ProcessStarts();
  ASSERT_EQ(starts.size(), 4u);
  EXPECT_EQ(starts[0].applicationName, "C:\\Program Files\\Intel\\WiFi\\bin\\iWrap.exe");
  EXPECT_NE(starts[0].error, 0u);
  EXPECT_EQ(starts[1].applicationName, "iWrap.exe");
  EXPECT_EQ(starts[1].commandLine, "iWrap.exe /CMD:27 1");
  EXPECT_EQ(starts[1].error, 0u);
}

TEST_F(UninstallGinaTest, GoesOnWhenIntelsToolIsNowhere) {
  SetText(kSettings, "WlanChipType", "4");
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  Uninstall();
  // Each tail tried twice: the installed path, then the current directory.
  const std::vector<standin::ProcessStartRecord> starts = standin::ProcessStarts();
  ASSERT_EQ(starts.size(), 4u);
  const char* const kFullPath = "C:\\Program Files\\Intel\\WiFi\\bin\\iWrap.exe";
  EXPECT_EQ(starts[0].applicationName, kFullPath);
  EXPECT_EQ(starts[1].applicationName, "iWrap.exe");
  EXPECT_EQ(starts[2].applicationName, kFullPath);
  EXPECT_EQ(starts[3].applicationName, "iWrap.exe");
  EXPECT_EQ(starts[3].commandLine, "iWrap.exe /CMD:28");
  EXPECT_TRUE(ToolRuns().empty());
  EXPECT_EQ(Text(kIntelSso, "OrgGinaDLL"), "msgina.dll");
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");
}

TEST_F(UninstallGinaTest, LeavesIntelAloneForOtherChipTypes) {
  InstallToolInCurrentDirectory();
  for (const char* chipType : {"3", "", "12356789"}) {
    SCOPED_TRACE(chipType);
    Machine().registry[kSettings].erase("WlanChipType");
    if (*chipType != '\0') SetText(kSettings, "WlanChipType", chipType);
    Uninstall();
    EXPECT_TRUE(standin::ProcessStarts().empty());
    EXPECT_EQ(Text(kIntelSso, "OrgGinaDLL"), "qvgina.dll");
  }
}

TEST_F(UninstallGinaTest, GivesUpOnAToolThatDoesNotEnd) {
  InstallToolAtFullPath();
  SetText(kSettings, "WlanChipType", "4");
  setenv("QV_STUB_HANG", "60", 1);
  gina::SetToolWaitSecondsForTesting(1);
  const auto start = std::chrono::steady_clock::now();
  Uninstall();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(1900));  // both starts were waited for
  EXPECT_LT(elapsed, std::chrono::seconds(30));
  const std::vector<ToolRun> runs = ToolRuns();
  ASSERT_EQ(runs.size(), 2u);  // each started from the installed path: no fallback
  EXPECT_EQ(Text(kIntelSso, "OrgGinaDLL"), "msgina.dll");

  // The tools were left running; once they end they are reaped by a later process call.
  for (const ToolRun& run : runs) {
    EXPECT_EQ(kill(run.pid, 0), 0);
    kill(run.pid, SIGKILL);
  }
  for (int attempt = 0; attempt < 200; ++attempt) {
    WaitForSingleObject(nullptr, 0);  // any process call reaps finished orphans
    if (kill(runs[0].pid, 0) != 0 && kill(runs[1].pid, 0) != 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(kill(runs[0].pid, 0), 0);
  EXPECT_NE(kill(runs[1].pid, 0), 0);
}

TEST_F(UninstallGinaTest, DoesNothingAfterTheXpGeneration) {
  SetText(kSettings, "WlanChipType", "4");
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  InstallToolInCurrentDirectory();
  Machine().os = machine::OsVersion{6, 0};
  const machine::Registry before = Machine().registry;
  EXPECT_EQ(Uninstall(), "");
  EXPECT_EQ(Machine().registry.size(), before.size());
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "qvgina.dll");
  EXPECT_EQ(Text(kSettings, "QVGinaEnabled"), "1");
  EXPECT_EQ(standin::CallCount("RegOpenKeyExA"), 0);
  EXPECT_TRUE(standin::ProcessStarts().empty());

  // The Linux host has no registry and a later version: nothing happens there either.
  standin::UseMachine(machine::LoadHost());
  EXPECT_EQ(Uninstall(), "");
  EXPECT_EQ(standin::CallCount("RegOpenKeyExA"), 0);
}

TEST_F(UninstallGinaTest, RunsWhenTheVersionIsUnknown) {
  standin::InjectFault("GetVersionExA");
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  EXPECT_EQ(Uninstall(), "XP\n");
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");
}

TEST_F(UninstallGinaTest, RestoresWinlogonWithoutTheProductsSettingsKey) {
  RemoveKey(kSettings);
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  InstallToolInCurrentDirectory();
  EXPECT_EQ(Uninstall(), "XP\n");
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll");
  EXPECT_FALSE(HasKey(kSettings));
  EXPECT_TRUE(standin::ProcessStarts().empty());
}

TEST_F(UninstallGinaTest, OpensEachKeyInItsViewWithItsAccess) {
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  SetText(kSettings, "OrginalGINA", "C:\\Tools\\other.dll");
  SetText(kSettings, "WlanChipType", "4");
  Uninstall();
  const std::vector<std::pair<std::string, DWORD>> expected = {
      {kSettings, 0x20007},  // "QVGinaEnabled" written
      {kSettings, 0x201},    // "WlanChipType" read, 32-bit view
      {kIntelSso, 0x20007},  // "OrgGinaDLL" written
      {kWinlogon, 0x101},    // "GinaDLL" read, 64-bit view
      {kSettings, 0x201},    // "OrginalGINA" read, 32-bit view
      {kWinlogon, 0x20107},  // "GinaDLL" written, 64-bit view
      {kSettings, 0x20007},  // "OrginalGINA" written
      {kSettings, 0x20007},  // "PrevGINA" written
  };
  std::vector<std::pair<std::string, DWORD>> opened;
  for (const standin::RegistryOpenRecord& open : standin::RegistryOpens())
    opened.emplace_back(open.path, open.access);
  EXPECT_EQ(opened, expected);
  EXPECT_EQ(standin::CallCount("RegFlushKey"), 5);
  EXPECT_EQ(standin::CallCount("RegCloseKey"), 8);
}

TEST_F(UninstallGinaTest, SurvivesFailingPlatformCalls) {
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  SetText(kSettings, "OrginalGINA", "C:\\Tools\\other.dll");
  SetText(kSettings, "WlanChipType", "4");
  InstallToolInCurrentDirectory();
  for (const char* call : {"RegOpenKeyExA", "RegQueryValueExA", "RegSetValueExA", "RegFlushKey",
                           "CreateProcessA", "WaitForSingleObject"}) {
    SCOPED_TRACE(call);
    standin::ClearFaults();
    standin::InjectFault(call);
    Uninstall();
    standin::ClearFaults();
  }
  // Only writes that failed kept the old values; a later clean run finishes the job.
  Uninstall();
  EXPECT_EQ(Text(kSettings, "QVGinaEnabled"), "0");
  EXPECT_EQ(Text(kIntelSso, "OrgGinaDLL"), "msgina.dll");
}

}  // namespace
}  // namespace qv::test
