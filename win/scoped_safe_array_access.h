// Access to the elements of a one-dimensional byte array for as long as this object lives.
#pragma once

#include <cstddef>

#include "winapi/win32.h"

namespace qv::win {

class ScopedSafeArrayAccess {
 public:
  explicit ScopedSafeArrayAccess(SAFEARRAY* array) : array_(array) {
    void* data = nullptr;
    if (array_ != nullptr && SUCCEEDED(SafeArrayAccessData(array_, &data))) {
      data_ = static_cast<const BYTE*>(data);
      length_ = array_->rgsabound[0].cElements;
    }
  }
  ScopedSafeArrayAccess(const ScopedSafeArrayAccess&) = delete;
  ScopedSafeArrayAccess& operator=(const ScopedSafeArrayAccess&) = delete;
  ~ScopedSafeArrayAccess() {
    if (data_ != nullptr) SafeArrayUnaccessData(array_);
  }

  bool IsValid() const { return data_ != nullptr; }
  const BYTE* Data() const { return data_; }
  std::size_t Length() const { return length_; }

 private:
  SAFEARRAY* array_;
  const BYTE* data_ = nullptr;
  std::size_t length_ = 0;
};

}  // namespace qv::win
