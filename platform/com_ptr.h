// Owning pointer to a COM interface: releases its reference when reset or destroyed.
#pragma once

#include "winapi/win32.h"

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

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
