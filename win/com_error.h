// The error raised when a COM string cannot be allocated: it carries the HRESULT
// (E_OUTOFMEMORY), as a COM support library's error object would.
#pragma once

#include <exception>

#include "winapi/win32.h"

namespace qv::win {

class ComError : public std::exception {
 public:
  explicit ComError(HRESULT result) : result_(result) {}
  HRESULT Result() const { return result_; }
  const char* what() const noexcept override { return "COM error"; }

 private:
  HRESULT result_;
};

}  // namespace qv::win
