// Reading and writing values under HKEY_LOCAL_MACHINE: the return codes, the size protocol of
// RegQueryValueExA, the access rights a handle was opened with, and flushing a written key.
#include <gtest/gtest.h>

#include <string>

#include "tests/conformance/conformance_platform.h"
#include "winapi/win32.h"

namespace {

const char kKeyPath[] = "SOFTWARE\\QvConformance\\Registry";

class RegistryConformance : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(key_.ok()); }

  HKEY Open(REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, access, &key), ERROR_SUCCESS);
    return key;
  }

  qv::conformance::ScopedRegistryKey key_{kKeyPath, {{"GinaDLL", "qvgina.dll"}}};
};

TEST_F(RegistryConformance, MissingKeysAndValuesAreNotFound) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\QvConformance\\Absent", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);

  key = Open(KEY_READ);
  ASSERT_NE(key, nullptr);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "NoSuchValue", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryConformance, QueryReportsTypeAndSizeAndAsksForRoom) {
  HKEY key = Open(KEY_READ);
  ASSERT_NE(key, nullptr);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "GinaDLL", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 11u);  // "qvgina.dll" and its terminator

  char small[4] = {};
  size = sizeof small;
  EXPECT_EQ(
      RegQueryValueExA(key, "GinaDLL", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
      ERROR_MORE_DATA);
  EXPECT_EQ(size, 11u);

  char text[32] = {};
  size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "GinaDLL", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(text), "qvgina.dll");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryConformance, WritingNeedsSetValueAccess) {
  const std::string text = "msgina.dll";
  const auto* data = reinterpret_cast<const BYTE*>(text.c_str());
  const DWORD size = static_cast<DWORD>(text.size() + 1);

  HKEY readOnly = Open(KEY_QUERY_VALUE);
  ASSERT_NE(readOnly, nullptr);
  EXPECT_EQ(RegSetValueExA(readOnly, "GinaDLL", 0, REG_SZ, data, size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);

  HKEY writable = Open(KEY_QUERY_VALUE | KEY_SET_VALUE);
  ASSERT_NE(writable, nullptr);
  EXPECT_EQ(RegSetValueExA(writable, "GinaDLL", 0, REG_SZ, data, size), ERROR_SUCCESS);
  char back[32] = {};
  DWORD backSize = sizeof back;
  EXPECT_EQ(RegQueryValueExA(writable, "GinaDLL", nullptr, nullptr, reinterpret_cast<BYTE*>(back),
                             &backSize),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(back), text);
  EXPECT_EQ(RegCloseKey(writable), ERROR_SUCCESS);
}

// The logon-module restoration flushes each key it wrote, opened for writing, before closing it.
TEST_F(RegistryConformance, FlushingNeedsAnOpenKey) {
  HKEY writable = Open(KEY_WRITE | KEY_QUERY_VALUE);
  ASSERT_NE(writable, nullptr);
  const std::string text = "msgina.dll";
  EXPECT_EQ(
      RegSetValueExA(writable, "GinaDLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)),
      ERROR_SUCCESS);
  EXPECT_EQ(RegFlushKey(writable), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(writable), ERROR_SUCCESS);

  EXPECT_EQ(RegFlushKey(writable), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegFlushKey(nullptr), ERROR_INVALID_HANDLE);
}

}  // namespace
