#include <cstdint>
#include <map>
#include <mutex>

#include "winapi/posix/handle_table.h"
#include "winapi/posix/handles.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"

namespace qv::standin {
namespace {

struct HandleTable {
  std::mutex lock;
  std::map<std::uintptr_t, std::unique_ptr<KernelObject>> objects;
  std::uintptr_t nextValue = 0x100;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // never destroyed: handles may close during exit
  return *table;
}

}  // namespace

KernelObject::~KernelObject() = default;

HANDLE RegisterHandle(std::unique_ptr<KernelObject> object) {
  if (!object) return nullptr;
  HandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  // Handle values are multiples of 4, like Windows', and never reused while open.
  std::uintptr_t value = table.nextValue;
  table.nextValue += 4;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

KernelObject* LookupHandle(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == table.objects.end() ? nullptr : it->second.get();
}

std::unique_ptr<KernelObject> UnregisterHandle(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == table.objects.end()) return nullptr;
  std::unique_ptr<KernelObject> object = std::move(it->second);
  table.objects.erase(it);
  return object;
}

int OpenHandleCount() {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  return static_cast<int>(table.objects.size());
}

}  // namespace qv::standin

BOOL WINAPI CloseHandle(HANDLE handle) {
  if (qv::standin::ShouldFail("CloseHandle")) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // The object is destroyed outside the table's lock: its destructor may call back in.
  std::unique_ptr<qv::standin::KernelObject> object = qv::standin::UnregisterHandle(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object.reset();
  return TRUE;
}
