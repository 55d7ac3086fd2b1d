#include "cad/com/com_session.h"

#include <objbase.h>
#include <windows.h>

#include "cad/com/com_dispatch.h"
#include "cad/com/com_message_filter.h"
#include "cad/com/com_text.h"
#include "cad/com/win32_desktop.h"
#include "cad/dispatch/dispatch_objects.h"

namespace vorn::cad::com {

// The filter is declared before the registry: the registry may still hold a reference on it
// when it ends.
struct ComSession::Parts {
  ComRunningObjects running;
  dispatch::DispatchConnector connector{running};
  Win32DesktopWindows windows;
  ComMessageFilter filter;
  ComMessageFilterRegistry registry;
};

ComSession::ComSession() {
  const HRESULT hresult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hresult)) {
    throw CadError("CoInitializeEx: " + SystemMessage(hresult) + " (HRESULT " +
                   dispatch::HresultText(hresult) + ")");
  }
  initialised_ = true;
  parts_ = std::make_unique<Parts>();
}

ComSession::~ComSession() {
  parts_.reset();
  if (initialised_) CoUninitialize();
}

CadConnector& ComSession::Connector() { return parts_->connector; }
DesktopWindows& ComSession::Windows() { return parts_->windows; }
MessageFilterRegistry& ComSession::FilterRegistry() { return parts_->registry; }
std::uintptr_t ComSession::FilterHandle() { return parts_->filter.Handle(); }

}  // namespace vorn::cad::com
