#include "gina/registry_value.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qv::gina {
namespace {

constexpr std::size_t kKeyPathCapacity = 256;

bool KeyPathFits(const char* keyPath) {
  return keyPath != nullptr && std::strlen(keyPath) < kKeyPathCapacity;
}

// The byte count to store, or nullopt when a text is longer than the limit.
std::optional<DWORD> StoredByteCount(DWORD type, const void* data, DWORD sizeLimit) {
  if (type != REG_SZ) return sizeLimit;
  if (data == nullptr) return std::nullopt;
  const std::size_t length = std::strlen(static_cast<const char*>(data));
  if (length > sizeLimit) return std::nullopt;
  return static_cast<DWORD>(length + 1);  // the terminating NUL is stored
}

}  // namespace

int WriteRegistryValue(const char* keyPath, const char* valueName, DWORD type, const void* data,
                       DWORD sizeLimit, win::RegistryView view) {
  if (!KeyPathFits(keyPath)) return 0;
  const std::optional<DWORD> byteCount = StoredByteCount(type, data, sizeLimit);
  if (!byteCount) return 0;
  win::ScopedRegistryKey key(keyPath, win::kWriteAccess, view);
  if (!key.IsValid()) return 0;
  const LONG status = key.Set(valueName, type, static_cast<const BYTE*>(data), *byteCount);
  key.Flush();
  return status == ERROR_SUCCESS ? 1 : 0;
}

int ReadRegistryValue(const char* keyPath, const char* valueName, BYTE* buffer, DWORD* byteCount,
                      win::RegistryView view) {
  win::ScopedRegistryKey key(keyPath, win::kReadAccess, view);
  if (!key.IsValid()) return 0;
  return key.Query(valueName, buffer, byteCount) == ERROR_SUCCESS ? 1 : 0;
}

std::string TextOfValue(const BYTE* bytes, DWORD byteCount) {
  if (bytes == nullptr || byteCount == 0) return std::string();
  const char* text = reinterpret_cast<const char*>(bytes);
  const void* nul = std::memchr(text, '\0', byteCount);
  const std::size_t length =
      nul == nullptr ? byteCount : static_cast<std::size_t>(static_cast<const char*>(nul) - text);
  return std::string(text, length);
}

std::optional<TextValue> ReadRegistryText(const char* keyPath, const char* valueName,
                                          DWORD bufferSize, win::RegistryView view) {
  std::vector<BYTE> buffer(bufferSize, 0);
  DWORD byteCount = bufferSize;
  if (!ReadRegistryValue(keyPath, valueName, buffer.data(), &byteCount, view)) return std::nullopt;
  byteCount = std::min(byteCount, bufferSize);
  return TextValue{TextOfValue(buffer.data(), byteCount), byteCount};
}

}  // namespace qv::gina
