// The registry stand-in follows Win32's documented results over the simulated machine.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "machine/machine.h"
#include "tests/support/fresh_books.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/registry_log.h"
#include "winapi/win32.h"

namespace qv::test {
namespace {

constexpr char kKey[] = "SOFTWARE\\Example\\Settings";

class RegistryStandinTest : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override {
    auto machine = std::make_shared<machine::Machine>();
    machine->registry[kKey]["Name"] = machine::RegistryValue{REG_SZ, {'a', 'b', 'c', 0}};
    machine->registry["SOFTWARE\\Example\\Settings\\Deeper\\Leaf"]["x"] = {};
    machine_ = machine;
    standin::UseMachine(machine);
    FreshBooksTest::SetUp();
  }
  HKEY Open(const char* path, REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key), ERROR_SUCCESS) << path;
    return key;
  }

  std::shared_ptr<machine::Machine> machine_;
};

TEST_F(RegistryStandinTest, OpensOnlyExistingKeysAndNeverCreatesThem) {
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(machine_->registry.count("SOFTWARE\\Missing"), 0u);

  // Case does not matter; keys that only have keys below them exist too.
  HKEY settings = Open("software\\EXAMPLE\\settings", KEY_QUERY_VALUE | KEY_WOW64_32KEY);
  HKEY deeper = nullptr;
  EXPECT_EQ(RegOpenKeyExA(settings, "Deeper", 0, KEY_READ, &deeper), ERROR_SUCCESS);
  EXPECT_EQ(standin::Outstanding(standin::Resource::RegistryKey), 2);
  EXPECT_EQ(standin::RegistryOpens().back().path, "software\\EXAMPLE\\settings\\Deeper");
  EXPECT_EQ(RegCloseKey(deeper), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(settings), ERROR_SUCCESS);

  EXPECT_EQ(RegCloseKey(settings), ERROR_INVALID_HANDLE);  // already closed
  EXPECT_EQ(RegOpenKeyExA(settings, "Deeper", 0, KEY_READ, &deeper), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryStandinTest, QueriesReportSizesAndShortBuffers) {
  HKEY key = Open(kKey, KEY_QUERY_VALUE);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);  // the stored NUL counts
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  BYTE small[3] = {9, 9, 9};
  size = sizeof(small);
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);

  BYTE exact[4] = {};
  size = sizeof(exact);
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, exact, &size), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(exact), "abc");

  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, exact, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, exact, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryStandinTest, WritesNeedWriteAccessAndStoreTheBytesGiven) {
  HKEY reader = Open(kKey, KEY_QUERY_VALUE);
  const BYTE text[] = "xyz";
  EXPECT_EQ(RegSetValueExA(reader, "New", 0, REG_SZ, text, 4), ERROR_ACCESS_DENIED);
  RegCloseKey(reader);

  HKEY writer = Open(kKey, KEY_SET_VALUE);
  EXPECT_EQ(RegSetValueExA(writer, "New", 0, REG_SZ, text, 3), ERROR_SUCCESS);  // no NUL
  EXPECT_EQ(machine_->registry[kKey]["NEW"].data, (std::vector<std::uint8_t>{'x', 'y', 'z'}));
  EXPECT_EQ(RegSetValueExA(writer, "New", 0, REG_BINARY, nullptr, 2), ERROR_NOACCESS);
  BYTE buffer[4] = {};
  DWORD size = sizeof(buffer);
  EXPECT_EQ(RegQueryValueExA(writer, "New", nullptr, nullptr, buffer, &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegFlushKey(writer), ERROR_SUCCESS);
  RegCloseKey(writer);
  EXPECT_EQ(RegFlushKey(writer), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStandinTest, InjectedFailuresReturnErrors) {
  HKEY key = nullptr;
  standin::InjectFault("RegOpenKeyExA", 1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(standin::Outstanding(standin::Resource::RegistryKey), 0);
  key = Open(kKey, KEY_ALL_ACCESS);
  standin::InjectFault("RegQueryValueExA");
  standin::InjectFault("RegSetValueExA");
  DWORD size = 0;
  EXPECT_NE(RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_NE(RegSetValueExA(key, "Name", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(machine_->registry[kKey]["Name"].data.size(), 4u);
  RegCloseKey(key);
}

}  // namespace
}  // namespace qv::test
