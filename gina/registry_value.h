// Reading and writing single values below HKEY_LOCAL_MACHINE. Keys are never created: a value
// in a missing key is neither read nor written.
#pragma once

#include <optional>
#include <string>

#include "win/scoped_registry_key.h"

namespace qv::gina {

// Sets a value in an existing key; 1 when set, else 0. For REG_SZ, `data` is a NUL-terminated
// text stored with its NUL, refused (0, registry untouched) when longer than `sizeLimit`; for
// other types `sizeLimit` bytes of `data` are stored. The key is flushed and closed whatever
// the outcome. Key paths that do not fit 255 characters are refused.
int WriteRegistryValue(const char* keyPath, const char* valueName, DWORD type, const void* data,
                       DWORD sizeLimit, win::RegistryView view);

// Reads a value into `buffer`; 1 when read, with `*byteCount` (in: the buffer's size) set to
// the bytes stored, else 0.
int ReadRegistryValue(const char* keyPath, const char* valueName, BYTE* buffer, DWORD* byteCount,
                      win::RegistryView view);

// The text in the first `byteCount` bytes of `bytes`: up to the first NUL, or all of them when
// there is none. Never reads further, whatever the value held.
std::string TextOfValue(const BYTE* bytes, DWORD byteCount);

struct TextValue {
  std::string text;
  DWORD byteCount = 0;  // as the read returned it
};

// ReadRegistryValue into a zeroed buffer of `bufferSize` bytes, as text; nullopt when the key or
// value is missing or does not fit.
std::optional<TextValue> ReadRegistryText(const char* keyPath, const char* valueName,
                                          DWORD bufferSize, win::RegistryView view);

}  // namespace qv::gina
