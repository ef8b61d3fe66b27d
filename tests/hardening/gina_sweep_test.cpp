// The fault sweep over UninstallQVGina on an XP-generation machine where the product's module
// is active and Intel's tool must run: each registry, version and process call fails in turn,
// and the export still answers 0 with every key, process and thread handle closed.
#include <stdlib.h>

#include <filesystem>

#include "exports/qvsupport.h"
#include "gina/tool_wait.h"
#include "tests/hardening/fault_sweep.h"
#include "tests/hardening/hardening_fixture.h"
#include "winapi/posix/current_machine.h"

namespace qv::hardening {
namespace {

constexpr char kSettings[] = "SOFTWARE\\Vexa\\VexaLumacore\\KPQ\\Settings\\GlobalData";
constexpr char kWinlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kIntelSso[] = "SOFTWARE\\Intel\\Wireless\\cswSSO";

void SetText(machine::Machine& target, const std::string& key, const std::string& name,
             const std::string& text) {
  const std::string bytes = text + std::string(1, '\0');
  target.registry[key][name] = machine::RegistryValue{1, {bytes.begin(), bytes.end()}};
}

// Everything the restoration can do: the product's module to take out, a displaced module to
// put back, and an Intel chip type that calls for Intel's tool.
std::shared_ptr<machine::Machine> XpMachineWithTheProductsModule() {
  auto simulated = std::make_shared<machine::Machine>();
  simulated->description = "XP-generation machine with the product's logon module";
  simulated->os = machine::OsVersion{5, 1};
  SetText(*simulated, kSettings, "QVGinaEnabled", "1");
  SetText(*simulated, kSettings, "OrginalGINA", "C:\\Tools\\other.dll");
  SetText(*simulated, kSettings, "PrevGINA", "C:\\Tools\\other.dll");
  SetText(*simulated, kSettings, "WlanChipType", "4");
  SetText(*simulated, kWinlogon, "GinaDLL", "qvgina.dll");
  SetText(*simulated, kWinlogon, "Shell", "Explorer.exe");
  SetText(*simulated, kIntelSso, "OrgGinaDLL", "qvgina.dll");
  return simulated;
}

class GinaSweepTest : public HardeningTest {
 protected:
  void SetUp() override {
    HardeningTest::SetUp();
    std::filesystem::copy_file(QV_GINA_STUB_TOOL, dir_.File("iWrap.exe"));
    setenv("QV_DRIVE_C", driveC_.Path().c_str(), 1);
    setenv("QV_STUB_LOG", driveC_.File("tool.log").c_str(), 1);
    unsetenv("QV_STUB_HANG");
    // A fault that loses sight of the tool's end must not cost the sweep 20 s each time.
    gina::SetToolWaitSecondsForTesting(2);
  }

  void TearDown() override {
    unsetenv("QV_DRIVE_C");
    unsetenv("QV_STUB_LOG");
    HardeningTest::TearDown();
  }

  test::TempDirectory driveC_;
};

int UninstallQuietly() {
  ::testing::internal::CaptureStdout();
  const int result = UninstallQVGina(0);
  ::testing::internal::GetCapturedStdout();
  return result;
}

TEST_F(GinaSweepTest, UninstallQVGinaAnswersZeroWhateverFails) {
  standin::UseMachine(XpMachineWithTheProductsModule());
  EXPECT_EQ(UninstallQuietly(), 0);
  EXPECT_TRUE(std::filesystem::exists(driveC_.File("tool.log"))) << "the tool did not run";

  SweepCase sweep;
  sweep.exportName = "UninstallQVGina";
  sweep.prepare = [] { standin::UseMachine(XpMachineWithTheProductsModule()); };
  sweep.call = UninstallQuietly;
  sweep.documented = [](int result) { return result == 0; };
  const SweepOutcome outcome = RunFaultSweep(sweep);
  EXPECT_GT(outcome.callSites, 10);
  RecordCoverage("UninstallQVGina", outcome);
  AcceptHeldResources();
}

}  // namespace
}  // namespace qv::hardening
