#include "winapi/posix/ledger.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace qv::standin {
namespace {

// One Win32 function the stand-in has been asked about: its name and its calls since the last
// ResetCalls(). Records live as long as the books, so the log and the faults point at them.
struct CallRecord {
  std::string name;
  int count = 0;
};

struct Fault {
  const CallRecord* call;
  int occurrence;  // counted from when the fault was injected; 0 = every call
  int seen = 0;
};

// The log keeps the first calls after a reset; counts stay exact beyond it. A bound keeps
// long benchmark runs from growing without end.
constexpr std::size_t kMaxLoggedCalls = 200000;

// Every call of every stand-in function passes through ShouldFail, so its bookkeeping is kept
// to a lookup by the address of the caller's name (checked against the text, so a name that
// does not live at a fixed address is still counted right), a counter and a pointer in the log.
struct Books {
  std::mutex lock;
  std::map<std::string, CallRecord> calls;
  std::unordered_map<const char*, CallRecord*> byAddress;
  std::vector<const CallRecord*> log;
  std::vector<std::string> logText;  // what CallLog() last handed out
  std::vector<Fault> faults;
  std::map<Resource, int> held;

  CallRecord& Record(const std::string& name) {
    CallRecord& record = calls[name];
    if (record.name.empty()) record.name = name;
    return record;
  }

  // The names ShouldFail receives are string literals: their address finds the record.
  CallRecord& RecordAt(const char* name) {
    auto cached = byAddress.find(name);
    if (cached != byAddress.end() && cached->second->name == name) return *cached->second;
    CallRecord& record = Record(name);
    byAddress[name] = &record;
    return record;
  }
};

std::atomic<CallHook> callHook{nullptr};

Books& TheBooks() {
  static Books* books = new Books;  // never destroyed: stand-in calls may run during exit
  return *books;
}

}  // namespace

const char* ResourceName(Resource kind) {
  switch (kind) {
    case Resource::DeviceSet:
      return "DeviceSet";
    case Resource::HeapBlock:
      return "HeapBlock";
    case Resource::CryptProvider:
      return "CryptProvider";
    case Resource::CryptHash:
      return "CryptHash";
    case Resource::CryptKey:
      return "CryptKey";
    case Resource::RegistryKey:
      return "RegistryKey";
    case Resource::Process:
      return "Process";
    case Resource::Thread:
      return "Thread";
    case Resource::Mapping:
      return "Mapping";
    case Resource::View:
      return "View";
    case Resource::ComObject:
      return "ComObject";
    case Resource::Bstr:
      return "Bstr";
    case Resource::SafeArray:
      return "SafeArray";
    case Resource::CriticalSection:
      return "CriticalSection";
    case Resource::ComApartment:
      return "ComApartment";
    case Resource::ComReleaseAfterUninitialize:
      return "ComReleaseAfterUninitialize";
    case Resource::Mutex:
      return "Mutex";
  }
  return "?";
}

bool ShouldFail(const char* call) {
  bool fail = false;
  {
    Books& books = TheBooks();
    std::lock_guard<std::mutex> guard(books.lock);
    CallRecord& record = books.RecordAt(call);
    if (books.log.size() < kMaxLoggedCalls) books.log.push_back(&record);
    ++record.count;
    for (Fault& fault : books.faults) {
      if (fault.call != &record) continue;
      ++fault.seen;
      if (fault.occurrence == 0 || fault.seen == fault.occurrence) fail = true;
    }
  }
  if (CallHook hook = callHook.load()) hook(call);  // outside the lock: it may block
  return fail;
}

void SetCallHook(CallHook hook) {
  callHook.store(hook);
}

void InjectFault(const std::string& call, int occurrence) {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  books.faults.push_back(Fault{&books.Record(call), occurrence});
}

void ClearFaults() {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  books.faults.clear();
}

const std::vector<std::string>& CallLog() {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  books.logText.clear();
  books.logText.reserve(books.log.size());
  for (const CallRecord* call : books.log) books.logText.push_back(call->name);
  return books.logText;
}

int CallCount(const std::string& call) {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  auto it = books.calls.find(call);
  return it == books.calls.end() ? 0 : it->second.count;
}

void ResetCalls() {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  books.log.clear();
  for (auto& entry : books.calls) entry.second.count = 0;
}

void Acquire(Resource kind) {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  ++books.held[kind];
}

void Release(Resource kind) {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  --books.held[kind];
}

int Outstanding(Resource kind) {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  auto it = books.held.find(kind);
  return it == books.held.end() ? 0 : it->second;
}

std::map<Resource, int> OutstandingSnapshot() {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  std::map<Resource, int> nonzero;
  for (const auto& [kind, count] : books.held)
    if (count != 0) nonzero[kind] = count;
  return nonzero;
}

std::string OutstandingReport() {
  std::string report;
  for (const auto& [kind, count] : OutstandingSnapshot()) {
    if (!report.empty()) report += ' ';
    report += std::string(ResourceName(kind)) + "=" + std::to_string(count);
  }
  return report;
}

}  // namespace qv::standin
