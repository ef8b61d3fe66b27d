// An owned kernel handle (file mapping, mutex, process, thread), closed when reset or
// destroyed. Null and INVALID_HANDLE_VALUE both mean "no handle", since Win32 calls return
// one or the other on failure.
#pragma once

#include "winapi/win32.h"

namespace qv::win {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) { Reset(handle); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != nullptr; }

  // Closes the present handle, then takes `handle`.
  void Reset(HANDLE handle = nullptr) {
    HANDLE closed = handle_;
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    if (closed != nullptr) CloseHandle(closed);
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace qv::win
