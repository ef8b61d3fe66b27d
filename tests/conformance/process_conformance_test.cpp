// Starting a program with an explicit application name and waiting for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/conformance/conformance_platform.h"
#include "winapi/win32.h"

namespace {

using qv::conformance::ChildProgram;

// Starts `child`; on success the caller owns the handles in `info`.
bool Start(const ChildProgram& child, PROCESS_INFORMATION& info) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::vector<char> commandLine(child.commandLine.begin(), child.commandLine.end());
  commandLine.push_back('\0');
  info = PROCESS_INFORMATION{};
  return CreateProcessA(child.application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info) != FALSE;
}

void CloseBoth(const PROCESS_INFORMATION& info) {
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
}

TEST(ProcessConformance, WaitingSeesTheChildEnd) {
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Start(qv::conformance::QuickChild(), info)) << GetLastError();
  EXPECT_NE(info.hProcess, nullptr);
  EXPECT_NE(info.hThread, nullptr);
  EXPECT_NE(info.dwProcessId, 0u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
  CloseBoth(info);
}

TEST(ProcessConformance, AWaitThatRunsOutReportsTimeout) {
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Start(qv::conformance::SlowChild(), info)) << GetLastError();
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
  CloseBoth(info);
}

TEST(ProcessConformance, AnExplicitNameIsNotLookedUpOnTheSearchPath) {
  PROCESS_INFORMATION info;
  ChildProgram bare = qv::conformance::QuickChild();
  bare.application = qv::conformance::ProgramOnSearchPathOnly();
  SetLastError(0);
  EXPECT_FALSE(Start(bare, info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  bare.application = "qv-no-such-program.exe";
  SetLastError(0);
  EXPECT_FALSE(Start(bare, info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(ProcessConformance, WaitingOnNoHandleFails) {
  SetLastError(0);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
