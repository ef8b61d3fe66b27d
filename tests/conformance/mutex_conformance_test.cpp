// Mutexes as the shared record's fill lock uses them: owned by one thread, which may wait
// again; a name shared while a handle is open, with ERROR_ALREADY_EXISTS and the initial
// ownership ignored for a second creator; ReleaseMutex only by the owner; bounded waits.
#include <gtest/gtest.h>

#include <string>

#include "tests/conformance/conformance_platform.h"
#include "winapi/win32.h"

namespace {

// What another thread gets from a wait of `milliseconds` on `mutex`; a wait that succeeds is
// released again at once.
DWORD WaitFromAnotherThread(HANDLE mutex, DWORD milliseconds) {
  DWORD result = WAIT_FAILED;
  qv::conformance::RunOnAnotherThread([&] {
    result = WaitForSingleObject(mutex, milliseconds);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(mutex);
  });
  return result;
}

TEST(MutexConformance, OwnerMayWaitAgainAndOthersWaitUntilItsLastRelease) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitFromAnotherThread(mutex, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitFromAnotherThread(mutex, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitFromAnotherThread(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));

  SetLastError(0);
  EXPECT_FALSE(ReleaseMutex(mutex));  // no longer owned
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
  EXPECT_TRUE(CloseHandle(mutex));
}

TEST(MutexConformance, OnlyTheOwningThreadReleases) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  ASSERT_NE(mutex, nullptr);
  BOOL released = TRUE;
  DWORD error = 0;
  qv::conformance::RunOnAnotherThread([&] {
    released = ReleaseMutex(mutex);
    error = GetLastError();
  });
  EXPECT_FALSE(released);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_OWNER));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(CloseHandle(mutex));
}

TEST(MutexConformance, ANameIsSharedAndASecondCreatorDoesNotOwnIt) {
  const std::string name = qv::conformance::UniqueObjectName("QvConformanceMutex");
  SetLastError(1234);
  HANDLE first = CreateMutexA(nullptr, FALSE, name.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), 0u);

  // Another thread asks for initial ownership of the existing name: it opens, not owns.
  HANDLE second = nullptr;
  DWORD error = 0;
  BOOL releasedThere = TRUE;
  qv::conformance::RunOnAnotherThread([&] {
    second = CreateMutexA(nullptr, TRUE, name.c_str());
    error = GetLastError();
    releasedThere = ReleaseMutex(second);
  });
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(releasedThere);

  // Both handles name one mutex.
  EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitFromAnotherThread(second, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(second));  // the owner may release through either handle
  EXPECT_EQ(WaitFromAnotherThread(second, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_TRUE(CloseHandle(second));

  // Once every handle is closed the name is free again.
  SetLastError(1234);
  HANDLE fresh = CreateMutexA(nullptr, FALSE, name.c_str());
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_TRUE(CloseHandle(fresh));
}

TEST(MutexConformance, BadHandlesFail) {
  SetLastError(0);
  EXPECT_FALSE(ReleaseMutex(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
