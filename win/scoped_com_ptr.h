// Owning pointer to a COM interface: releases its reference when reset or destroyed. Like
// std::unique_ptr it tests as a pointer does.
#pragma once

#include "winapi/win32.h"

namespace qv::win {

template <typename Interface>
class ScopedComPtr {
 public:
  ScopedComPtr() = default;
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;
  ~ScopedComPtr() { Reset(); }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Releases the present reference and hands out the slot for a call that returns a new one.
  Interface** Receive() {
    Reset();
    return &pointer_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

  // The pointer is cleared before the reference is released.
  void Reset() {
    Interface* released = pointer_;
    pointer_ = nullptr;
    if (released != nullptr) released->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace qv::win
