// QVString: a value-type string that holds its text either narrow (ANSI code-page bytes, which
// may include NUL bytes) or wide (UTF-16), one form at a time, converting on demand. The form
// not in use is always empty. Accessors switch the live form even on a const string, so the
// representation is mutable: the three fields behave as a cache of one logical value.
#pragma once

#include <string>

#include "winapi/win32.h"

class QVString {
 public:
  using WideString = std::basic_string<WCHAR>;

  QVString();                                  // empty, wide-live
  QVString(const char* text);                  // up to the first NUL, narrow-live
  QVString(const WCHAR* text);                 // up to the first NUL, wide-live
  explicit QVString(char character);           // one character; NUL gives "", narrow-live
  QVString(const char* bytes, int count);      // exactly count bytes, NULs included
  explicit QVString(const WideString& text);   // the whole content, wide-live
  QVString(const QVString& other);             // the live text up to its first NUL
  QVString(const QVString& other, int count);  // count < 0: up to the first NUL; else count units
  QVString& operator=(const QVString& other);
  QVString& operator=(const char* text);
  ~QVString();

  // Pointers stay valid until the next operation on this string.
  const char* GetNarrow() const;
  const WCHAR* GetWide() const;
  WideString GetWideString() const;

  int GetLength() const;  // units of the live form
  bool IsEmpty() const;
  int ToInt() const;                              // atoi / _wtoi of the live form
  int Find(const char* needle, int start) const;  // position in live-form units, or -1
  int Find(const WCHAR* needle, int start) const;

  void Clear();
  void Format(const char* format, ...);
  // Up to `count` units from `start`; switches this string to wide. Throws std::out_of_range
  // when start is past the end.
  QVString Mid(int start, int count) const;
  // Upper-cases a to z in place (wide-live) and returns a copy of the new value.
  QVString MakeUpper();

 private:
  void SwitchToWide() const;
  void SwitchToNarrow() const;

  mutable std::string m_narrow;
  mutable WideString m_wide;
  mutable bool m_isNarrow;
};
