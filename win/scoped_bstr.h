// Owned BSTRs made from narrow text in the thread's ANSI code page. Failure to allocate one
// raises ComError(E_OUTOFMEMORY).
#pragma once

#include "winapi/win32.h"

namespace qv::win {

class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(const char* text);
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ~ScopedBstr() { Reset(); }

  BSTR Get() const { return text_; }
  void Reset();

 private:
  BSTR text_ = nullptr;
};

}  // namespace qv::win
