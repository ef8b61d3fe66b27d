// EncryptSysIds killed with SIGKILL at moments spread over its whole run: whenever the writer
// dies, "vexasysids.enc" is the old list or the complete new one, never anything in between. A
// temporary file that a kill leaves behind is never read and the next run replaces it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exports/qvsupport.h"
#include "tests/support/temp_directory.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 240;

std::string DataFile(const std::string& name) {
  return std::string(QV_SOURCE_DIR) + "/tests/data/" + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Starts a child that runs EncryptSysIds on `plainList` in the current directory; returns once
// the child is about to call it. With `killAfter` the child is killed that long after, otherwise
// it is waited for. Returns how long the child ran from the call on.
Clock::duration RunWriter(const std::string& plainList, const Clock::duration* killAfter) {
  int ready[2];
  if (pipe(ready) != 0) {
    ADD_FAILURE() << "pipe failed";
    return {};
  }
  const pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    const char go = 'g';
    if (write(ready[1], &go, 1) != 1) _exit(3);
    _exit(EncryptSysIds(plainList.c_str()) == 0 ? 0 : 2);
  }
  close(ready[1]);
  char go = 0;
  const bool started = pid > 0 && read(ready[0], &go, 1) == 1;
  close(ready[0]);
  const Clock::time_point start = Clock::now();
  if (!started) {
    ADD_FAILURE() << "the writer did not start";
    if (pid > 0) waitpid(pid, nullptr, 0);
    return {};
  }
  if (killAfter != nullptr) {
    while (Clock::now() - start < *killAfter) {
    }
    kill(pid, SIGKILL);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (killAfter == nullptr) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  return Clock::now() - start;
}

TEST(KillAtAnyPoint, TheListFileIsAlwaysTheOldOrTheCompleteNewOne) {
  qv::test::TempDirectory dir;
  dir.Enter();
  const std::string plainList = DataFile("crossbuild-sysids-max.txt");  // the largest list
  const std::string newList = ReadAll(DataFile("crossbuild-sysids-max.enc"));
  const std::string oldList = ReadAll(DataFile("crossbuild-sysids.enc"));
  ASSERT_EQ(newList.size(), 10232u);

  // Undisturbed runs: the longest one sets the span over which the kills are spread. The first
  // run in this process also loads the cipher, so the children do not spend their time on it.
  ASSERT_EQ(EncryptSysIds(plainList.c_str()), 0);
  std::vector<Clock::duration> spans;
  for (int i = 0; i < 5; ++i) spans.push_back(RunWriter(plainList, nullptr));
  std::sort(spans.begin(), spans.end());
  const Clock::duration span = spans[spans.size() / 2];
  ASSERT_EQ(dir.Read("vexasysids.enc"), newList);

  int keptOld = 0;
  int becameNew = 0;
  int leftTemporary = 0;
  for (int run = 0; run < kRuns; ++run) {
    dir.Write("vexasysids.enc", oldList);
    // From the moment the call begins to a quarter beyond its usual end.
    const Clock::duration killAfter = span * 5 * run / (4 * kRuns);
    RunWriter(plainList, &killAfter);
    const std::string content = dir.Read("vexasysids.enc");
    if (content == oldList) {
      ++keptOld;
    } else if (content == newList) {
      ++becameNew;
    } else {
      ADD_FAILURE() << "run " << run << " left " << content.size() << " bytes that are neither";
    }
    if (dir.Exists("vexasysids.enc.tmp")) ++leftTemporary;
  }
  EXPECT_GT(keptOld, 0) << "no kill came before the file was replaced";
  EXPECT_GT(becameNew, 0) << "no kill came after the file was replaced";
  std::cout << "kills: " << keptOld << " kept the old list, " << becameNew << " found the new one, "
            << leftTemporary << " left the temporary file; an undisturbed run took "
            << std::chrono::duration_cast<std::chrono::microseconds>(span).count() << " us\n";

  // A temporary file left by a kill does not disturb the next run, which takes it away.
  dir.Write("vexasysids.enc.tmp", oldList.substr(0, 100));
  dir.Write("vexasysids.enc", oldList);
  ASSERT_EQ(EncryptSysIds(plainList.c_str()), 0);
  EXPECT_EQ(dir.Read("vexasysids.enc"), newList);
  EXPECT_FALSE(dir.Exists("vexasysids.enc.tmp"));
}

}  // namespace
