// Owns one SetupAPI device information set: the present devices of one bus enumerator, of
// every setup class. The set is destroyed when the owner goes out of scope.
#pragma once

#include "winapi/win32.h"

namespace qv::netid {

class DeviceInfoSet {
 public:
  explicit DeviceInfoSet(const char* enumerator)
      : handle_(
            SetupDiGetClassDevsA(nullptr, enumerator, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES)) {}
  ~DeviceInfoSet() {
    if (IsOpen()) SetupDiDestroyDeviceInfoList(handle_);
  }
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HDEVINFO get() const { return handle_; }

 private:
  HDEVINFO handle_;
};

}  // namespace qv::netid
