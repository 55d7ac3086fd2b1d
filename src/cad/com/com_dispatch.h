// The automation objects of the running CAD over COM: late-bound IDispatch calls by member name,
// and the running object of a ProgID's class.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "cad/dispatch/dispatch_value.h"

namespace vorn::cad::com {

class ComDispatchObject final : public dispatch::DispatchObject {
 public:
  // Takes a reference of its own on `dispatch`.
  explicit ComDispatchObject(IDispatch* dispatch);
  ~ComDispatchObject() override;
  ComDispatchObject(const ComDispatchObject&) = delete;
  ComDispatchObject& operator=(const ComDispatchObject&) = delete;

  // GetIDsOfNames, then Invoke with the arguments in reverse order as IDispatch wants them.
  // Methods are invoked as method-or-property-get, as late-binding clients do, since servers
  // differ in which of the two their collection members are.
  dispatch::DispatchValue Invoke(dispatch::InvokeKind kind, std::string_view member,
                                 std::span<dispatch::DispatchArgument> args) override;

  IDispatch* get() const { return dispatch_; }

 private:
  IDispatch* dispatch_;
};

// CLSIDFromProgID, then GetActiveObject and IDispatch of the running object.
class ComRunningObjects final : public dispatch::RunningObjects {
 public:
  dispatch::DispatchObjectPtr GetActiveObject(std::string_view progId) override;
};

}  // namespace vorn::cad::com
