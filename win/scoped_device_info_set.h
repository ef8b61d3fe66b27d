// An owned SetupAPI device information set, destroyed when the owner goes out of scope.
#pragma once

#include "winapi/win32.h"

namespace qv::win {

class ScopedDeviceInfoSet {
 public:
  // Takes the result of SetupDiGetClassDevsA, INVALID_HANDLE_VALUE included.
  explicit ScopedDeviceInfoSet(HDEVINFO handle) : handle_(handle) {}
  ~ScopedDeviceInfoSet() {
    if (IsValid()) SetupDiDestroyDeviceInfoList(handle_);
  }
  ScopedDeviceInfoSet(const ScopedDeviceInfoSet&) = delete;
  ScopedDeviceInfoSet& operator=(const ScopedDeviceInfoSet&) = delete;

  HDEVINFO Get() const { return handle_; }
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HDEVINFO handle_;
};

}  // namespace qv::win
