// The lock that keeps other processes from copying the shared hardware-configuration record
// while its creator fills it. Every process holds the named mutex "<record name>_MUTEX" from
// before it opens the record until it has taken its snapshot, so a process that finds the
// record already there copies it only once its creator has published it. The wait is bounded:
// a creator that hangs costs a reader the time-out, after which the reader copies what the
// record holds, as it would without the lock. A creator that ended while holding the lock
// leaves the mutex abandoned, which counts as free.
#pragma once

#include <string>

#include "win/scoped_handle.h"
#include "winapi/win32.h"

namespace qv::platform {

class RecordFillLock {
 public:
  enum class Outcome {
    kAcquired,     // the mutex was free
    kAbandoned,    // its last owner ended without releasing it; owned now all the same
    kTimedOut,     // someone held it beyond the time-out; going ahead without it
    kUnavailable,  // the mutex could not be made or waited on; going ahead without it
  };

  static constexpr DWORD kDefaultTimeoutMs = 2000;

  explicit RecordFillLock(const char* recordName, DWORD timeoutMs = kDefaultTimeoutMs);
  RecordFillLock(const RecordFillLock&) = delete;
  RecordFillLock& operator=(const RecordFillLock&) = delete;
  ~RecordFillLock();  // releases the mutex if held, then closes it

  Outcome outcome() const { return outcome_; }
  bool Held() const { return outcome_ == Outcome::kAcquired || outcome_ == Outcome::kAbandoned; }

  // The mutex's name for a record of this name.
  static std::string MutexNameFor(const char* recordName);

 private:
  win::ScopedHandle mutex_;
  Outcome outcome_ = Outcome::kUnavailable;
};

}  // namespace qv::platform
