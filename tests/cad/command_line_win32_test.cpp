// The command-line path over real Win32 windows: a stand-in AutoCAD made of windows of this
// process (a frame with its "Headlands" command line, a text window with its "MountTam"
// history) that answers typed text as AutoCAD does. Windows only; under Wine it needs a display
// (xvfb-run), without one the tests are skipped.
#include "cad/command_line_win32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cad/cad_fakes.h"

namespace vorn::cad {
namespace {

constexpr wchar_t kFrameClass[] = L"Afx:00400000:8:00010003:00000000:01A30F1B";
constexpr wchar_t kTextWindowClass[] = L"Afx:00400000:b:00010003:00000006:00000000";
constexpr wchar_t kTextClass[] = L"VornTestText";

// What the stand-in windows show and what they were sent.
struct StandIn {
  std::wstring commandLine = L"コマンド: ";
  std::wstring history = L"コマンド: LINE\r\n";
  std::vector<std::pair<ULONG_PTR, std::string>> received;
};

StandIn* StateOf(HWND window) {
  return reinterpret_cast<StandIn*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// A text window whose content (WM_GETTEXT) differs from its name, as AutoCAD's do.
LRESULT CALLBACK TextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  StandIn* state = StateOf(window);
  if (state != nullptr && (message == WM_GETTEXT || message == WM_GETTEXTLENGTH)) {
    wchar_t name[64] = {};
    InternalGetWindowText(window, name, 64);
    const std::wstring& text =
        std::wstring(name) == L"Headlands" ? state->commandLine : state->history;
    if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
    const std::size_t room = wParam == 0 ? 0 : static_cast<std::size_t>(wParam) - 1;
    const std::size_t count = std::min(room, text.size());
    auto* out = reinterpret_cast<wchar_t*>(lParam);
    text.copy(out, count);
    out[count] = L'\0';
    return static_cast<LRESULT>(count);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The frame takes typed text; "'SETVAR LASTPOINT\r" makes the command line offer the value.
LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  StandIn* state = StateOf(window);
  if (state != nullptr && message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const std::string bytes(static_cast<const char*>(data->lpData), data->cbData);
    state->received.emplace_back(data->dwData, bytes);
    const std::wstring typed(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    if (typed == std::wstring(L"'SETVAR LASTPOINT\r", 19)) {
      state->commandLine = L"LASTPOINT の新しい値を入力 <1.5000,-2.0000,3.0000>: ";
    } else if (typed == std::wstring(L"\003", 2)) {
      state->commandLine = L"コマンド: ";
    }
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Register(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW c{};
  c.lpfnWndProc = proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = name;
  RegisterClassW(&c);
}

class Win32CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    Register(kFrameClass, FrameProc);
    Register(kTextWindowClass, DefWindowProcW);
    Register(kTextClass, TextProc);
    frame = Create(kFrameClass, L"AutoCAD 2024 - [Test.dwg]", WS_OVERLAPPEDWINDOW, nullptr);
    // Wine without a display cannot create windows; there is nothing to test then.
    if (frame == nullptr) GTEST_SKIP() << "no display to create windows on";
    ASSERT_NE(Create(kTextClass, L"Headlands", WS_CHILD | WS_VISIBLE, frame), nullptr);
    textWindow = Create(kTextWindowClass, L"AutoCAD テキスト ウィンドウ - Test.dwg",
                        WS_OVERLAPPEDWINDOW, nullptr);
    ASSERT_NE(textWindow, nullptr);
    ASSERT_NE(Create(kTextClass, L"MountTam", WS_CHILD | WS_VISIBLE, textWindow), nullptr);
    ShowWindow(frame, SW_SHOWNOACTIVATE);
  }
  void TearDown() override {
    if (IsWindow(frame)) DestroyWindow(frame);
    if (IsWindow(textWindow)) DestroyWindow(textWindow);
  }

  HWND Create(const wchar_t* className, const wchar_t* title, DWORD style, HWND parent) {
    HWND w = CreateWindowExW(0, className, title, style, 0, 0, 200, 100, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (w != nullptr) SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    return w;
  }
  static WindowHandle Handle(HWND w) {
    return static_cast<WindowHandle>(reinterpret_cast<intptr_t>(w));
  }

  StandIn state;
  HWND frame = nullptr;
  HWND textWindow = nullptr;
  std::unique_ptr<WindowSystem> windows = MakeWin32WindowSystem();
  testing::FakeClock clock;
  CommandLineControl control{*windows, clock, [] {}};
};

TEST_F(Win32CommandLine, FindsTheWindowsAndReadsTheirContent) {
  EXPECT_EQ(control.FindCadWindow(), Handle(frame));
  EXPECT_EQ(windows->WindowTitle(Handle(frame)), "AutoCAD 2024 - [Test.dwg]");
  EXPECT_EQ(control.ReadCommandLine(), "コマンド: ");
  EXPECT_EQ(control.ReadTextWindow(), "コマンド: LINE\r\n");
  EXPECT_TRUE(windows->IsVisibleAndEnabled(Handle(frame)));
  EXPECT_EQ(windows->ProcessId(Handle(frame)), GetCurrentProcessId());
  EXPECT_TRUE(control.ActivateCadWindow());
}

TEST_F(Win32CommandLine, TypesUtf16WithItsZeroAndReadsTheVariableBack) {
  ASSERT_TRUE(control.SendCadText("\003コ"));
  ASSERT_EQ(state.received.size(), 1u);
  EXPECT_EQ(state.received[0].first, 1u);
  EXPECT_EQ(state.received[0].second, std::string("\x03\x00\xB3\x30\x00\x00", 6));
  EXPECT_EQ(control.GetCadVariable("LASTPOINT"), "1.5000,-2.0000,3.0000");
  EXPECT_EQ(state.commandLine, L"コマンド: ") << "the prompt was cancelled";
}

TEST_F(Win32CommandLine, AClosedAutoCadIsGone) {
  EXPECT_NE(control.FindCadWindow(), 0);
  DestroyWindow(frame);
  EXPECT_EQ(control.FindCadWindow(), 0);
  EXPECT_FALSE(control.SendCadText("iD\r"));
  EXPECT_EQ(control.ReadCommandLine(), "");
  EXPECT_EQ(control.WaitCommandEnd("iD", 100, 5), kCadUnusable);
}

}  // namespace
}  // namespace vorn::cad
