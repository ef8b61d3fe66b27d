// COM for the calling thread, taken on creation: a single-threaded apartment and, once per
// process, call security. Remembers whether it owes the thread a CoUninitialize.
#pragma once

#include "winapi/win32.h"

namespace qv::platform {

class ComInitialization {
 public:
  ComInitialization();
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
  ~ComInitialization() { Uninitialize(); }

  // Balances the apartment initialisation, if this object still owes it.
  void Uninitialize();

  // The apartment initialisation's result, or E_FAIL when the security set-up failed.
  HRESULT Result() const { return result_; }
  bool OwesUninitialize() const { return owesUninitialize_ != 0; }

 private:
  HRESULT result_;
  DWORD owesUninitialize_;
};

}  // namespace qv::platform
