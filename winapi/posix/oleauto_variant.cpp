#include <cstring>

#include "winapi/posix/ledger.h"
#include "winapi/posix/oleauto_internal.h"

namespace qv::standin {
namespace {

HRESULT CopyArray(SAFEARRAY** target, SAFEARRAY* source) {
  *target = nullptr;
  if (source == nullptr) return S_OK;
  const SAFEARRAYBOUND& bound = source->rgsabound[0];
  SAFEARRAY* copy = CreateVector(ElementType(source), bound.lLbound, bound.cElements);
  if (copy == nullptr) return E_OUTOFMEMORY;
  std::memcpy(copy->pvData, source->pvData,
              static_cast<std::size_t>(bound.cElements) * source->cbElements);
  *target = copy;
  return S_OK;
}

}  // namespace

HRESULT CopyVariant(VARIANT* target, const VARIANT* source) {
  std::memcpy(target, source, sizeof(VARIANT));
  if (source->vt & VT_BYREF) return S_OK;
  if (source->vt & VT_ARRAY) return CopyArray(&target->parray, source->parray);
  switch (source->vt) {
    case VT_BSTR:
      if (source->bstrVal == nullptr) return S_OK;
      target->bstrVal = AllocBstr(source->bstrVal, BstrLength(source->bstrVal));
      if (target->bstrVal != nullptr) return S_OK;
      target->vt = VT_EMPTY;
      return E_OUTOFMEMORY;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (source->punkVal != nullptr) source->punkVal->AddRef();
      return S_OK;
    default:
      return S_OK;
  }
}

HRESULT ClearVariant(VARIANT* variant) {
  if (!(variant->vt & VT_BYREF)) {
    if (variant->vt & VT_ARRAY) {
      if (variant->parray != nullptr && variant->parray->cLocks > 0) return DISP_E_ARRAYISLOCKED;
      DestroyArray(variant->parray);
    } else if (variant->vt == VT_BSTR) {
      FreeBstr(variant->bstrVal);
    } else if ((variant->vt == VT_UNKNOWN || variant->vt == VT_DISPATCH) &&
               variant->punkVal != nullptr) {
      variant->punkVal->Release();
    }
  }
  std::memset(variant, 0, sizeof(VARIANT));
  variant->vt = VT_EMPTY;
  return S_OK;
}

}  // namespace qv::standin

void WINAPI VariantInit(VARIANT* variant) {
  qv::standin::ShouldFail("VariantInit");
  if (variant == nullptr) return;
  std::memset(variant, 0, sizeof(VARIANT));
  variant->vt = VT_EMPTY;
}

HRESULT WINAPI VariantClear(VARIANT* variant) {
  if (qv::standin::ShouldFail("VariantClear")) return E_UNEXPECTED;
  if (variant == nullptr) return E_INVALIDARG;
  return qv::standin::ClearVariant(variant);
}
