// The second process of the fill-lock test. It takes the shared record's fill lock for the
// record NAME and reports through its exit code:
//   fill_lock_peer NAME read   signals NAME_READY, waits for the lock, then reads the record:
//                              exit 10 x outcome + (0 when it says "filled", 1 when not)
//   fill_lock_peer NAME die    takes the lock and ends without releasing it: exit 0 when held
//   fill_lock_peer NAME probe  tries the lock without waiting: exit = outcome
// Outcomes: 0 acquired, 1 abandoned, 2 timed out, 3 unavailable. Exit 90+ on a set-up failure.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/record_fill_lock.h"

using namespace qv::platform;

namespace {

constexpr DWORD kRecordSize = 712;

int ReadAfterTheLock(const char* name) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (std::string(name) + "_READY").c_str());
  if (ready == nullptr) return 90;
  SetEvent(ready);
  CloseHandle(ready);
  RecordFillLock lock(name);
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordSize, name);
  if (mapping == nullptr) return 91;
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  const bool filled = view != nullptr && std::strcmp(view, "filled") == 0;
  if (view != nullptr) UnmapViewOfFile(view);
  CloseHandle(mapping);
  return 10 * static_cast<int>(lock.outcome()) + (filled ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 99;
  const std::string mode = argv[2];
  if (mode == "read") return ReadAfterTheLock(argv[1]);
  if (mode == "die") {
    RecordFillLock lock(argv[1]);
    ExitProcess(lock.Held() ? 0 : 1);  // the lock is never released
  }
  if (mode == "probe") return static_cast<int>(RecordFillLock(argv[1], 0).outcome());
  return 98;
}
