#include "winapi/posix/ledger.h"

#include <atomic>
#include <mutex>

namespace qv::standin {
namespace {

struct Fault {
  std::string call;
  int occurrence;  // counted from when the fault was injected; 0 = every call
  int seen = 0;
};

// The log keeps the first calls after a reset; counts stay exact beyond it. A bound keeps
// long benchmark runs from growing without end.
constexpr std::size_t kMaxLoggedCalls = 200000;

struct Books {
  std::mutex lock;
  std::vector<std::string> log;
  std::map<std::string, int> counts;
  std::vector<Fault> faults;
  std::map<Resource, int> held;
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
    if (books.log.size() < kMaxLoggedCalls) books.log.emplace_back(call);
    ++books.counts[call];
    for (Fault& fault : books.faults) {
      if (fault.call != call) continue;
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
  books.faults.push_back(Fault{call, occurrence});
}

void ClearFaults() {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  books.faults.clear();
}

const std::vector<std::string>& CallLog() {
  return TheBooks().log;
}

int CallCount(const std::string& call) {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  auto it = books.counts.find(call);
  return it == books.counts.end() ? 0 : it->second;
}

void ResetCalls() {
  Books& books = TheBooks();
  std::lock_guard<std::mutex> guard(books.lock);
  books.log.clear();
  books.counts.clear();
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
