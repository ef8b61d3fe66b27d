// Access to the elements of a one-dimensional byte array for as long as this object lives.
#pragma once

#include <cstddef>

#include "winapi/win32.h"

class SafeArrayAccess {
 public:
  explicit SafeArrayAccess(SAFEARRAY* array) : array_(array) {
    void* data = nullptr;
    if (array_ != nullptr && SUCCEEDED(SafeArrayAccessData(array_, &data))) {
      data_ = static_cast<const BYTE*>(data);
      length_ = array_->rgsabound[0].cElements;
    }
  }
  SafeArrayAccess(const SafeArrayAccess&) = delete;
  SafeArrayAccess& operator=(const SafeArrayAccess&) = delete;
  ~SafeArrayAccess() {
    if (data_ != nullptr) SafeArrayUnaccessData(array_);
  }

  bool ok() const { return data_ != nullptr; }
  const BYTE* data() const { return data_; }
  std::size_t length() const { return length_; }

 private:
  SAFEARRAY* array_;
  const BYTE* data_ = nullptr;
  std::size_t length_ = 0;
};
