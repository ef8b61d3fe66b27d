// Owner of a Windows Installer handle (a record): closed with MsiCloseHandle when it goes.
#pragma once

#include "winapi/win32.h"

#include <msi.h>
#include <msiquery.h>

namespace qv::msi_module {

class ScopedMsiHandle {
 public:
  explicit ScopedMsiHandle(MSIHANDLE handle) : handle_(handle) {}
  ~ScopedMsiHandle() {
    if (IsValid()) MsiCloseHandle(handle_);
  }
  ScopedMsiHandle(const ScopedMsiHandle&) = delete;
  ScopedMsiHandle& operator=(const ScopedMsiHandle&) = delete;

  MSIHANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != 0; }

 private:
  MSIHANDLE handle_;
};

}  // namespace qv::msi_module
