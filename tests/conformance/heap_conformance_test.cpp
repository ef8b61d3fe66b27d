// The process heap as the device search uses it: one block (the 28-byte device information
// record) taken with HeapAlloc and given back with HeapFree.
#include <gtest/gtest.h>

#include <cstring>

#include "winapi/win32.h"

namespace {

// The size of the block the device search takes, and a larger one.
constexpr SIZE_T kBlockSizes[] = {28, 512};

bool IsZeroed(const void* block, SIZE_T bytes) {
  const auto* bytesOf = static_cast<const unsigned char*>(block);
  for (SIZE_T i = 0; i < bytes; ++i)
    if (bytesOf[i] != 0) return false;
  return true;
}

TEST(HeapConformance, TheProcessHeapIsOneHeap) {
  HANDLE heap = GetProcessHeap();
  EXPECT_NE(heap, nullptr);
  EXPECT_EQ(GetProcessHeap(), heap);
}

TEST(HeapConformance, ABlockIsWritableAndGivenBack) {
  HANDLE heap = GetProcessHeap();
  for (SIZE_T bytes : kBlockSizes) {
    void* block = HeapAlloc(heap, 0, bytes);
    ASSERT_NE(block, nullptr) << bytes;
    std::memset(block, 0x5A, bytes);
    EXPECT_TRUE(HeapFree(heap, 0, block)) << bytes;
  }
}

// A block that reuses memory another block has just written still starts out zeroed.
TEST(HeapConformance, ZeroMemoryClearsEveryByte) {
  HANDLE heap = GetProcessHeap();
  for (SIZE_T bytes : kBlockSizes) {
    void* dirty = HeapAlloc(heap, 0, bytes);
    ASSERT_NE(dirty, nullptr) << bytes;
    std::memset(dirty, 0xA5, bytes);
    ASSERT_TRUE(HeapFree(heap, 0, dirty));

    void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes);
    ASSERT_NE(block, nullptr) << bytes;
    EXPECT_TRUE(IsZeroed(block, bytes)) << bytes;
    EXPECT_TRUE(HeapFree(heap, 0, block)) << bytes;
  }
}

// Freeing no block at all is allowed, and succeeds.
TEST(HeapConformance, FreeingNoBlockSucceeds) {
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, nullptr));
}

}  // namespace
