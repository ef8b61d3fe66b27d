// Named shared memory with Windows lifetime semantics: a second creator of a live name gets
// the same record and ERROR_ALREADY_EXISTS; once every handle is closed the name yields a
// fresh, zeroed record, even while an old view still shows the old one.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/conformance/conformance_platform.h"
#include "winapi/win32.h"

namespace {

constexpr DWORD kRecordSize = 712;

HANDLE CreateRecord(const std::string& name) {
  return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordSize,
                            name.c_str());
}

BYTE* MapRecord(HANDLE mapping) {
  return static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
}

bool IsZeroed(const BYTE* view) {
  for (DWORD i = 0; i < kRecordSize; ++i)
    if (view[i] != 0) return false;
  return true;
}

TEST(MappingConformance, SecondCreatorSharesTheRecordAndLearnsItExisted) {
  const std::string name = qv::conformance::UniqueObjectName("QvConformanceRecord");
  SetLastError(1234);
  HANDLE first = CreateRecord(name);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  BYTE* firstView = MapRecord(first);
  ASSERT_NE(firstView, nullptr);
  EXPECT_TRUE(IsZeroed(firstView));
  std::memcpy(firstView, "record", 6);

  SetLastError(0);
  HANDLE second = CreateRecord(name);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  BYTE* secondView = MapRecord(second);
  ASSERT_NE(secondView, nullptr);
  EXPECT_EQ(std::memcmp(secondView, "record", 6), 0);

  // The record lives while any handle to it is open.
  EXPECT_TRUE(UnmapViewOfFile(firstView));
  EXPECT_TRUE(CloseHandle(first));
  HANDLE third = CreateRecord(name);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(CloseHandle(third));
  EXPECT_TRUE(UnmapViewOfFile(secondView));
  EXPECT_TRUE(CloseHandle(second));

  SetLastError(1234);
  HANDLE fresh = CreateRecord(name);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  BYTE* freshView = MapRecord(fresh);
  ASSERT_NE(freshView, nullptr);
  EXPECT_TRUE(IsZeroed(freshView));
  EXPECT_TRUE(UnmapViewOfFile(freshView));
  EXPECT_TRUE(CloseHandle(fresh));
}

TEST(MappingConformance, TheNameGoesWithTheLastHandleNotTheLastView) {
  const std::string name = qv::conformance::UniqueObjectName("QvConformanceViewOnly");
  HANDLE first = CreateRecord(name);
  ASSERT_NE(first, nullptr);
  BYTE* oldView = MapRecord(first);
  ASSERT_NE(oldView, nullptr);
  std::memcpy(oldView, "old", 3);
  EXPECT_TRUE(CloseHandle(first));

  SetLastError(1234);
  HANDLE fresh = CreateRecord(name);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  BYTE* freshView = MapRecord(fresh);
  ASSERT_NE(freshView, nullptr);
  EXPECT_TRUE(IsZeroed(freshView));
  EXPECT_EQ(std::memcmp(oldView, "old", 3), 0);
  EXPECT_TRUE(UnmapViewOfFile(oldView));
  EXPECT_TRUE(UnmapViewOfFile(freshView));
  EXPECT_TRUE(CloseHandle(fresh));
}

TEST(MappingConformance, BadHandlesAndAddressesFail) {
  SetLastError(0);
  EXPECT_EQ(MapViewOfFile(nullptr, FILE_MAP_ALL_ACCESS, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  int notAView = 0;
  SetLastError(0);
  EXPECT_FALSE(UnmapViewOfFile(&notAView));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
}

}  // namespace
