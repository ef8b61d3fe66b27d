#include "gina/registry_key.h"

namespace qv::gina {

RegistryKeyHandle::RegistryKeyHandle(const char* path, REGSAM access, RegistryView view) {
  HKEY key = nullptr;
  const REGSAM desired = access | static_cast<REGSAM>(view);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, desired, &key) == ERROR_SUCCESS) key_ = key;
}

RegistryKeyHandle::~RegistryKeyHandle() {
  if (key_ != nullptr) RegCloseKey(key_);
}

LONG RegistryKeyHandle::Query(const char* name, BYTE* buffer, DWORD* byteCount) const {
  return RegQueryValueExA(key_, name, nullptr, nullptr, buffer, byteCount);
}

LONG RegistryKeyHandle::Set(const char* name, DWORD type, const BYTE* data, DWORD byteCount) const {
  return RegSetValueExA(key_, name, 0, type, data, byteCount);
}

void RegistryKeyHandle::Flush() const {
  RegFlushKey(key_);
}

}  // namespace qv::gina
