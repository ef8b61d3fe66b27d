// Owned named-mapping handle and mapped view. The view is declared after the handle wherever
// both are members, so it is unmapped before the handle closes.
#pragma once

#include "winapi/win32.h"

class SharedMappingHandle {
 public:
  SharedMappingHandle() = default;
  SharedMappingHandle(const SharedMappingHandle&) = delete;
  SharedMappingHandle& operator=(const SharedMappingHandle&) = delete;
  ~SharedMappingHandle() { Close(); }

  // Takes a handle from CreateFileMappingA; null and INVALID_HANDLE_VALUE leave it empty.
  void Reset(HANDLE handle) {
    Close();
    if (handle != INVALID_HANDLE_VALUE) handle_ = handle;
  }
  void Close() {
    HANDLE closed = handle_;
    handle_ = nullptr;
    if (closed != nullptr) CloseHandle(closed);
  }
  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_ = nullptr;
};

class MappedView {
 public:
  MappedView() = default;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView() { Unmap(); }

  void Reset(void* address) {
    Unmap();
    address_ = address;
  }
  void Unmap() {
    void* unmapped = address_;
    address_ = nullptr;
    if (unmapped != nullptr) UnmapViewOfFile(unmapped);
  }
  void* Get() const { return address_; }
  explicit operator bool() const { return address_ != nullptr; }

 private:
  void* address_ = nullptr;
};
