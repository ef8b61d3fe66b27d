// A VARIANT that is initialised on creation and cleared on destruction.
#pragma once

#include "winapi/win32.h"

namespace qv::win {

class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { VariantClear(&value_); }

  VARIANT* Get() { return &value_; }
  const VARIANT& operator*() const { return value_; }
  const VARIANT* operator->() const { return &value_; }

  bool HoldsByteArray() const { return value_.vt == (VT_ARRAY | VT_UI1) && value_.parray; }
  bool HoldsObject() const { return value_.vt == VT_UNKNOWN && value_.punkVal != nullptr; }

 private:
  VARIANT value_;
};

}  // namespace qv::win
