// What a long run needs from whoever started it (the main window, the batch tool, a test): the
// stop flag, progress, pending events and messages to the user. Every layer's runs take one.
#pragma once

#include <string>

namespace vorn {

class RunMonitor {
 public:
  virtual ~RunMonitor() = default;
  virtual bool Running() = 0;
  virtual void AdvanceProgress() = 0;
  virtual void ProcessMessages() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace vorn
