#include "cad/com/com_dispatch.h"

#include <string>
#include <vector>

#include "cad/com/com_text.h"
#include "cad/com/com_variant.h"

namespace vorn::cad::com {
namespace {

using dispatch::DispatchFailure;
using dispatch::DispatchValue;
using dispatch::InvokeKind;

WORD InvokeFlags(InvokeKind kind) {
  switch (kind) {
    case InvokeKind::kMethod:
      return DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    case InvokeKind::kPropertyGet:
      return DISPATCH_PROPERTYGET;
    case InvokeKind::kPropertyPut:
      return DISPATCH_PROPERTYPUT;
  }
  return DISPATCH_METHOD;
}

// What went wrong in Invoke, in the server's words when it raised an exception.
std::string InvokeFailureText(HRESULT hresult, EXCEPINFO& exception, UINT argumentError,
                              std::size_t argumentCount) {
  std::string text;
  if (hresult == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    text = BstrToUtf8(exception.bstrDescription);
    const HRESULT code = exception.scode != 0 ? exception.scode : hresult;
    if (text.empty()) text = SystemMessage(code);
    if (exception.scode != 0 && exception.scode != hresult) {
      text += " [" + dispatch::HresultText(exception.scode) + "]";
    }
  } else {
    text = SystemMessage(hresult);
    if ((hresult == DISP_E_TYPEMISMATCH || hresult == DISP_E_PARAMNOTFOUND) &&
        argumentError < argumentCount) {
      // Invoke counts arguments from the last; the member's own order counts from the first.
      text += ", argument " + std::to_string(argumentCount - argumentError);
    }
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return text;
}

// The arguments as Invoke takes them: reversed, out arguments passed by reference to
// VARIANTs that hold what the member writes.
class InvokeArguments {
 public:
  explicit InvokeArguments(std::span<dispatch::DispatchArgument> args)
      : values_(args.size()), passed_(args.size()) {
    const std::size_t n = args.size();
    for (std::size_t i = 0; i < n; ++i) {
      ToVariant(args[i].value, *values_[i].get());
      VARIANT& slot = passed_[n - 1 - i];
      VariantInit(&slot);
      if (args[i].byRef && (*values_[i]).vt == VT_DISPATCH) {
        slot.vt = VT_BYREF | VT_DISPATCH;
        slot.ppdispVal = &values_[i].get()->pdispVal;
      } else if (args[i].byRef) {
        slot.vt = VT_BYREF | VT_VARIANT;
        slot.pvarVal = values_[i].get();
      } else {
        slot = *values_[i];  // a shallow view; values_ owns and clears it
      }
    }
  }

  DISPPARAMS* Params(bool put) {
    params_.rgvarg = passed_.empty() ? nullptr : passed_.data();
    params_.cArgs = static_cast<UINT>(passed_.size());
    params_.rgdispidNamedArgs = put ? &putId_ : nullptr;
    params_.cNamedArgs = put ? 1 : 0;
    return &params_;
  }

  const VARIANT& Value(std::size_t index) const { return *values_[index]; }

 private:
  std::vector<OwnedVariant> values_;
  std::vector<VARIANT> passed_;
  DISPPARAMS params_{};
  DISPID putId_ = DISPID_PROPERTYPUT;
};

}  // namespace

ComDispatchObject::ComDispatchObject(IDispatch* dispatch) : dispatch_(dispatch) {
  if (dispatch_ == nullptr) throw CadError("no IDispatch object");
  dispatch_->AddRef();
}

ComDispatchObject::~ComDispatchObject() { dispatch_->Release(); }

DispatchValue ComDispatchObject::Invoke(InvokeKind kind, std::string_view member,
                                        std::span<dispatch::DispatchArgument> args) {
  std::wstring name = Utf8ToWide(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT lookup = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(lookup)) throw DispatchFailure(lookup, SystemMessage(lookup));

  InvokeArguments arguments(args);
  const bool put = kind == InvokeKind::kPropertyPut;
  OwnedVariant result;
  EXCEPINFO exception{};
  UINT argumentError = 0;
  const HRESULT invoked =
      dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, InvokeFlags(kind), arguments.Params(put),
                        put ? nullptr : result.get(), &exception, &argumentError);
  if (FAILED(invoked)) {
    throw DispatchFailure(invoked,
                          InvokeFailureText(invoked, exception, argumentError, args.size()));
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].byRef) args[i].value = FromVariant(arguments.Value(i));
  }
  return FromVariant(*result);
}

dispatch::DispatchObjectPtr ComRunningObjects::GetActiveObject(std::string_view progId) {
  const std::wstring wide = Utf8ToWide(progId);
  CLSID classId{};
  const HRESULT found = CLSIDFromProgID(wide.c_str(), &classId);
  if (FAILED(found)) throw DispatchFailure(found, SystemMessage(found));
  IUnknown* running = nullptr;
  const HRESULT active = ::GetActiveObject(classId, nullptr, &running);
  if (FAILED(active)) throw DispatchFailure(active, SystemMessage(active));
  if (running == nullptr) throw DispatchFailure(E_POINTER, "GetActiveObject gave no object");
  IDispatch* dispatch = nullptr;
  const HRESULT queried =
      running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  running->Release();
  if (FAILED(queried)) throw DispatchFailure(queried, SystemMessage(queried));
  if (dispatch == nullptr)
    throw DispatchFailure(E_NOINTERFACE, "the running object has no IDispatch");
  auto object = std::make_shared<ComDispatchObject>(dispatch);
  dispatch->Release();  // the wrapper holds its own reference
  return object;
}

}  // namespace vorn::cad::com
