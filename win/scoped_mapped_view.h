// An owned view of a file mapping, unmapped when reset or destroyed. Wherever a view and its
// mapping's handle are both members, the view is declared after the handle so that it is
// unmapped before the handle closes.
#pragma once

#include "winapi/win32.h"

namespace qv::win {

class ScopedMappedView {
 public:
  ScopedMappedView() = default;
  ScopedMappedView(const ScopedMappedView&) = delete;
  ScopedMappedView& operator=(const ScopedMappedView&) = delete;
  ~ScopedMappedView() { Reset(); }

  void* Get() const { return address_; }
  bool IsValid() const { return address_ != nullptr; }

  // Unmaps the present view, then takes `address`.
  void Reset(void* address = nullptr) {
    void* unmapped = address_;
    address_ = address;
    if (unmapped != nullptr) UnmapViewOfFile(unmapped);
  }

 private:
  void* address_ = nullptr;
};

}  // namespace qv::win
