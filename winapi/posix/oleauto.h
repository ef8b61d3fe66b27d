// OLE Automation values: BSTRs, VARIANTs and SAFEARRAYs, with Windows ownership rules. A BSTR
// is length-prefixed 16-bit text; VariantClear frees what the variant owns (BSTR, array,
// interface reference); a SAFEARRAY cannot be destroyed while its data is accessed.
#pragma once

#include "winapi/posix/com.h"
#include "winapi/posix/types.h"

using BSTR = OLECHAR*;
using VARTYPE = unsigned short;
using VARIANT_BOOL = short;

#define VARIANT_TRUE (static_cast<VARIANT_BOOL>(-1))
#define VARIANT_FALSE (static_cast<VARIANT_BOOL>(0))

enum VARENUM {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
};

#define DISP_E_BADVARTYPE QV_HRESULT(0x80020008u)
#define DISP_E_ARRAYISLOCKED QV_HRESULT(0x8002000Du)
#define DISP_E_BADINDEX QV_HRESULT(0x8002000Bu)
#define DISP_E_TYPEMISMATCH QV_HRESULT(0x80020005u)

typedef struct tagSAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
} SAFEARRAYBOUND;

typedef struct tagSAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  PVOID pvData;
  SAFEARRAYBOUND rgsabound[1];
} SAFEARRAY;

typedef struct tagVARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    ULONG ulVal;
    INT intVal;
    UINT uintVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IUnknown* punkVal;
    SAFEARRAY* parray;
    void* byref;
  };
} VARIANT, *LPVARIANT, VARIANTARG;

BSTR WINAPI SysAllocString(const OLECHAR* text);
BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT length);
void WINAPI SysFreeString(BSTR text);
UINT WINAPI SysStringLen(BSTR text);

void WINAPI VariantInit(VARIANT* variant);
HRESULT WINAPI VariantClear(VARIANT* variant);

SAFEARRAY* WINAPI SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT WINAPI SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);
HRESULT WINAPI SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT WINAPI SafeArrayUnaccessData(SAFEARRAY* array);
HRESULT WINAPI SafeArrayDestroy(SAFEARRAY* array);
HRESULT WINAPI SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound);
HRESULT WINAPI SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound);
