// The stand-in's kernel handle table. Every kernel object the stand-in hands out (file
// mappings, processes, threads, mutexes) is a KernelObject registered here; CloseHandle looks the
// handle up and destroys the object, so each kind releases its own resources in its destructor.
#pragma once

#include <memory>

#include "winapi/posix/types.h"

namespace qv::standin {

struct KernelObject {
  virtual ~KernelObject();
};

// A kernel object that WaitForSingleObject can wait on (processes, threads, mutexes).
struct WaitableObject : KernelObject {
  // One of WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT or WAIT_FAILED (with the last error
  // set); `milliseconds` may be INFINITE.
  virtual DWORD Wait(DWORD milliseconds) = 0;
};

// Takes ownership of `object` and returns a new handle for it (never null or
// INVALID_HANDLE_VALUE). Returns nullptr only when `object` is null.
HANDLE RegisterHandle(std::unique_ptr<KernelObject> object);

// The object behind `handle`, or nullptr when the handle is not open. The pointer stays valid
// until the handle is closed.
KernelObject* LookupHandle(HANDLE handle);

// Typed lookup: nullptr when the handle is not open or refers to another kind of object.
template <typename Kind>
Kind* LookupHandleAs(HANDLE handle) {
  return dynamic_cast<Kind*>(LookupHandle(handle));
}

// Removes `handle` from the table and hands its object to the caller; nullptr when not open.
std::unique_ptr<KernelObject> UnregisterHandle(HANDLE handle);

// Number of open handles (for tests).
int OpenHandleCount();

}  // namespace qv::standin
