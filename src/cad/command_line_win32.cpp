#include "cad/command_line_win32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vorn::cad {
namespace {

// A hung AutoCAD must not hang the program: messages to its windows give up after this.
constexpr UINT kReadTimeoutMs = 5000;
constexpr UINT kTypeTimeoutMs = 10000;

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(static_cast<intptr_t>(window)); }

WindowHandle FromHwnd(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<intptr_t>(window));
}

std::string ToUtf8(const wchar_t* text, int length) {
  if (length <= 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(FromHwnd(window));
  return TRUE;
}

class Win32WindowSystem final : public WindowSystem {
 public:
  std::vector<WindowHandle> TopLevelWindows() override {
    std::vector<WindowHandle> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
  }

  std::vector<WindowHandle> ChildWindows(WindowHandle parent) override {
    std::vector<WindowHandle> windows;
    EnumChildWindows(ToHwnd(parent), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
  }

  bool IsWindow(WindowHandle window) override { return ::IsWindow(ToHwnd(window)) != FALSE; }

  // The name the window was given, read without asking the window: AutoCAD's command line
  // answers WM_GETTEXT with its content, so its name "Headlands" is only found this way (as
  // FindWindow finds it).
  std::string WindowTitle(WindowHandle window) override {
    wchar_t title[512] = {};
    const int length = InternalGetWindowText(ToHwnd(window), title, 512);
    return ToUtf8(title, length);
  }

  std::string ClassName(WindowHandle window) override {
    wchar_t name[257] = {};
    const int length = GetClassNameW(ToHwnd(window), name, 257);
    return ToUtf8(name, length);
  }

  uint32_t ProcessId(WindowHandle window) override {
    DWORD process = 0;
    GetWindowThreadProcessId(ToHwnd(window), &process);
    return process;
  }

  bool IsVisibleAndEnabled(WindowHandle window) override {
    return IsWindowVisible(ToHwnd(window)) != FALSE && IsWindowEnabled(ToHwnd(window)) != FALSE;
  }

  bool IsUnicodeWindow(WindowHandle window) override {
    return IsWindowUnicode(ToHwnd(window)) != FALSE;
  }

  // The window's own text, which for the command line is its content, not its name.
  std::string ReadText(WindowHandle window) override {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(ToHwnd(window), WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                            kReadTimeoutMs, &length) == 0) {
      return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(ToHwnd(window), WM_GETTEXT, text.size(),
                            reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kReadTimeoutMs,
                            &copied) == 0) {
      return {};
    }
    return ToUtf8(text.data(), static_cast<int>(std::min<DWORD_PTR>(copied, length)));
  }

  std::string ToAnsiCodePage(std::u16string_view text) override {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), size, nullptr, nullptr);
    return out;
  }

  bool SendCopyData(WindowHandle window, uintptr_t kind, const std::string& bytes) override {
    COPYDATASTRUCT data{};
    data.dwData = kind;
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = const_cast<char*>(bytes.data());
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(ToHwnd(window), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, kTypeTimeoutMs, &answer) != 0;
  }

  void PostNull(WindowHandle window) override { PostMessageW(ToHwnd(window), WM_NULL, 0, 0); }

  void BringToFront(WindowHandle window) override {
    if (IsIconic(ToHwnd(window)) != FALSE) OpenIcon(ToHwnd(window));
    SetForegroundWindow(ToHwnd(window));
  }
};

}  // namespace

std::unique_ptr<WindowSystem> MakeWin32WindowSystem() {
  return std::make_unique<Win32WindowSystem>();
}

}  // namespace vorn::cad
