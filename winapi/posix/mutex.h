// Mutexes of the stand-in, named or not, with Windows semantics:
// - a mutex is owned by one thread at a time, and the owner may wait on it again (each wait
//   needs its own ReleaseMutex);
// - CreateMutexA on a name that exists opens that mutex, sets ERROR_ALREADY_EXISTS and ignores
//   `initialOwner`; a name lives while any process holds a handle to it;
// - ReleaseMutex by a thread that does not own it fails with ERROR_NOT_OWNER;
// - when the owner's process ends without releasing it, the next wait that gets it returns
//   WAIT_ABANDONED, and the waiter owns it.
// Where the stand-in differs: an owning thread that ends while its process lives does not
// abandon the mutex, and closing a process's last handle to a mutex that one of its threads
// owns abandons it at once. Mutex names do not collide with mapping names.
//
// Wait with WaitForSingleObject (process.h).
#pragma once

#include "winapi/posix/types.h"

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
BOOL WINAPI ReleaseMutex(HANDLE mutex);
