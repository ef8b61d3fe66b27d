// A named record seen from two Windows processes, as the hardware-configuration record is
// shared with the product's other processes: the second opener learns ERROR_ALREADY_EXISTS and
// both see the same bytes; once both are gone the name gives a fresh record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "winapi/win32.h"

namespace {

constexpr DWORD kRecordSize = 712;

HANDLE CreateRecord(const std::string& name) {
  return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordSize,
                            name.c_str());
}

// Runs mapping_peer on the record; its exit code, or -1 when it could not be run.
int RunPeer(const std::string& name, const std::string& text) {
  std::string commandLine = "mapping_peer " + name + " " + text;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(QV_MAPPING_PEER_PATH, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info))
    return -1;
  DWORD exitCode = 0;
  const bool ended = WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(info.hProcess, &exitCode);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return ended ? static_cast<int>(exitCode) : -1;
}

TEST(SharedRecord, SecondProcessSharesTheRecord) {
  const std::string name = "QvSharedRecord-" + std::to_string(GetCurrentProcessId());
  HANDLE mapping = CreateRecord(name);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  std::strcpy(view, "capabilities");

  EXPECT_EQ(RunPeer(name, "capabilities"), 0);
  EXPECT_STREQ(view + 100, "peer");

  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
  // Both holders are gone: the peer now creates the record afresh and finds it not shared.
  EXPECT_EQ(RunPeer(name, "capabilities"), 3);
}

}  // namespace
