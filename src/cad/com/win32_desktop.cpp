#include "cad/com/win32_desktop.h"

#include <windows.h>

namespace vorn::cad::com {
namespace {

HWND ToHandle(int64_t hwnd) { return reinterpret_cast<HWND>(static_cast<intptr_t>(hwnd)); }
int64_t FromHandle(HWND hwnd) { return static_cast<int64_t>(reinterpret_cast<intptr_t>(hwnd)); }

void SendEscape(bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_ESCAPE;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

}  // namespace

bool Win32DesktopWindows::IsIconic(int64_t hwnd) { return ::IsIconic(ToHandle(hwnd)) != FALSE; }

void Win32DesktopWindows::OpenIcon(int64_t hwnd) { ::OpenIcon(ToHandle(hwnd)); }

void Win32DesktopWindows::SetForegroundWindow(int64_t hwnd) {
  ::SetForegroundWindow(ToHandle(hwnd));
}

int64_t Win32DesktopWindows::GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }

void Win32DesktopWindows::KeyDownEscape() { SendEscape(false); }

void Win32DesktopWindows::KeyUpEscape() { SendEscape(true); }

void Win32MainWindow::Minimize() { ShowWindow(ToHandle(hwnd_), SW_MINIMIZE); }

void Win32MainWindow::Restore() { ShowWindow(ToHandle(hwnd_), SW_RESTORE); }

bool Win32MainWindow::IsNormal() const {
  const HWND window = ToHandle(hwnd_);
  return ::IsIconic(window) == FALSE && IsZoomed(window) == FALSE;
}

void Win32MainWindow::PlaceTopMost() {
  SetWindowPos(ToHandle(hwnd_), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Win32MainWindow::IsTopMost() const {
  return (GetWindowLongPtrW(ToHandle(hwnd_), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

}  // namespace vorn::cad::com
