// Owns one block taken from the process heap; gives it back when the owner goes out of scope.
#pragma once

#include <cstddef>

#include "winapi/win32.h"

namespace qv::netid {

class ProcessHeapBlock {
 public:
  explicit ProcessHeapBlock(std::size_t bytes)
      : heap_(GetProcessHeap()), block_(heap_ != nullptr ? HeapAlloc(heap_, 0, bytes) : nullptr) {}
  ~ProcessHeapBlock() {
    if (block_ != nullptr) HeapFree(heap_, 0, block_);
  }
  ProcessHeapBlock(const ProcessHeapBlock&) = delete;
  ProcessHeapBlock& operator=(const ProcessHeapBlock&) = delete;

  void* get() const { return block_; }

 private:
  HANDLE heap_;
  void* block_;
};

}  // namespace qv::netid
