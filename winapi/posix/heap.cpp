#include "winapi/posix/heap.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"

namespace {

using qv::standin::Resource;

struct ProcessHeap {
  std::mutex lock;
  std::unordered_set<void*> blocks;
};

ProcessHeap& TheHeap() {
  static ProcessHeap* heap = new ProcessHeap;  // never destroyed: calls may run during exit
  return *heap;
}

bool IsProcessHeap(HANDLE heap) {
  return heap == static_cast<HANDLE>(&TheHeap());
}

bool Track(void* block) noexcept {
  try {
    ProcessHeap& books = TheHeap();
    std::lock_guard<std::mutex> guard(books.lock);
    books.blocks.insert(block);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

HANDLE WINAPI GetProcessHeap() {
  if (qv::standin::ShouldFail("GetProcessHeap")) return nullptr;
  return &TheHeap();
}

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  if (qv::standin::ShouldFail("HeapAlloc") || !IsProcessHeap(heap)) return nullptr;
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) return nullptr;
  if ((flags & HEAP_ZERO_MEMORY) != 0) std::memset(block, 0, bytes);
  if (!Track(block)) {
    std::free(block);
    return nullptr;
  }
  qv::standin::Acquire(Resource::HeapBlock);
  return block;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD /*flags*/, LPVOID block) {
  if (qv::standin::ShouldFail("HeapFree")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsProcessHeap(heap)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (block == nullptr) return TRUE;
  {
    ProcessHeap& books = TheHeap();
    std::lock_guard<std::mutex> guard(books.lock);
    if (books.blocks.erase(block) == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  std::free(block);
  qv::standin::Release(Resource::HeapBlock);
  return TRUE;
}
