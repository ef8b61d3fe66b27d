// One block taken from the process heap, given back when the owner goes out of scope.
#pragma once

#include <cstddef>

#include "winapi/win32.h"

namespace qv::win {

class ScopedHeapBlock {
 public:
  explicit ScopedHeapBlock(std::size_t bytes)
      : heap_(GetProcessHeap()), block_(heap_ != nullptr ? HeapAlloc(heap_, 0, bytes) : nullptr) {}
  ~ScopedHeapBlock() {
    if (block_ != nullptr) HeapFree(heap_, 0, block_);
  }
  ScopedHeapBlock(const ScopedHeapBlock&) = delete;
  ScopedHeapBlock& operator=(const ScopedHeapBlock&) = delete;

  void* Get() const { return block_; }
  bool IsValid() const { return block_ != nullptr; }

 private:
  HANDLE heap_;
  void* block_;
};

}  // namespace qv::win
