// The stand-in's own handling of automation values, shared by the OLE Automation entry points
// and the WMI objects. These do not record calls in the ledger's call log (the WMI objects copy
// values internally), but every BSTR and array they make or free is booked as a resource.
#pragma once

#include <cstddef>

#include "winapi/posix/oleauto.h"

namespace qv::standin {

BSTR AllocBstr(const OLECHAR* text, std::size_t length);  // null when out of memory
void FreeBstr(BSTR text);
std::size_t BstrLength(BSTR text);

SAFEARRAY* CreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);  // null if unsupported
void DestroyArray(SAFEARRAY* array);                                   // ignores locks
VARTYPE ElementType(const SAFEARRAY* array);

// Copies `source` into `target` (which must hold nothing), duplicating BSTRs and arrays and
// adding a reference to interfaces.
HRESULT CopyVariant(VARIANT* target, const VARIANT* source);
// Frees what the variant owns and leaves it VT_EMPTY; locked arrays give DISP_E_ARRAYISLOCKED.
HRESULT ClearVariant(VARIANT* variant);

}  // namespace qv::standin
