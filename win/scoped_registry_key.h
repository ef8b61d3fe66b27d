// An open registry key below HKEY_LOCAL_MACHINE, closed when it goes out of scope.
#pragma once

#include "winapi/win32.h"

namespace qv::win {

// Which registry view a key is opened in; the value is the view's access flag.
enum class RegistryView : REGSAM {
  kDefault = 0,
  k64Bit = KEY_WOW64_64KEY,
  k32Bit = KEY_WOW64_32KEY,
};

inline constexpr REGSAM kReadAccess = KEY_QUERY_VALUE;
inline constexpr REGSAM kWriteAccess = KEY_WRITE | KEY_QUERY_VALUE;

class ScopedRegistryKey {
 public:
  // Opens an existing key; never creates one. Check IsValid().
  ScopedRegistryKey(const char* path, REGSAM access, RegistryView view);
  ~ScopedRegistryKey();
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

  bool IsValid() const { return key_ != nullptr; }
  // RegQueryValueExA without the type: the Win32 status; `byteCount` in: buffer size, out:
  // bytes stored, or the size needed with ERROR_MORE_DATA.
  LONG Query(const char* name, BYTE* buffer, DWORD* byteCount) const;
  LONG Set(const char* name, DWORD type, const BYTE* data, DWORD byteCount) const;
  void Flush() const;

 private:
  HKEY key_ = nullptr;
};

}  // namespace qv::win
