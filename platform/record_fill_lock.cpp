#include "platform/record_fill_lock.h"

namespace qv::platform {

namespace {

RecordFillLock::Outcome OutcomeOf(DWORD waited) {
  switch (waited) {
    case WAIT_OBJECT_0:
      return RecordFillLock::Outcome::kAcquired;
    case WAIT_ABANDONED:
      return RecordFillLock::Outcome::kAbandoned;
    case WAIT_TIMEOUT:
      return RecordFillLock::Outcome::kTimedOut;
    default:
      return RecordFillLock::Outcome::kUnavailable;
  }
}

}  // namespace

RecordFillLock::RecordFillLock(const char* recordName, DWORD timeoutMs) {
  // Never initially owned: a mutex that already exists would not be, and the wait below
  // tells both cases apart the same way.
  mutex_.Reset(CreateMutexA(nullptr, FALSE, MutexNameFor(recordName).c_str()));
  if (!mutex_.IsValid()) return;
  outcome_ = OutcomeOf(WaitForSingleObject(mutex_.Get(), timeoutMs));
}

// Released before the handle closes: a mutex closed while owned would be left abandoned.
RecordFillLock::~RecordFillLock() {
  if (Held()) ReleaseMutex(mutex_.Get());
}

std::string RecordFillLock::MutexNameFor(const char* recordName) {
  return std::string(recordName) + "_MUTEX";
}

}  // namespace qv::platform
