// The registry helpers and RunProgram that the restoration is built from.
#include <gtest/gtest.h>

#include <filesystem>

#include "gina/registry_value.h"
#include "gina/run_program.h"
#include "tests/gina/gina_fixture.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/process_log.h"

namespace qv::test {
namespace {

using qv::win::RegistryView;
using RegistryHelpersTest = GinaMachineTest;

TEST_F(RegistryHelpersTest, WritesOnlyTextsWithinTheLimitIntoExistingKeys) {
  EXPECT_EQ(
      gina::WriteRegistryValue(kSettings, "A", REG_SZ, "msgina.dll", 10, RegistryView::kDefault),
      1);
  EXPECT_EQ(Bytes(kSettings, "A")->size(), 11u);
  EXPECT_EQ(
      gina::WriteRegistryValue(kSettings, "B", REG_SZ, "msgina.dll", 9, RegistryView::kDefault), 0);
  EXPECT_FALSE(Bytes(kSettings, "B"));
  EXPECT_EQ(standin::CallCount("RegOpenKeyExA"), 1);  // the refused text never opened the key

  // Other types store exactly the limit's bytes.
  const BYTE word[4] = {1, 0, 0, 0};
  EXPECT_EQ(gina::WriteRegistryValue(kSettings, "C", REG_DWORD, word, 4, RegistryView::k64Bit), 1);
  EXPECT_EQ(Bytes(kSettings, "C"), (std::vector<std::uint8_t>{1, 0, 0, 0}));

  EXPECT_EQ(
      gina::WriteRegistryValue("SOFTWARE\\Nowhere", "A", REG_SZ, "x", 10, RegistryView::kDefault),
      0);
  EXPECT_FALSE(HasKey("SOFTWARE\\Nowhere"));
  const std::string longPath = std::string(kSettings) + "\\" + std::string(250, 'k');
  SetText(longPath, "A", "old");
  EXPECT_EQ(
      gina::WriteRegistryValue(longPath.c_str(), "A", REG_SZ, "x", 10, RegistryView::kDefault), 0);
  EXPECT_EQ(Text(longPath, "A"), "old");
  EXPECT_EQ(standin::OutstandingReport(), "");
}

TEST_F(RegistryHelpersTest, FlushesAndClosesAfterAFailedSet) {
  standin::InjectFault("RegSetValueExA");
  EXPECT_EQ(gina::WriteRegistryValue(kSettings, "A", REG_SZ, "x", 10, RegistryView::kDefault), 0);
  EXPECT_EQ(standin::CallCount("RegFlushKey"), 1);
  EXPECT_EQ(standin::CallCount("RegCloseKey"), 1);
  EXPECT_EQ(standin::OutstandingReport(), "");
}

TEST_F(RegistryHelpersTest, ReadsReturnTheStoredByteCount) {
  SetBytes(kSettings, "Raw", REG_BINARY, "abcd");  // no NUL
  BYTE buffer[8] = {};
  DWORD count = sizeof(buffer);
  EXPECT_EQ(gina::ReadRegistryValue(kSettings, "Raw", buffer, &count, RegistryView::k32Bit), 1);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(gina::TextOfValue(buffer, count), "abcd");
  count = 2;
  EXPECT_EQ(gina::ReadRegistryValue(kSettings, "Raw", buffer, &count, RegistryView::k32Bit), 0);
  EXPECT_EQ(gina::ReadRegistryValue(kSettings, "None", buffer, &count, RegistryView::k32Bit), 0);
  EXPECT_EQ(gina::ReadRegistryValue("SOFTWARE\\Nowhere", "A", buffer, &count, RegistryView::k32Bit),
            0);
  const BYTE embedded[] = {'a', 0, 'b'};
  EXPECT_EQ(gina::TextOfValue(embedded, 3), "a");
  EXPECT_EQ(gina::TextOfValue(nullptr, 0), "");
  EXPECT_EQ(standin::OutstandingReport(), "");
}

using RunProgramTest = GinaMachineTest;

TEST_F(RunProgramTest, BuildsTheCommandLineFromTheFileNameAndTail) {
  const std::string home = InstallToolAtFullPath();
  const char* fullPath = "C:\\Program Files\\Intel\\WiFi\\bin\\iWrap.exe";
  EXPECT_EQ(gina::RunProgram(fullPath, "/CMD:28", 5), 0u);
  EXPECT_EQ(gina::RunProgram(fullPath, "", 5), 0u);
  EXPECT_EQ(gina::RunProgram(fullPath, "  two", 5), 0u);
  const std::vector<standin::ProcessStartRecord> starts = standin::ProcessStarts();
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[0].commandLine, "iWrap.exe /CMD:28");
  EXPECT_EQ(starts[1].commandLine, "iWrap.exe");
  EXPECT_EQ(starts[2].commandLine, "iWrap.exe  two");
  EXPECT_EQ(ToolRuns().size(), 3u);
  EXPECT_EQ(ToolRuns()[0].program, home);
  EXPECT_EQ(standin::OutstandingReport(), "");
}

TEST_F(RunProgramTest, ReturnsTheSystemErrorWhenNothingStarts) {
  EXPECT_EQ(gina::RunProgram("iWrap.exe", " /CMD:28", 5), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(gina::RunProgram("D:\\iWrap.exe", " /CMD:28", 5),
            static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(gina::RunProgram(nullptr, " /CMD:28", 5), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(standin::OutstandingReport(), "");
}

}  // namespace
}  // namespace qv::test
