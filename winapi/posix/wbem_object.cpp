#include "winapi/posix/wbem_object.h"

#include <cstring>

#include "winapi/posix/oleauto_internal.h"

namespace qv::standin {
namespace {

char16_t FoldCase(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c;
}

CIMTYPE CimTypeOf(VARTYPE type) {
  CIMTYPE base = type & ~VT_ARRAY;
  if (base == VT_UNKNOWN) base = CIM_OBJECT;
  return (type & VT_ARRAY) ? (base | CIM_FLAG_ARRAY) : base;
}

bool IsNullValue(const VARIANT* value) {
  return value == nullptr || value->vt == VT_NULL || value->vt == VT_EMPTY;
}

}  // namespace

bool SameName(const WideText& a, const WideText& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

StoredVariant::StoredVariant() {
  std::memset(&value_, 0, sizeof(value_));
  value_.vt = VT_NULL;
}

StoredVariant::~StoredVariant() {
  ClearVariant(&value_);
}

WbemObject::WbemObject(WideText className, bool isClass)
    : ComObject(IID_IWbemClassObject), className_(std::move(className)), isClass_(isClass) {}

WbemObject::~WbemObject() {
  for (Property* property : properties_) delete property;
  for (Method& method : methods_) {
    if (method.in != nullptr) method.in->Release();
    if (method.out != nullptr) method.out->Release();
  }
}

WbemObject* WbemObject::NewClass(WideText className) {
  return new WbemObject(std::move(className), true);
}

WbemObject::Property* WbemObject::Find(const WideText& name) {
  for (Property* property : properties_)
    if (SameName(property->name, name)) return property;
  return nullptr;
}

const WbemObject::Property* WbemObject::Find(const WideText& name) const {
  return const_cast<WbemObject*>(this)->Find(name);
}

void WbemObject::Declare(const WideText& name, VARTYPE type, CIMTYPE cimType) {
  if (Find(name) != nullptr) return;
  properties_.push_back(
      new Property{name, type, cimType == kCimTypeOfVariant ? CimTypeOf(type) : cimType, {}});
}

HRESULT WbemObject::Set(const WideText& name, const VARIANT& value) {
  Property* property = Find(name);
  if (property == nullptr) return WBEM_E_NOT_FOUND;
  if (!IsNullValue(&value) && value.vt != property->type) return WBEM_E_TYPE_MISMATCH;
  StoredVariant copy;
  if (IsNullValue(&value)) {
    copy.get()->vt = VT_NULL;
  } else if (HRESULT hr = CopyVariant(copy.get(), &value); FAILED(hr)) {
    return WBEM_E_OUT_OF_MEMORY;
  }
  std::swap(*copy.get(), *property->value.get());
  return S_OK;
}

void WbemObject::SetInt32(const WideText& name, std::int32_t value) {
  Declare(name, VT_I4);
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = value;
  Set(name, v);
}

void WbemObject::SetUInt32(const WideText& name, std::uint32_t value) {
  Declare(name, VT_I4, CIM_UINT32);
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = static_cast<std::int32_t>(value);
  Set(name, v);
}

void WbemObject::SetText(const WideText& name, const WideText& value) {
  Declare(name, VT_BSTR);
  StoredVariant v;
  v.get()->vt = VT_BSTR;
  v.get()->bstrVal = AllocBstr(value.data(), value.size());
  Set(name, *v.get());
}

void WbemObject::SetBytes(const WideText& name, const std::vector<std::uint8_t>& bytes) {
  Declare(name, VT_ARRAY | VT_UI1);
  StoredVariant v;
  SAFEARRAY* array = CreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (array == nullptr) return;
  if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
  v.get()->vt = VT_ARRAY | VT_UI1;
  v.get()->parray = array;
  Set(name, *v.get());
}

void WbemObject::SetObject(const WideText& name, IUnknown* object) {
  Declare(name, VT_UNKNOWN);
  VARIANT v{};
  v.vt = VT_UNKNOWN;
  v.punkVal = object;
  Set(name, v);  // the copy adds the reference
}

void WbemObject::DeclareMethod(const WideText& name, IWbemClassObject* in, IWbemClassObject* out) {
  if (in != nullptr) in->AddRef();
  if (out != nullptr) out->AddRef();
  methods_.push_back(Method{name, in, out});
}

WbemObject* WbemObject::NewInstance() const {
  auto* instance = new WbemObject(className_, false);
  for (const Property* property : properties_) {
    instance->Declare(property->name, property->type, property->cimType);
    instance->Set(property->name, *property->value.get());
  }
  return instance;
}

HRESULT WbemObject::Read(const WideText& name, VARIANT* value) const {
  const Property* property = Find(name);
  if (property == nullptr) return WBEM_E_NOT_FOUND;
  return CopyVariant(value, property->value.get());
}

HRESULT WbemObject::Get(LPCWSTR name, long, VARIANT* value, CIMTYPE* type, long* flavor) {
  if (ShouldFail("IWbemClassObject::Get")) return WBEM_E_OUT_OF_MEMORY;
  if (name == nullptr) return WBEM_E_INVALID_PARAMETER;
  const Property* property = Find(name);
  if (property == nullptr) return WBEM_E_NOT_FOUND;
  if (value != nullptr) {
    HRESULT hr = CopyVariant(value, property->value.get());
    if (FAILED(hr)) return WBEM_E_OUT_OF_MEMORY;
  }
  if (type != nullptr) *type = property->cimType;
  if (flavor != nullptr) *flavor = 0;
  return S_OK;
}

HRESULT WbemObject::Put(LPCWSTR name, long, VARIANT* value, CIMTYPE) {
  if (ShouldFail("IWbemClassObject::Put")) return WBEM_E_OUT_OF_MEMORY;
  if (name == nullptr) return WBEM_E_INVALID_PARAMETER;
  if (isClass_ && Find(name) == nullptr && !IsNullValue(value)) Declare(name, value->vt);
  VARIANT null{};
  null.vt = VT_NULL;
  return Set(name, value != nullptr ? *value : null);
}

HRESULT WbemObject::SpawnInstance(long, IWbemClassObject** instance) {
  if (instance == nullptr) return WBEM_E_INVALID_PARAMETER;
  *instance = nullptr;
  if (ShouldFail("IWbemClassObject::SpawnInstance")) return WBEM_E_OUT_OF_MEMORY;
  if (!isClass_) return WBEM_E_INVALID_OPERATION;
  *instance = NewInstance();
  return S_OK;
}

HRESULT WbemObject::GetMethod(LPCWSTR name, long, IWbemClassObject** in, IWbemClassObject** out) {
  if (in != nullptr) *in = nullptr;
  if (out != nullptr) *out = nullptr;
  if (ShouldFail("IWbemClassObject::GetMethod")) return WBEM_E_OUT_OF_MEMORY;
  if (name == nullptr) return WBEM_E_INVALID_PARAMETER;
  for (const Method& method : methods_) {
    if (!SameName(method.name, name)) continue;
    if (in != nullptr && (*in = method.in) != nullptr) method.in->AddRef();
    if (out != nullptr && (*out = method.out) != nullptr) method.out->AddRef();
    return S_OK;
  }
  return WBEM_E_NOT_FOUND;
}

}  // namespace qv::standin
