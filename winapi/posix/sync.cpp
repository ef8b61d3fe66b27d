#include <mutex>

#include "winapi/posix/ledger.h"
#include "winapi/posix/sync.h"

namespace {

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section) {
  return section == nullptr ? nullptr : static_cast<std::recursive_mutex*>(section->lock);
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
  qv::standin::ShouldFail("InitializeCriticalSection");  // cannot fail since Windows Vista
  if (section == nullptr) return;
  section->lock = new std::recursive_mutex;
  qv::standin::Acquire(qv::standin::Resource::CriticalSection);
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) {
  qv::standin::ShouldFail("DeleteCriticalSection");
  std::recursive_mutex* lock = LockOf(section);
  if (lock == nullptr) return;
  delete lock;
  section->lock = nullptr;
  qv::standin::Release(qv::standin::Resource::CriticalSection);
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) {
  qv::standin::ShouldFail("EnterCriticalSection");
  if (std::recursive_mutex* lock = LockOf(section)) lock->lock();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) {
  qv::standin::ShouldFail("LeaveCriticalSection");
  if (std::recursive_mutex* lock = LockOf(section)) lock->unlock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  qv::standin::ShouldFail("TryEnterCriticalSection");
  std::recursive_mutex* lock = LockOf(section);
  return lock != nullptr && lock->try_lock() ? TRUE : FALSE;
}
