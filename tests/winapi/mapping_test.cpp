// Named mappings keep Windows lifetime semantics, within one process and across processes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/winapi/standin_fixture.h"
#include "winapi/posix/handle_table.h"
#include "winapi/win32.h"

namespace qv::testing {
namespace {

constexpr char kName[] = "QV_MAPPING_TEST";
constexpr DWORD kSize = 712;

struct Opened {
  HANDLE handle;
  DWORD lastError;
  BYTE* view;
};

Opened Open(const char* name = kName) {
  HANDLE handle = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, name);
  DWORD lastError = GetLastError();
  void* view =
      handle != nullptr ? MapViewOfFile(handle, FILE_MAP_ALL_ACCESS, 0, 0, kSize) : nullptr;
  return {handle, lastError, static_cast<BYTE*>(view)};
}

void Close(const Opened& opened) {
  EXPECT_TRUE(UnmapViewOfFile(opened.view));
  EXPECT_TRUE(CloseHandle(opened.handle));
}

// A pipe the parent reads one byte from once the child has reached a point.
class Signal {
 public:
  Signal() { EXPECT_EQ(pipe(fds_), 0); }
  ~Signal() {
    close(fds_[0]);
    close(fds_[1]);
  }
  void Raise() { EXPECT_EQ(write(fds_[1], "x", 1), 1); }
  bool Await() {
    char byte = 0;
    return read(fds_[0], &byte, 1) == 1;
  }

 private:
  int fds_[2] = {-1, -1};
};

int WaitFor(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

using StandinMappingTest = StandinTest;

TEST_F(StandinMappingTest, ANameStaysBoundWhileHeldInProcess) {
  Opened first = Open();
  ASSERT_NE(first.handle, nullptr);
  ASSERT_NE(first.view, nullptr);
  EXPECT_EQ(first.lastError, static_cast<DWORD>(ERROR_SUCCESS));
  first.view[5] = 0x5A;

  Opened second = Open();
  EXPECT_EQ(second.lastError, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(second.view[5], 0x5A);
  Close(second);

  // The name goes with the last handle; a view that outlives it keeps only its memory.
  EXPECT_TRUE(CloseHandle(first.handle));
  Opened fresh = Open();
  EXPECT_EQ(fresh.lastError, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(fresh.view[5], 0);
  EXPECT_EQ(first.view[5], 0x5A);
  EXPECT_TRUE(UnmapViewOfFile(first.view));
  Close(fresh);
}

TEST_F(StandinMappingTest, BadArgumentsFailLikeWindows) {
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, kName),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CreateFileMappingA(nullptr, nullptr, PAGE_READWRITE, 0, kSize, kName), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(MapViewOfFile(reinterpret_cast<HANDLE>(0x10), FILE_MAP_ALL_ACCESS, 0, 0, kSize),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  int local = 0;
  EXPECT_FALSE(UnmapViewOfFile(&local));
  Opened anonymous = Open(nullptr);
  ASSERT_NE(anonymous.view, nullptr);
  Close(anonymous);
  EXPECT_FALSE(CloseHandle(anonymous.handle));
}

TEST_F(StandinMappingTest, AnotherProcessSeesTheRecordWhileAHolderLives) {
  Opened parent = Open();
  ASSERT_EQ(parent.lastError, static_cast<DWORD>(ERROR_SUCCESS));
  parent.view[0] = 0x11;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child's inherited descriptors share the parent's hold, as a handle would not; the
    // child therefore opens on its own and checks what Windows would report.
    Opened own = Open();
    bool sawRecord = own.lastError == ERROR_ALREADY_EXISTS && own.view[0] == 0x11;
    own.view[1] = 0x22;
    _exit(sawRecord ? 0 : 1);
  }
  EXPECT_EQ(WaitFor(child), 0);
  EXPECT_EQ(parent.view[1], 0x22);
  Close(parent);
}

TEST_F(StandinMappingTest, AHolderThatDiesKeepsNothingAlive) {
  Signal created, release;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Opened own = Open();
    own.view[2] = 0x33;
    bool fresh = own.lastError == ERROR_SUCCESS;
    created.Raise();
    release.Await();  // killed while holding the record
    _exit(fresh ? 0 : 1);
  }
  ASSERT_TRUE(created.Await());
  Opened whileHeld = Open();
  EXPECT_EQ(whileHeld.lastError, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(whileHeld.view[2], 0x33);
  Close(whileHeld);  // the child still holds it

  Opened stillHeld = Open();
  EXPECT_EQ(stillHeld.lastError, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  Close(stillHeld);

  kill(child, SIGKILL);
  int status = WaitFor(child);
  EXPECT_TRUE(WIFSIGNALED(status));
  Opened afterDeath = Open();
  EXPECT_EQ(afterDeath.lastError, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(afterDeath.view[2], 0);
  Close(afterDeath);
  EXPECT_EQ(access(StandinTest::SharedMemoryPath(std::string(kName) + ".gate").c_str(), F_OK), -1)
      << "the last holder removes the name's gate";
}

bool NameExists(const char* name) {
  return access(StandinTest::SharedMemoryPath(name).c_str(), F_OK) == 0;
}

TEST_F(StandinMappingTest, ANormalExitGivesUpOnlyTheExitingProcesssHolds) {
  Opened parent = Open();
  ASSERT_EQ(parent.lastError, static_cast<DWORD>(ERROR_SUCCESS));
  std::fflush(nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Holds its own record and never closes anything: exiting must give up that hold only.
    HANDLE own = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize,
                                    "QV_MAPPING_TEST_CHILD");
    std::exit(own != nullptr && GetLastError() == ERROR_SUCCESS ? 0 : 1);
  }
  EXPECT_EQ(WaitFor(child), 0);
  EXPECT_FALSE(NameExists("QV_MAPPING_TEST_CHILD"));
  EXPECT_FALSE(NameExists("QV_MAPPING_TEST_CHILD.gate"));
  // The inherited copy of the parent's hold went with the child, but the parent's stands.
  Opened again = Open();
  EXPECT_EQ(again.lastError, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  Close(again);
  Close(parent);
  EXPECT_FALSE(NameExists(kName));
}

}  // namespace
}  // namespace qv::testing
