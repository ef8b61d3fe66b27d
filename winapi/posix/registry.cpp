#include "winapi/posix/registry.h"

#include <strings.h>

#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "machine/machine.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/registry_log.h"

namespace qv::standin {
namespace {

struct OpenKey {
  std::string path;  // below HKEY_LOCAL_MACHINE; "" is the root itself
  REGSAM access = 0;
};

// Open keys by handle. Handles are distinct tokens, never reused, so a stale handle is
// reported as invalid instead of reaching another key.
struct KeyTable {
  std::mutex lock;
  std::map<HKEY, OpenKey> keys;
  std::uintptr_t nextToken = 0x10000;
  std::vector<RegistryOpenRecord> opens;
};

KeyTable& Keys() {
  static KeyTable* table = new KeyTable;  // never destroyed: calls may run during exit
  return *table;
}

std::optional<OpenKey> FindKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return OpenKey{"", KEY_ALL_ACCESS};
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.keys.find(key);
  if (it == table.keys.end()) return std::nullopt;
  return it->second;
}

HKEY AddKey(OpenKey key) {
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> guard(table.lock);
  table.nextToken += 4;
  HKEY handle = reinterpret_cast<HKEY>(table.nextToken);
  table.keys.emplace(handle, std::move(key));
  Acquire(Resource::RegistryKey);
  return handle;
}

bool RemoveKey(HKEY key) {
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> guard(table.lock);
  if (table.keys.erase(key) == 0) return false;
  Release(Resource::RegistryKey);
  return true;
}

void RecordOpen(const std::string& path, REGSAM access, LONG result) {
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> guard(table.lock);
  table.opens.push_back(RegistryOpenRecord{path, access, result});
}

std::string JoinPath(const std::string& parent, const char* subKey) {
  std::string sub = subKey == nullptr ? "" : subKey;
  if (!sub.empty() && sub.back() == '\\') sub.pop_back();  // Windows tolerates one
  if (sub.empty()) return parent;
  if (parent.empty()) return sub;
  return parent + "\\" + sub;
}

// A key exists when the machine lists it or any key below it.
bool KeyExists(const machine::Registry& registry, const std::string& path) {
  if (path.empty() || registry.count(path) != 0) return true;
  const std::string prefix = path + "\\";
  auto it = registry.lower_bound(prefix);
  return it != registry.end() && strncasecmp(it->first.c_str(), prefix.c_str(), prefix.size()) == 0;
}

const machine::RegistryValue* FindValue(const std::string& path, const char* name) {
  const machine::Registry& registry = standin::CurrentMachine().registry;
  auto key = registry.find(path);
  if (key == registry.end()) return nullptr;
  auto value = key->second.find(name == nullptr ? "" : name);
  return value == key->second.end() ? nullptr : &value->second;
}

LONG CopyValueOut(const machine::RegistryValue& value, LPDWORD type, LPBYTE data,
                  LPDWORD dataSize) {
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (type != nullptr) *type = value.type;
  if (dataSize == nullptr) return ERROR_SUCCESS;
  if (data == nullptr) {
    *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (size != 0) std::memcpy(data, value.data.data(), size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

}  // namespace

std::vector<RegistryOpenRecord> RegistryOpens() {
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.opens;
}

void ClearRegistryOpens() {
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> guard(table.lock);
  table.opens.clear();
}

}  // namespace qv::standin

using qv::standin::FindKey;
using qv::standin::ShouldFail;

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  if (ShouldFail("RegOpenKeyExA")) return ERROR_ACCESS_DENIED;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto parent = FindKey(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  const std::string path = qv::standin::JoinPath(parent->path, subKey);
  const bool exists = qv::standin::KeyExists(qv::standin::CurrentMachine().registry, path);
  const LONG status = exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  qv::standin::RecordOpen(path, desired, status);
  if (exists) *result = qv::standin::AddKey(qv::standin::OpenKey{path, desired});
  return status;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
  if (ShouldFail("RegQueryValueExA")) return ERROR_ACCESS_DENIED;
  auto open = FindKey(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr))
    return ERROR_INVALID_PARAMETER;
  if ((open->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (!qv::standin::KeyExists(qv::standin::CurrentMachine().registry, open->path))
    return ERROR_KEY_DELETED;
  const qv::machine::RegistryValue* value = qv::standin::FindValue(open->path, valueName);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  return qv::standin::CopyValueOut(*value, type, data, dataSize);
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                           DWORD dataSize) {
  if (ShouldFail("RegSetValueExA")) return ERROR_ACCESS_DENIED;
  auto open = FindKey(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if ((open->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data == nullptr && dataSize != 0) return ERROR_NOACCESS;
  qv::machine::Registry& registry = qv::standin::CurrentMachine().registry;
  if (!qv::standin::KeyExists(registry, open->path)) return ERROR_KEY_DELETED;
  qv::machine::RegistryValue& value = registry[open->path][valueName == nullptr ? "" : valueName];
  value.type = type;
  value.data.assign(data, data + dataSize);
  return ERROR_SUCCESS;
}

LONG WINAPI RegFlushKey(HKEY key) {
  if (ShouldFail("RegFlushKey")) return ERROR_ACCESS_DENIED;
  return FindKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (ShouldFail("RegCloseKey")) return ERROR_INVALID_HANDLE;
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;  // predefined keys are never closed
  return qv::standin::RemoveKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
