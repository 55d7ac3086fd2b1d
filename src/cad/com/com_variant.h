// The portable automation values (dispatch_value.h) to and from real VARIANTs: texts as BSTRs,
// number arrays as one-dimensional SAFEARRAYs based at 0, object references as IDispatch.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "cad/dispatch/dispatch_value.h"

namespace vorn::cad::com {

// A VARIANT that clears itself (releasing its BSTR, SAFEARRAY or object).
class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value_); }
  ~OwnedVariant() { VariantClear(&value_); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT& operator*() const { return value_; }

 private:
  VARIANT value_;
};

// Fills `out` (which must be cleared or initialised) with the value. An object reference must
// be one this backend made (a ComDispatchObject); throws CadError otherwise.
void ToVariant(const dispatch::DispatchValue& value, VARIANT& out);
// Reads a VARIANT, following a by-reference one. Narrow integers widen to the nearest kind the
// model has (VT_UI1 to I2, VT_UI2 to I4, VT_UI4 to I8), VT_R4 and the other real kinds become
// R8, VT_NULL is Empty; arrays must have one dimension. Throws CadError for anything else.
dispatch::DispatchValue FromVariant(const VARIANT& value);

}  // namespace vorn::cad::com
