// What the CAD operations need besides the object model: finding the running CAD by ProgID,
// the desktop's window calls, a clock that can sleep, and the user's message box. Each is an
// interface so that the drawing host, the Windows build and the tests can supply their own.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "cad/cad_interface.h"

namespace vorn::cad {

// The running-object lookup of a ProgID (COM: class ID, then the running object).
class CadConnector {
 public:
  virtual ~CadConnector() = default;
  // True when a running object of that ProgID's class exists.
  virtual bool HasActiveObject(std::string_view progId) = 0;
  // The running application; throws CadError when there is none.
  virtual CadApplicationPtr GetActiveObject(std::string_view progId) = 0;
};

// The window calls that bring the CAD to the front.
class DesktopWindows {
 public:
  virtual ~DesktopWindows() = default;
  virtual bool IsIconic(int64_t hwnd) = 0;
  virtual void OpenIcon(int64_t hwnd) = 0;
  virtual void SetForegroundWindow(int64_t hwnd) = 0;
  virtual int64_t GetForegroundWindow() = 0;
  virtual void KeyDownEscape() = 0;
  virtual void KeyUpEscape() = 0;
};

// Sleeping and a monotonic clock; tests use a fake whose sleep only advances the time.
class CadClock {
 public:
  virtual ~CadClock() = default;
  virtual void Sleep(int milliseconds) = 0;
  virtual int64_t NowMilliseconds() = 0;
};

// The real clock.
class SystemClock final : public CadClock {
 public:
  void Sleep(int milliseconds) override;
  int64_t NowMilliseconds() override;
};

// Messages to the user: the application routes them to its message box.
class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

// The form of the main window that the insertion commands minimise while the user picks.
class MainWindowState {
 public:
  virtual ~MainWindowState() = default;
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
};

}  // namespace vorn::cad
