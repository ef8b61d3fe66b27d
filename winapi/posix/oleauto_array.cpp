#include <cstdlib>
#include <cstring>

#include "winapi/posix/ledger.h"
#include "winapi/posix/oleauto_internal.h"

namespace qv::standin {
namespace {

constexpr USHORT kHaveVarType = 0x0080;  // FADF_HAVEVARTYPE

// The descriptor handed out is the first member, so the element type travels with it.
struct ArrayBlock {
  SAFEARRAY array;
  VARTYPE vt;
};

ULONG ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
      return 4;
    default:
      return 0;  // element types that own resources are not needed by the subsystems
  }
}

bool ValidVector(const SAFEARRAY* array) {
  return array != nullptr && array->cDims == 1;
}

}  // namespace

SAFEARRAY* CreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  ULONG size = ElementSize(vt);
  if (size == 0) return nullptr;
  auto* block = static_cast<ArrayBlock*>(std::calloc(1, sizeof(ArrayBlock)));
  if (block == nullptr) return nullptr;
  block->array.pvData = std::calloc(elements == 0 ? 1 : elements, size);
  if (block->array.pvData == nullptr) {
    std::free(block);
    return nullptr;
  }
  block->vt = vt;
  block->array.cDims = 1;
  block->array.fFeatures = kHaveVarType;
  block->array.cbElements = size;
  block->array.rgsabound[0] = SAFEARRAYBOUND{elements, lowerBound};
  Acquire(Resource::SafeArray);
  return &block->array;
}

void DestroyArray(SAFEARRAY* array) {
  if (array == nullptr) return;
  std::free(array->pvData);
  std::free(reinterpret_cast<ArrayBlock*>(array));
  Release(Resource::SafeArray);
}

VARTYPE ElementType(const SAFEARRAY* array) {
  return reinterpret_cast<const ArrayBlock*>(array)->vt;
}

}  // namespace qv::standin

SAFEARRAY* WINAPI SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  if (qv::standin::ShouldFail("SafeArrayCreateVector")) return nullptr;
  return qv::standin::CreateVector(vt, lowerBound, elements);
}

HRESULT WINAPI SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (qv::standin::ShouldFail("SafeArrayPutElement")) return E_OUTOFMEMORY;
  if (!qv::standin::ValidVector(array) || indices == nullptr || value == nullptr)
    return E_INVALIDARG;
  const SAFEARRAYBOUND& bound = array->rgsabound[0];
  long long offset = static_cast<long long>(indices[0]) - bound.lLbound;
  if (offset < 0 || offset >= static_cast<long long>(bound.cElements)) return DISP_E_BADINDEX;
  std::memcpy(static_cast<BYTE*>(array->pvData) + offset * array->cbElements, value,
              array->cbElements);
  return S_OK;
}

HRESULT WINAPI SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (qv::standin::ShouldFail("SafeArrayAccessData")) return E_UNEXPECTED;
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  ++array->cLocks;
  *data = array->pvData;
  return S_OK;
}

HRESULT WINAPI SafeArrayUnaccessData(SAFEARRAY* array) {
  if (qv::standin::ShouldFail("SafeArrayUnaccessData")) return E_UNEXPECTED;
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT WINAPI SafeArrayDestroy(SAFEARRAY* array) {
  if (qv::standin::ShouldFail("SafeArrayDestroy")) return E_UNEXPECTED;
  if (array == nullptr) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  qv::standin::DestroyArray(array);
  return S_OK;
}

HRESULT WINAPI SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound) {
  if (qv::standin::ShouldFail("SafeArrayGetLBound")) return E_UNEXPECTED;
  if (!qv::standin::ValidVector(array) || lowerBound == nullptr) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *lowerBound = array->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT WINAPI SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound) {
  if (qv::standin::ShouldFail("SafeArrayGetUBound")) return E_UNEXPECTED;
  if (!qv::standin::ValidVector(array) || upperBound == nullptr) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = array->rgsabound[0];
  *upperBound = static_cast<LONG>(bound.lLbound + static_cast<long long>(bound.cElements) - 1);
  return S_OK;
}
