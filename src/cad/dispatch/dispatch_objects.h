// The CAD object model (cad_interface.h) over late-bound automation objects: every method is
// one call of the member of the same name, with the arguments in the member's order and the
// result converted back. Any failure is a CadError naming the object and the member
// ("Document.SendCommand: ... (HRESULT 0x80020009)"). The COM backend supplies the objects on
// Windows; tests supply scripted ones.
#pragma once

#include <string_view>

#include "cad/cad_interface.h"
#include "cad/cad_services.h"
#include "cad/dispatch/dispatch_value.h"

namespace vorn::cad::dispatch {

CadApplicationPtr WrapApplication(DispatchObjectPtr object);
CadDocumentPtr WrapDocument(DispatchObjectPtr object);
CadEntityPtr WrapEntity(DispatchObjectPtr object);
std::shared_ptr<CadBlock> WrapBlock(DispatchObjectPtr object);
std::shared_ptr<CadSelectionSet> WrapSelectionSet(DispatchObjectPtr object);
std::shared_ptr<CadUtility> WrapUtility(DispatchObjectPtr object);

// The running CAD found through its ProgID.
class DispatchConnector final : public CadConnector {
 public:
  explicit DispatchConnector(RunningObjects& running) : running_(running) {}
  // True when the lookup succeeds; the reference is released at once.
  bool HasActiveObject(std::string_view progId) override;
  CadApplicationPtr GetActiveObject(std::string_view progId) override;

 private:
  RunningObjects& running_;
};

}  // namespace vorn::cad::dispatch
