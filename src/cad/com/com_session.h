// Everything the program needs to drive a real CAD on Windows, for the life of its window
// thread: COM initialised as a single-threaded apartment (message filters need one), the
// running-object lookup behind a CadConnector, the desktop calls, and the message filter with
// the registry that installs it. This header needs no system header.
#pragma once

#include <cstdint>
#include <memory>

#include "cad/cad_services.h"
#include "cad/message_filter.h"

namespace vorn::cad::com {

class ComSession {
 public:
  // Throws CadError when COM cannot be initialised on this thread.
  ComSession();
  ~ComSession();
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

  CadConnector& Connector();
  DesktopWindows& Windows();
  MessageFilterRegistry& FilterRegistry();
  // The handle under which TMessageFilter registers the session's filter.
  std::uintptr_t FilterHandle();

 private:
  struct Parts;
  bool initialised_ = false;
  std::unique_ptr<Parts> parts_;
};

}  // namespace vorn::cad::com
