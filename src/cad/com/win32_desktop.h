// The desktop calls on Windows: bringing the CAD's window to the front and cancelling its
// command with ESC, and the placement of the program's own main window (minimise, restore,
// top-most) that the desktop shell of the program uses. Windows are named by their handles as
// 64-bit integers, so this header needs no system header.
#pragma once

#include <cstdint>

#include "cad/cad_services.h"

namespace vorn::cad::com {

class Win32DesktopWindows final : public DesktopWindows {
 public:
  bool IsIconic(int64_t hwnd) override;
  void OpenIcon(int64_t hwnd) override;
  void SetForegroundWindow(int64_t hwnd) override;
  int64_t GetForegroundWindow() override;
  // ESC goes to whichever window has the keyboard, which ActivateCad has made the CAD's.
  void KeyDownEscape() override;
  void KeyUpEscape() override;
};

// The program's main window, by its handle.
class Win32MainWindow final : public MainWindowState {
 public:
  explicit Win32MainWindow(int64_t hwnd) : hwnd_(hwnd) {}
  void Minimize() override;
  void Restore() override;  // back to the normal state, shown
  // Neither minimised nor maximised.
  bool IsNormal() const;
  // Above every window that is not top-most itself, without moving, sizing or activating it.
  void PlaceTopMost();
  bool IsTopMost() const;

 private:
  int64_t hwnd_;
};

}  // namespace vorn::cad::com
