#include "platform/wbem_access.h"

#include "win/scoped_bstr.h"
#include "win/scoped_com_ptr.h"
#include "win/scoped_safe_array_access.h"
#include "win/scoped_variant.h"

namespace qv::platform {
namespace {

// The embedded object that `value` holds, as IWbemClassObject; false when it holds none.
bool QueryEmbedded(const win::ScopedVariant& value, win::ScopedComPtr<IWbemClassObject>* object) {
  if (!value.HoldsObject()) return false;
  value->punkVal->QueryInterface(IID_IWbemClassObject, object->ReceiveVoid());
  return static_cast<bool>(*object);
}

}  // namespace

void SetImpersonatingBlanket(IUnknown* proxy) {
  CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

bool ReadEmbeddedBytes(IWbemClassObject* holder, const char* property, std::vector<BYTE>* bytes) {
  win::ScopedBstr propertyName(property);
  win::ScopedBstr bytesName("Bytes");
  win::ScopedVariant value;
  if (FAILED(holder->Get(propertyName.Get(), 0, value.Get(), nullptr, nullptr))) return false;
  win::ScopedComPtr<IWbemClassObject> embedded;
  if (!QueryEmbedded(value, &embedded)) return false;
  win::ScopedVariant array;
  if (FAILED(embedded->Get(bytesName.Get(), 0, array.Get(), nullptr, nullptr)) ||
      !array.HoldsByteArray())
    return false;
  win::ScopedSafeArrayAccess access(array->parray);
  if (!access.IsValid()) return false;
  bytes->assign(access.Data(), access.Data() + access.Length());
  return true;
}

}  // namespace qv::platform
