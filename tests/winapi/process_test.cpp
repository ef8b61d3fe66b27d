// The process stand-in: version query, program resolution and error codes, command-line
// splitting, waiting and handle lifetimes.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "machine/machine.h"
#include "tests/support/fresh_books.h"
#include "tests/support/temp_directory.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/process_command_line.h"
#include "winapi/win32.h"

namespace qv::test {
namespace {

using Arguments = std::vector<std::string>;

TEST(ProcessStandinTest, VersionQueryChecksTheStructureSize) {
  auto machine = std::make_shared<machine::Machine>();
  machine->os = machine::OsVersion{5, 2};
  standin::UseMachine(machine);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(sizeof(info), 148u);
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwMinorVersion, 2u);
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  info.dwOSVersionInfoSize = 156;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(GetVersionExA(nullptr));
  standin::ForgetMachine();
}

TEST(ProcessStandinTest, SplitsCommandLinesByWindowsRules) {
  EXPECT_EQ(standin::SplitCommandLine("iWrap.exe /CMD:27 1"),
            (Arguments{"iWrap.exe", "/CMD:27", "1"}));
  EXPECT_EQ(standin::SplitCommandLine("  \"C:\\Program Files\\a b.exe\"  x\t\"y z\"  "),
            (Arguments{"C:\\Program Files\\a b.exe", "x", "y z"}));
  EXPECT_EQ(standin::SplitCommandLine("p a\\\\\"b c\" d\\\"e f\\g \"\""),
            (Arguments{"p", "a\\b c", "d\"e", "f\\g", ""}));
  EXPECT_EQ(standin::SplitCommandLine("p \"unclosed arg"), (Arguments{"p", "unclosed arg"}));
  EXPECT_TRUE(standin::SplitCommandLine("   ").empty());
}

class ProcessStartTest : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override {
    current_.Enter();
    setenv("QV_STUB_LOG", scratch_.File("tool.log").c_str(), 1);
    unsetenv("QV_STUB_HANG");
    unsetenv("QV_DRIVE_C");
    std::filesystem::copy_file(QV_GINA_STUB_TOOL, current_.File("tool.exe"));
    FreshBooksTest::SetUp();
  }
  void TearDown() override {
    unsetenv("QV_STUB_LOG");
    unsetenv("QV_STUB_HANG");
    FreshBooksTest::TearDown();
  }

  // Starts `application` with `commandLine`: 0 with the handles in `info`, else the error.
  DWORD Start(const char* application, std::string commandLine, PROCESS_INFORMATION* info,
              DWORD flags = 0, const char* environment = nullptr, const char* directory = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    *info = PROCESS_INFORMATION{};
    SetLastError(0);
    void* block = const_cast<char*>(environment);
    return CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE, flags, block,
                          directory, &startup, info)
               ? 0
               : GetLastError();
  }
  DWORD StartError(const char* application) {
    PROCESS_INFORMATION info;
    return Start(application, "x", &info);
  }
  // Runs to the end and closes both handles.
  void Finish(PROCESS_INFORMATION& info) {
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
  }
  std::vector<std::string> LoggedLine() {
    std::ifstream log(scratch_.File("tool.log"));
    std::string line;
    std::getline(log, line);
    std::vector<std::string> fields;
    for (std::size_t at = 0; at <= line.size();) {
      const std::size_t tab = std::min(line.find('\t', at), line.size());
      fields.push_back(line.substr(at, tab - at));
      at = tab + 1;
    }
    return fields;
  }

  TempDirectory current_;
  TempDirectory scratch_;
};

TEST_F(ProcessStartTest, RunsTheNamedProgramWithTheCommandLineAsArguments) {
  PROCESS_INFORMATION info;
  ASSERT_EQ(Start("tool.exe", "iWrap.exe \"two words\" /CMD:28", &info), 0u);
  EXPECT_EQ(standin::Outstanding(standin::Resource::Process), 1);
  EXPECT_EQ(standin::Outstanding(standin::Resource::Thread), 1);
  EXPECT_NE(info.dwProcessId, 0u);
  Finish(info);
  const std::vector<std::string> logged = LoggedLine();
  ASSERT_EQ(logged.size(), 6u);
  EXPECT_EQ(logged[0], current_.File("tool.exe"));
  EXPECT_EQ(logged[1], std::to_string(info.dwProcessId));
  EXPECT_EQ((Arguments{logged[3], logged[4], logged[5]}),
            (Arguments{"iWrap.exe", "two words", "/CMD:28"}));
}

TEST_F(ProcessStartTest, PassesEnvironmentAndDirectory) {
  const std::string log = "QV_STUB_LOG=" + scratch_.File("tool.log");
  const std::string block = log + '\0' + "=C:=C:\\" + '\0' + "OTHER=1" + '\0' + '\0';
  PROCESS_INFORMATION info;
  ASSERT_EQ(Start("tool.exe", "tool", &info, CREATE_DEFAULT_ERROR_MODE, block.c_str(),
                  scratch_.Path().c_str()),
            0u);
  Finish(info);
  EXPECT_EQ(LoggedLine().at(2), scratch_.Path());
  EXPECT_EQ(Start("tool.exe", "tool", &info, 0, nullptr, current_.File("none").c_str()),
            static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST_F(ProcessStartTest, ReportsWhyAProgramCannotStart) {
  EXPECT_EQ(StartError("missing.exe"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(StartError("sh"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));  // no search path
  EXPECT_EQ(StartError("nodir\\tool.exe"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(StartError("C:\\tool.exe"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));  // no drive
  EXPECT_EQ(StartError("\\\\server\\share\\tool.exe"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(StartError("."), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  current_.Write("text.exe", "not a program");
  EXPECT_EQ(StartError("text.exe"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  chmod(current_.File("text.exe").c_str(), 0755);
  EXPECT_EQ(StartError("text.exe"), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));

  PROCESS_INFORMATION info;
  EXPECT_EQ(Start("tool.exe", "t", &info, CREATE_SUSPENDED),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  standin::InjectFault("CreateProcessA", 1);
  EXPECT_EQ(StartError("tool.exe"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  standin::ClearFaults();
}

TEST_F(ProcessStartTest, DriveLettersMapToTheirConfiguredRoots) {
  std::filesystem::create_directories(scratch_.File("c/bin"));
  std::filesystem::copy_file(QV_GINA_STUB_TOOL, scratch_.File("c/bin/tool.exe"));
  setenv("QV_DRIVE_C", scratch_.File("c").c_str(), 1);
  PROCESS_INFORMATION info;
  ASSERT_EQ(Start("c:\\bin\\tool.exe", "tool", &info), 0u);
  Finish(info);
  EXPECT_EQ(LoggedLine().at(0), scratch_.File("c/bin/tool.exe"));
  unsetenv("QV_DRIVE_C");
}

TEST_F(ProcessStartTest, WaitsWithATimeoutOnProcessAndThreadHandles) {
  setenv("QV_STUB_HANG", "60", 1);
  PROCESS_INFORMATION info;
  ASSERT_EQ(Start("tool.exe", "tool", &info), 0u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(info.hThread, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  kill(static_cast<pid_t>(info.dwProcessId), SIGKILL);
  EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(info.hProcess));
}

}  // namespace
}  // namespace qv::test
