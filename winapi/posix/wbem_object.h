// The stand-in's WMI class objects and instances: named, typed properties holding automation
// values, and for classes their methods' parameter signatures. Names compare without regard to
// ASCII case, as WMI compares them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "winapi/posix/com_object.h"
#include "winapi/posix/wbem.h"

namespace qv::standin {

using WideText = std::u16string;

bool SameName(const WideText& a, const WideText& b);

// A VARIANT that frees what it holds.
class StoredVariant {
 public:
  StoredVariant();
  StoredVariant(const StoredVariant&) = delete;
  StoredVariant& operator=(const StoredVariant&) = delete;
  ~StoredVariant();
  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }

 private:
  VARIANT value_;
};

class WbemObject final : public ComObject<IWbemClassObject> {
 public:
  static constexpr CIMTYPE kCimTypeOfVariant = -1;

  // A new class definition, or a new instance of no class (for embedded data), with one
  // reference owned by the caller.
  static WbemObject* NewClass(WideText className);

  // Declares a property of the given automation type; its value starts VT_NULL. The CIM type
  // follows from the automation type unless given (WMI carries unsigned 32-bit properties as
  // VT_I4, for one).
  void Declare(const WideText& name, VARTYPE type, CIMTYPE cimType = kCimTypeOfVariant);
  // Stores a copy of `value` under a declared property, bypassing the call log.
  HRESULT Set(const WideText& name, const VARIANT& value);
  void SetInt32(const WideText& name, std::int32_t value);
  void SetUInt32(const WideText& name, std::uint32_t value);  // VT_I4, CIM_UINT32
  void SetText(const WideText& name, const WideText& value);
  void SetBytes(const WideText& name, const std::vector<std::uint8_t>& bytes);
  void SetObject(const WideText& name, IUnknown* object);  // adds a reference
  // Adds a method with its signature objects (references added).
  void DeclareMethod(const WideText& name, IWbemClassObject* in, IWbemClassObject* out);
  // A new instance with this class's properties and their current values.
  WbemObject* NewInstance() const;

  // Copies a property's value into `value` (which must hold nothing), bypassing the call log.
  HRESULT Read(const WideText& name, VARIANT* value) const;
  const WideText& ClassName() const { return className_; }

  HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, long flags, VARIANT* value, CIMTYPE* type,
                                long* flavor) override;
  HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, long flags, VARIANT* value, CIMTYPE type) override;
  HRESULT STDMETHODCALLTYPE SpawnInstance(long flags, IWbemClassObject** instance) override;
  HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR name, long flags, IWbemClassObject** in,
                                      IWbemClassObject** out) override;

 private:
  struct Property {
    WideText name;
    VARTYPE type;
    CIMTYPE cimType;
    StoredVariant value;
  };
  struct Method {
    WideText name;
    IWbemClassObject* in;
    IWbemClassObject* out;
  };

  WbemObject(WideText className, bool isClass);
  ~WbemObject() override;

  Property* Find(const WideText& name);
  const Property* Find(const WideText& name) const;

  WideText className_;
  bool isClass_;
  std::vector<Property*> properties_;  // owned; Property holds a non-movable VARIANT
  std::vector<Method> methods_;
};

}  // namespace qv::standin
