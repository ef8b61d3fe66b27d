#include "util/qv_string.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

struct FreeDeleter {
  void operator()(char* block) const { std::free(block); }
};

// Length of a NUL-terminated wide text; WCHAR is not wchar_t everywhere, so no wcslen.
std::size_t WideLength(const WCHAR* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

QVString::WideString NarrowToWide(const std::string& narrow) {
  if (narrow.empty()) return {};
  const int size = static_cast<int>(narrow.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  QVString::WideString wide(static_cast<std::size_t>(needed), 0);
  const int written = MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, wide.data(), needed);
  wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return wide;
}

// Converts up to the first NUL unit: the wide-to-narrow switch keeps only that part.
std::string WideToNarrow(const QVString::WideString& wide) {
  if (wide.empty() || wide[0] == 0) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string narrow(static_cast<std::size_t>(needed), '\0');
  const int written =
      WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), needed, nullptr, nullptr);
  narrow.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
  return narrow;
}

int ToPosition(std::size_t found) {
  return found == std::string::npos ? -1 : static_cast<int>(found);
}

// _wtoi: leading white space, an optional sign, decimal digits; saturates like strtol.
int WideToInt(const QVString::WideString& text) {
  std::size_t i = 0;
  auto isSpace = [](WCHAR c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

QVString::QVString() : m_isNarrow(false) {}

QVString::QVString(const char* text) : m_narrow(text ? text : ""), m_isNarrow(true) {}

QVString::QVString(const WCHAR* text) : m_isNarrow(false) {
  if (text) m_wide.assign(text, WideLength(text));
}

QVString::QVString(char character) : m_isNarrow(true) {
  if (character != '\0') m_narrow.assign(1, character);
}

QVString::QVString(const char* bytes, int count) : m_isNarrow(true) {
  if (bytes && count > 0) m_narrow.assign(bytes, static_cast<std::size_t>(count));
}

QVString::QVString(const WideString& text) : m_wide(text), m_isNarrow(false) {}

QVString::QVString(const QVString& other) : m_isNarrow(other.m_isNarrow) {
  if (m_isNarrow)
    m_narrow = other.m_narrow.c_str();
  else
    m_wide = other.m_wide.c_str();
}

QVString::QVString(const QVString& other, int count) : m_isNarrow(other.m_isNarrow) {
  if (count < 0) {
    *this = other;
    return;
  }
  // A count beyond the source's length takes the whole source rather than reading past it.
  const std::size_t units = static_cast<std::size_t>(count);
  if (m_isNarrow)
    m_narrow = other.m_narrow.substr(0, units);
  else
    m_wide = other.m_wide.substr(0, units);
}

QVString& QVString::operator=(const QVString& other) {
  if (this == &other) {
    // Self-assignment still cuts the text at its first NUL, as assignment always does.
    if (m_isNarrow)
      m_narrow = std::string(m_narrow.c_str());
    else
      m_wide = WideString(m_wide.c_str());
    return *this;
  }
  Clear();
  m_isNarrow = other.m_isNarrow;
  if (m_isNarrow)
    m_narrow = other.m_narrow.c_str();
  else
    m_wide = other.m_wide.c_str();
  return *this;
}

QVString& QVString::operator=(const char* text) {
  Clear();
  m_isNarrow = true;
  if (text) m_narrow = text;
  return *this;
}

QVString::~QVString() = default;

const char* QVString::GetNarrow() const {
  SwitchToNarrow();
  return m_narrow.c_str();
}

const WCHAR* QVString::GetWide() const {
  SwitchToWide();
  return m_wide.c_str();
}

QVString::WideString QVString::GetWideString() const {
  SwitchToWide();
  return m_wide;
}

int QVString::GetLength() const {
  return static_cast<int>(m_isNarrow ? m_narrow.size() : m_wide.size());
}

bool QVString::IsEmpty() const {
  return GetLength() == 0;
}

int QVString::ToInt() const {
  if (!m_isNarrow) return WideToInt(m_wide);
  errno = 0;
  const long value = std::strtol(m_narrow.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int QVString::Find(const char* needle, int start) const {
  if (needle == nullptr || start < 0) return -1;
  if (m_isNarrow) return ToPosition(m_narrow.find(needle, static_cast<std::size_t>(start)));
  const WideString wideNeedle = NarrowToWide(needle);
  return ToPosition(m_wide.find(wideNeedle, static_cast<std::size_t>(start)));
}

int QVString::Find(const WCHAR* needle, int start) const {
  if (needle == nullptr || start < 0) return -1;
  if (!m_isNarrow) {
    return ToPosition(m_wide.find(needle, static_cast<std::size_t>(start), WideLength(needle)));
  }
  const std::string narrowNeedle = WideToNarrow(WideString(needle));
  return ToPosition(m_narrow.find(narrowNeedle, static_cast<std::size_t>(start)));
}

void QVString::Clear() {
  m_narrow.clear();
  m_wide.clear();
  m_isNarrow = false;
}

void QVString::Format(const char* format, ...) {
  if (format == nullptr) return;
  va_list args;
  va_start(args, format);
  va_list measureArgs;
  va_copy(measureArgs, args);
  const int length = std::vsnprintf(nullptr, 0, format, measureArgs);
  va_end(measureArgs);
  if (length < 0) {  // a format the runtime rejects leaves the string as it was
    va_end(args);
    return;
  }
  // The runtime heap, not operator new: a buffer that cannot be had leaves the string as it
  // was instead of throwing.
  const std::size_t size = static_cast<std::size_t>(length) + 1;
  std::unique_ptr<char, FreeDeleter> buffer(static_cast<char*>(std::malloc(size)));
  if (!buffer) {
    va_end(args);
    return;
  }
  std::vsnprintf(buffer.get(), size, format, args);
  va_end(args);
  Clear();
  m_narrow = buffer.get();
  m_isNarrow = true;
}

QVString QVString::Mid(int start, int count) const {
  SwitchToWide();
  const WideString text(m_wide.c_str());
  if (start < 0 || static_cast<std::size_t>(start) > text.size())
    throw std::out_of_range("invalid string position");
  const std::size_t units = count < 0 ? 0 : static_cast<std::size_t>(count);
  return QVString(text.substr(static_cast<std::size_t>(start), units));
}

QVString QVString::MakeUpper() {
  SwitchToWide();
  WideString upper(m_wide);
  // The classic-locale mapping: only a to z change.
  for (WCHAR& unit : upper)
    if (unit >= 'a' && unit <= 'z') unit = static_cast<WCHAR>(unit - ('a' - 'A'));
  m_wide = upper.c_str();
  return *this;
}

void QVString::SwitchToWide() const {
  if (!m_isNarrow) return;
  m_wide = NarrowToWide(m_narrow);
  m_narrow.clear();
  m_isNarrow = false;
}

void QVString::SwitchToNarrow() const {
  if (m_isNarrow) return;
  m_narrow = WideToNarrow(m_wide);
  m_wide.clear();
  m_isNarrow = true;
}
