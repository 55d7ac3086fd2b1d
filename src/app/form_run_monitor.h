// A long run's view of the main window: the stop flag, the progress bar, pending events and
// message boxes.
#pragma once

#include <string>

#include "app/main_form.h"
#include "geometry/run_monitor.h"

namespace vorn {

class FormRunMonitor final : public RunMonitor {
 public:
  explicit FormRunMonitor(TForm1& form) : form_(form) {}
  bool Running() override { return form_.RunningFlag; }
  void AdvanceProgress() override { ++form_.ProgressBar1.Position; }
  void ProcessMessages() override { form_.shell().ProcessMessages(); }
  void ShowMessage(const std::string& text) override { form_.ShowMessage(text); }

 private:
  TForm1& form_;
};

}  // namespace vorn
