// How long geometry steps report progress to whoever shows it (the main window's progress bar)
// and let the window handle its pending events meanwhile.
#pragma once

namespace vorn {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetMaximum(int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  virtual int Position() const = 0;
  virtual void ProcessMessages() = 0;
};

}  // namespace vorn
