// Telling Intel's single-sign-on: each start of its tool is waited for with the full 20 seconds
// (20000 ms reach WaitForSingleObject), and a missing Intel key is never created.
#include <set>
#include <string>
#include <vector>

#include "tests/gina/gina_fixture.h"
#include "winapi/posix/process_log.h"

namespace qv::test {
namespace {

using IntelToolTest = GinaMachineTest;

// Every started tool was waited for exactly once, with `milliseconds`; returns the starts.
std::size_t ExpectEachStartWaitedFor(DWORD milliseconds) {
  std::set<int> started;
  for (const standin::ProcessStartRecord& start : standin::ProcessStarts())
    if (start.error == 0) started.insert(start.pid);
  std::multiset<int> waited;
  for (const standin::ProcessWaitRecord& wait : standin::ProcessWaits()) {
    EXPECT_EQ(wait.milliseconds, milliseconds) << "wait for process " << wait.pid;
    waited.insert(wait.pid);
  }
  EXPECT_EQ(waited, std::multiset<int>(started.begin(), started.end()));
  return started.size();
}

TEST_F(IntelToolTest, EachStartIsWaitedForTwentySeconds) {
  // The stub ends at once, so the full wait costs nothing here.
  InstallToolInCurrentDirectory();
  SetText(kSettings, "WlanChipType", "4");
  Uninstall();
  EXPECT_EQ(ExpectEachStartWaitedFor(20000), 2u);
  EXPECT_EQ(ToolRuns().size(), 2u);
}

TEST_F(IntelToolTest, TheFullPathStartsAreWaitedForTwentySecondsToo) {
  InstallToolAtFullPath();
  SetText(kSettings, "WlanChipType", "14");
  Uninstall();
  EXPECT_EQ(ExpectEachStartWaitedFor(20000), 2u);
  EXPECT_EQ(ToolRuns().size(), 2u);
}

TEST_F(IntelToolTest, AMissingIntelKeyIsNotCreated) {
  InstallToolInCurrentDirectory();
  RemoveKey(kIntelSso);
  SetText(kSettings, "WlanChipType", "4");
  SetText(kWinlogon, "GinaDLL", "qvgina.dll");
  EXPECT_EQ(Uninstall(), "XP\n");
  EXPECT_EQ(ToolRuns().size(), 2u) << "the tool is still told";
  EXPECT_FALSE(HasKey(kIntelSso));
  EXPECT_EQ(Text(kWinlogon, "GinaDLL"), "msgina.dll") << "the restoration went on";
  ExpectRememberedModulesReset();
}

}  // namespace
}  // namespace qv::test
