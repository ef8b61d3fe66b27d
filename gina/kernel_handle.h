// A kernel handle (process, thread) closed when it goes out of scope.
#pragma once

#include "winapi/win32.h"

namespace qv::gina {

class KernelHandle {
 public:
  explicit KernelHandle(HANDLE handle) : handle_(handle) {}
  ~KernelHandle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;

  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace qv::gina
