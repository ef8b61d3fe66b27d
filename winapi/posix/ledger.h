// The stand-in's books: how often each Win32 call was made, which calls a test asked to fail,
// and how many resources of each kind are still held. Every stand-in entry point records
// itself with ShouldFail(); every acquire and release goes through Acquire()/Release().
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qv::standin {

enum class Resource {
  DeviceSet,
  HeapBlock,
  CryptProvider,
  CryptHash,
  CryptKey,
  RegistryKey,
  Process,
  Thread,
  Mapping,
  View,
  ComObject,
  Bstr,
  SafeArray,
  CriticalSection,
  ComApartment,
  // Not a resource: each COM object released after the apartment it lived in had ended (or,
  // for an object bound to no apartment, after the last apartment of the process had ended).
  // Windows would have unloaded the object's code by then; the books keep the count so that a
  // test which checks for leaks fails on this too.
  ComReleaseAfterUninitialize,
  Mutex,
};

const char* ResourceName(Resource kind);

// Records one call of the named Win32 function and tells whether it must fail this time.
bool ShouldFail(const char* call);

// Makes the n-th call (1-based, counted from now) of `call` fail; occurrence 0 fails every call.
void InjectFault(const std::string& call, int occurrence = 0);
void ClearFaults();

// Calls made since the last ResetCalls(), in order (the first 200000), and their counts by name.
// The log is a copy taken when CallLog() is called; it stays as it is until the next CallLog().
const std::vector<std::string>& CallLog();
int CallCount(const std::string& call);
void ResetCalls();

// Runs `hook` with the name of every call as it is recorded, before the call does any work,
// so that a test can hold a process at a chosen point. nullptr removes it.
using CallHook = void (*)(const char* call);
void SetCallHook(CallHook hook);

void Acquire(Resource kind);
void Release(Resource kind);
int Outstanding(Resource kind);
// Every kind with a nonzero balance, e.g. "DeviceSet=1 Bstr=2"; empty when nothing is held.
std::string OutstandingReport();
std::map<Resource, int> OutstandingSnapshot();

}  // namespace qv::standin
