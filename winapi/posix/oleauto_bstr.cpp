#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "winapi/posix/ledger.h"
#include "winapi/posix/oleauto_internal.h"

// A BSTR points just past a 32-bit byte count and is followed by a terminating NUL unit.
namespace qv::standin {
namespace {

constexpr std::size_t kMaxBstrUnits = 0x3FFFFFF0u;

std::uint32_t* PrefixOf(BSTR text) {
  return reinterpret_cast<std::uint32_t*>(text) - 1;
}

}  // namespace

BSTR AllocBstr(const OLECHAR* text, std::size_t length) {
  if (length > kMaxBstrUnits) return nullptr;
  void* block = std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(OLECHAR));
  if (block == nullptr) return nullptr;
  auto* prefix = static_cast<std::uint32_t*>(block);
  *prefix = static_cast<std::uint32_t>(length * sizeof(OLECHAR));
  auto* units = reinterpret_cast<OLECHAR*>(prefix + 1);
  if (text != nullptr)
    std::memcpy(units, text, length * sizeof(OLECHAR));
  else
    std::memset(units, 0, length * sizeof(OLECHAR));
  units[length] = 0;
  Acquire(Resource::Bstr);
  return units;
}

void FreeBstr(BSTR text) {
  if (text == nullptr) return;
  std::free(PrefixOf(text));
  Release(Resource::Bstr);
}

std::size_t BstrLength(BSTR text) {
  return text == nullptr ? 0 : *PrefixOf(text) / sizeof(OLECHAR);
}

}  // namespace qv::standin

BSTR WINAPI SysAllocString(const OLECHAR* text) {
  if (qv::standin::ShouldFail("SysAllocString") || text == nullptr) return nullptr;
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return qv::standin::AllocBstr(text, length);
}

BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (qv::standin::ShouldFail("SysAllocStringLen")) return nullptr;
  return qv::standin::AllocBstr(text, length);
}

void WINAPI SysFreeString(BSTR text) {
  qv::standin::ShouldFail("SysFreeString");
  qv::standin::FreeBstr(text);
}

UINT WINAPI SysStringLen(BSTR text) {
  qv::standin::ShouldFail("SysStringLen");
  return static_cast<UINT>(qv::standin::BstrLength(text));
}
