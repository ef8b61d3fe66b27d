#include "win/scoped_registry_key.h"

namespace qv::win {

ScopedRegistryKey::ScopedRegistryKey(const char* path, REGSAM access, RegistryView view) {
  HKEY key = nullptr;
  const REGSAM desired = access | static_cast<REGSAM>(view);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, desired, &key) == ERROR_SUCCESS) key_ = key;
}

ScopedRegistryKey::~ScopedRegistryKey() {
  if (key_ != nullptr) RegCloseKey(key_);
}

LONG ScopedRegistryKey::Query(const char* name, BYTE* buffer, DWORD* byteCount) const {
  return RegQueryValueExA(key_, name, nullptr, nullptr, buffer, byteCount);
}

LONG ScopedRegistryKey::Set(const char* name, DWORD type, const BYTE* data, DWORD byteCount) const {
  return RegSetValueExA(key_, name, 0, type, data, byteCount);
}

void ScopedRegistryKey::Flush() const {
  RegFlushKey(key_);
}

}  // namespace qv::win
