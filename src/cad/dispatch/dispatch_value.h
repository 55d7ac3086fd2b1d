// The values that travel through a late-bound automation call, modelled without any platform
// header so that the marshalling above them builds and is tested everywhere: each alternative
// stands for one VARIANT type the CAD's object model passes (VT_EMPTY, VT_ERROR for a left-out
// optional parameter, VT_BOOL, VT_I2, VT_I4, VT_I8, VT_R8, VT_BSTR, SAFEARRAYs of VT_R8, VT_I2
// and VT_VARIANT, VT_DISPATCH). Texts are UTF-8 here; the COM backend converts to UTF-16.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "cad/cad_interface.h"

namespace vorn::cad::dispatch {

class DispatchObject;
using DispatchObjectPtr = std::shared_ptr<DispatchObject>;

// An optional parameter the caller leaves out.
struct DispatchMissing {
  bool operator==(const DispatchMissing&) const = default;
};

// The kinds in the order of DispatchValue's alternatives.
enum class DispatchType {
  kEmpty,
  kMissing,
  kBool,
  kShort,
  kInt,
  kInt64,
  kDouble,
  kString,
  kDoubleArray,
  kShortArray,
  kVariantArray,
  kObject,
};

struct DispatchValue {
  using Storage = std::variant<std::monostate, DispatchMissing, bool, int16_t, int32_t, int64_t,
                               double, std::string, std::vector<double>, std::vector<int16_t>,
                               std::vector<DispatchValue>, DispatchObjectPtr>;

  DispatchValue() = default;
  template <class T>
  requires(!std::is_same_v<std::remove_cvref_t<T>, DispatchValue> &&
           std::is_constructible_v<Storage, T&&>) DispatchValue(T&& v)
      : value(std::forward<T>(v)) {}  // NOLINT: values convert implicitly
  // A literal text is a BSTR, not a bool.
  DispatchValue(const char* text) : value(std::string(text)) {}

  DispatchType Type() const { return static_cast<DispatchType>(value.index()); }
  template <class T>
  const T* Get() const {
    return std::get_if<T>(&value);
  }

  Storage value;
};

// The VARIANT type name of a kind ("I2", "BSTR", "R8[]", ...), for messages and call logs.
std::string_view TypeName(DispatchType type);
// A value as a call log shows it: type and contents, e.g. `I2 0`, `BSTR "ssTemp"`,
// `R8[] {1, 2, 0}`.
std::string Describe(const DispatchValue& value);

// One argument of a call. A by-reference argument is an out parameter: the member writes its
// answer into `value`. Its starting value tells the slot's type: an object reference (null)
// for an object slot (VT_BYREF | VT_DISPATCH, as members declare IDispatch** outputs), any
// other value for a VARIANT slot (VT_BYREF | VT_VARIANT).
struct DispatchArgument {
  DispatchValue value;
  bool byRef = false;
};

enum class InvokeKind { kMethod, kPropertyGet, kPropertyPut };
std::string_view KindName(InvokeKind kind);

// A failed automation call as the object reports it: the HRESULT and the text that explains it
// (the server's exception description, or the system's text for the code). A CadError, so that
// a command's guard catches it wherever it escapes.
class DispatchFailure : public CadError {
 public:
  DispatchFailure(int32_t hresult, const std::string& text);
  int32_t hresult() const { return hresult_; }
  const std::string& text() const { return text_; }

 private:
  int32_t hresult_;
  std::string text_;
};

// "0x80020009": an HRESULT as the system's documentation writes it.
std::string HresultText(int32_t hresult);

// HRESULTs the scripted objects of the tests answer with.
inline constexpr int32_t kDispUnknownName = static_cast<int32_t>(0x80020006);  // DISP_E_UNKNOWNNAME
inline constexpr int32_t kDispException = static_cast<int32_t>(0x80020009);    // DISP_E_EXCEPTION

// One automation object, called late-bound by member name (case-insensitive). Arguments are in
// the member's own order. Throws DispatchFailure when the call fails.
class DispatchObject {
 public:
  virtual ~DispatchObject() = default;
  virtual DispatchValue Invoke(InvokeKind kind, std::string_view member,
                               std::span<DispatchArgument> args) = 0;
};

// The running CAD objects by ProgID (COM: class ID from the ProgID, then the running object).
class RunningObjects {
 public:
  virtual ~RunningObjects() = default;
  // The running object of the ProgID's class; throws DispatchFailure when there is none.
  virtual DispatchObjectPtr GetActiveObject(std::string_view progId) = 0;
};

}  // namespace vorn::cad::dispatch
