#include "cad/com/com_variant.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "cad/com/com_dispatch.h"
#include "cad/com/com_text.h"

namespace vorn::cad::com {
namespace {

using dispatch::DispatchMissing;
using dispatch::DispatchObjectPtr;
using dispatch::DispatchValue;

[[noreturn]] void Unsupported(VARTYPE type) {
  throw CadError("VARIANT type " + std::to_string(type) + " is not supported");
}

void Check(HRESULT hresult, const char* what) {
  if (FAILED(hresult)) {
    throw CadError(std::string(what) + ": " + SystemMessage(hresult) + " (HRESULT " +
                   dispatch::HresultText(hresult) + ")");
  }
}

// A one-dimensional SAFEARRAY of plain numbers, indexed from 0.
template <class T>
SAFEARRAY* NumberArray(VARTYPE type, const std::vector<T>& items) {
  SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(items.size()));
  if (array == nullptr) throw CadError("SafeArrayCreateVector: out of memory");
  if (!items.empty()) {
    void* data = nullptr;
    const HRESULT access = SafeArrayAccessData(array, &data);
    if (FAILED(access)) {
      SafeArrayDestroy(array);
      Check(access, "SafeArrayAccessData");
    }
    std::memcpy(data, items.data(), items.size() * sizeof(T));
    SafeArrayUnaccessData(array);
  }
  return array;
}

SAFEARRAY* VariantArray(const std::vector<DispatchValue>& items) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
  if (array == nullptr) throw CadError("SafeArrayCreateVector: out of memory");
  try {
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
      OwnedVariant item;
      ToVariant(items[static_cast<std::size_t>(i)], *item.get());
      Check(SafeArrayPutElement(array, &i, item.get()), "SafeArrayPutElement");  // copies
    }
  } catch (...) {
    SafeArrayDestroy(array);
    throw;
  }
  return array;
}

IDispatch* ComObjectOf(const DispatchObjectPtr& object) {
  if (!object) return nullptr;
  const auto* com = dynamic_cast<const ComDispatchObject*>(object.get());
  if (com == nullptr) throw CadError("an object that is not a COM object cannot be passed to COM");
  return com->get();
}

template <class T>
std::vector<T> ReadNumbers(SAFEARRAY* array, LONG count) {
  std::vector<T> items(static_cast<std::size_t>(count));
  if (count == 0) return items;
  if (SafeArrayGetElemsize(array) != sizeof(T))
    throw CadError("a SAFEARRAY of a wrong element size");
  void* data = nullptr;
  Check(SafeArrayAccessData(array, &data), "SafeArrayAccessData");
  std::memcpy(items.data(), data, items.size() * sizeof(T));
  SafeArrayUnaccessData(array);
  return items;
}

// Element types whose values sit at the start of a VARIANT's value union, so that an element
// can be read straight into a VARIANT of that type.
bool IsPlainElement(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_BOOL:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
    case VT_ERROR:
    case VT_CY:
    case VT_DATE:
      return true;
    default:
      return false;
  }
}

DispatchValue FromArray(VARTYPE elementType, SAFEARRAY* array) {
  if (array == nullptr) return std::vector<DispatchValue>{};
  if (SafeArrayGetDim(array) != 1) {
    throw CadError("a SAFEARRAY of " + std::to_string(SafeArrayGetDim(array)) +
                   " dimensions is not supported");
  }
  LONG lower = 0;
  LONG upper = -1;
  Check(SafeArrayGetLBound(array, 1, &lower), "SafeArrayGetLBound");
  Check(SafeArrayGetUBound(array, 1, &upper), "SafeArrayGetUBound");
  const LONG count = upper - lower + 1;
  if (count < 0) throw CadError("a SAFEARRAY with a negative length");
  if (elementType == VT_R8) return ReadNumbers<double>(array, count);
  if (elementType == VT_I2) return ReadNumbers<int16_t>(array, count);
  if (elementType != VT_VARIANT && !IsPlainElement(elementType))
    Unsupported(VT_ARRAY | elementType);
  std::vector<DispatchValue> items;
  items.reserve(static_cast<std::size_t>(count));
  for (LONG i = lower; i <= upper; ++i) {
    OwnedVariant item;
    if (elementType == VT_VARIANT) {
      Check(SafeArrayGetElement(array, &i, item.get()), "SafeArrayGetElement");
    } else {
      VARIANT* raw = item.get();
      Check(SafeArrayGetElement(array, &i, &raw->llVal), "SafeArrayGetElement");
      raw->vt = elementType;
    }
    items.push_back(FromVariant(*item));
  }
  return items;
}

DispatchValue FromUnsigned(ULONGLONG value) {
  if (value > static_cast<ULONGLONG>(std::numeric_limits<int64_t>::max())) {
    throw CadError("an unsigned 64-bit value beyond the signed range");
  }
  return static_cast<int64_t>(value);
}

DispatchValue FromObject(IUnknown* unknown) {
  if (unknown == nullptr) return DispatchObjectPtr{};
  IDispatch* dispatch = nullptr;
  if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) ||
      dispatch == nullptr) {
    throw CadError("an object without IDispatch");
  }
  DispatchObjectPtr object = std::make_shared<ComDispatchObject>(dispatch);
  dispatch->Release();  // the wrapper holds its own reference
  return object;
}

DispatchValue FromRealKind(const VARIANT& value) {
  OwnedVariant real;
  // The source is only read; the headers declare it without const.
  Check(VariantChangeType(real.get(), const_cast<VARIANT*>(&value), 0, VT_R8), "VariantChangeType");
  return (*real).dblVal;
}

}  // namespace

void ToVariant(const DispatchValue& value, VARIANT& out) {
  VariantInit(&out);
  std::visit(
      [&out](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          out.vt = VT_EMPTY;
        } else if constexpr (std::is_same_v<T, DispatchMissing>) {
          out.vt = VT_ERROR;
          out.scode = DISP_E_PARAMNOTFOUND;
        } else if constexpr (std::is_same_v<T, bool>) {
          out.vt = VT_BOOL;
          out.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
        } else if constexpr (std::is_same_v<T, int16_t>) {
          out.vt = VT_I2;
          out.iVal = v;
        } else if constexpr (std::is_same_v<T, int32_t>) {
          out.vt = VT_I4;
          out.lVal = v;
        } else if constexpr (std::is_same_v<T, int64_t>) {
          out.vt = VT_I8;
          out.llVal = v;
        } else if constexpr (std::is_same_v<T, double>) {
          out.vt = VT_R8;
          out.dblVal = v;
        } else if constexpr (std::is_same_v<T, std::string>) {
          const std::wstring wide = Utf8ToWide(v);
          BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
          if (text == nullptr) throw CadError("SysAllocStringLen: out of memory");
          out.vt = VT_BSTR;
          out.bstrVal = text;
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
          out.parray = NumberArray(VT_R8, v);
          out.vt = VT_ARRAY | VT_R8;
        } else if constexpr (std::is_same_v<T, std::vector<int16_t>>) {
          out.parray = NumberArray(VT_I2, v);
          out.vt = VT_ARRAY | VT_I2;
        } else if constexpr (std::is_same_v<T, std::vector<DispatchValue>>) {
          out.parray = VariantArray(v);
          out.vt = VT_ARRAY | VT_VARIANT;
        } else {
          IDispatch* dispatch = ComObjectOf(v);
          if (dispatch != nullptr) dispatch->AddRef();
          out.vt = VT_DISPATCH;
          out.pdispVal = dispatch;
        }
      },
      value.value);
}

DispatchValue FromVariant(const VARIANT& value) {
  if ((value.vt & VT_BYREF) != 0) {
    OwnedVariant target;
    Check(VariantCopyInd(target.get(), const_cast<VARIANT*>(&value)), "VariantCopyInd");
    return FromVariant(*target);
  }
  if ((value.vt & VT_ARRAY) != 0) {
    return FromArray(static_cast<VARTYPE>(value.vt & VT_TYPEMASK), value.parray);
  }
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return DispatchValue{};
    case VT_ERROR:
      if (value.scode == DISP_E_PARAMNOTFOUND) return DispatchMissing{};
      throw CadError("an error value " + dispatch::HresultText(value.scode));
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE;
    case VT_I1:
      return static_cast<int16_t>(value.cVal);
    case VT_UI1:
      return static_cast<int16_t>(value.bVal);
    case VT_I2:
      return static_cast<int16_t>(value.iVal);
    case VT_UI2:
      return static_cast<int32_t>(value.uiVal);
    case VT_I4:
      return static_cast<int32_t>(value.lVal);
    case VT_INT:
      return static_cast<int32_t>(value.intVal);
    case VT_UI4:
      return static_cast<int64_t>(value.ulVal);
    case VT_UINT:
      return static_cast<int64_t>(value.uintVal);
    case VT_I8:
      return static_cast<int64_t>(value.llVal);
    case VT_UI8:
      return FromUnsigned(value.ullVal);
    case VT_R4:
      return static_cast<double>(value.fltVal);
    case VT_R8:
      return static_cast<double>(value.dblVal);
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL:
      return FromRealKind(value);
    case VT_BSTR:
      return BstrToUtf8(value.bstrVal);
    case VT_DISPATCH:
      return FromObject(value.pdispVal);
    case VT_UNKNOWN:
      return FromObject(value.punkVal);
    default:
      Unsupported(value.vt);
  }
}

}  // namespace vorn::cad::com
