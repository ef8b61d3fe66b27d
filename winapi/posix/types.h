// Basic Win32 types and constants for the POSIX stand-in, with the sizes of the Windows ABI
// where the subsystems depend on them (DWORD and LONG are 32-bit, WCHAR is 16-bit).
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define STDMETHODCALLTYPE
#define CALLBACK

using BOOL = int;
using BOOLEAN = unsigned char;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using CHAR = char;
using WCHAR = char16_t;
using OLECHAR = WCHAR;
using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using PBYTE = BYTE*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using PDWORD = DWORD*;
using PLONG = LONG*;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using HANDLE = void*;
using HMODULE = void*;
using HINSTANCE = void*;
using HWND = void*;
using PHANDLE = HANDLE*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
#define MAKEWORD(lo, hi) \
  static_cast<WORD>((static_cast<BYTE>(lo)) | (static_cast<WORD>(static_cast<BYTE>(hi)) << 8))

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
inline bool operator!=(const GUID& a, const GUID& b) {
  return !(a == b);
}
inline bool IsEqualGUID(const GUID& a, const GUID& b) {
  return a == b;
}
#define IsEqualIID IsEqualGUID
#define IsEqualCLSID IsEqualGUID

// HRESULTs
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#define QV_HRESULT(x) static_cast<HRESULT>(static_cast<std::uint32_t>(x))
#define S_OK QV_HRESULT(0x00000000u)
#define S_FALSE QV_HRESULT(0x00000001u)
#define E_NOTIMPL QV_HRESULT(0x80004001u)
#define E_NOINTERFACE QV_HRESULT(0x80004002u)
#define E_POINTER QV_HRESULT(0x80004003u)
#define E_FAIL QV_HRESULT(0x80004005u)
#define E_UNEXPECTED QV_HRESULT(0x8000FFFFu)
#define E_OUTOFMEMORY QV_HRESULT(0x8007000Eu)
#define E_INVALIDARG QV_HRESULT(0x80070057u)
#define E_ACCESSDENIED QV_HRESULT(0x80070005u)
#define HRESULT_FROM_WIN32(e) \
  ((e) == 0 ? S_OK : QV_HRESULT((static_cast<std::uint32_t>(e) & 0x0000FFFFu) | 0x80070000u))

// Win32 error codes used by the stand-in.
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_BAD_FORMAT 11L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L
#define ERROR_NOT_OWNER 288L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_INVALID_USER_BUFFER 1784L
#define ERROR_INVALID_FLAGS 1004L
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED 0xFFFFFFFFu
#define INFINITE 0xFFFFFFFFu

// Security attributes of a new kernel object (mappings, processes, threads). The stand-in
// accepts them and applies no security.
typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
