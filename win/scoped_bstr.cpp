#include "win/scoped_bstr.h"

#include <vector>

#include "win/com_error.h"

namespace qv::win {
namespace {

// The wide form of `text`, without its terminating NUL; empty when it cannot be converted.
std::vector<WCHAR> WidenAnsi(const char* text) {
  int units = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (units <= 0) return {};
  std::vector<WCHAR> wide(static_cast<std::size_t>(units));
  units = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), units);
  wide.resize(units > 0 ? static_cast<std::size_t>(units) - 1 : 0);
  return wide;
}

}  // namespace

ScopedBstr::ScopedBstr(const char* text) {
  std::vector<WCHAR> wide = WidenAnsi(text);
  text_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (text_ == nullptr) throw ComError(E_OUTOFMEMORY);
}

void ScopedBstr::Reset() {
  BSTR freed = text_;
  text_ = nullptr;
  if (freed != nullptr) SysFreeString(freed);
}

}  // namespace qv::win
