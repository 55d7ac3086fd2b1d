// The command-line path to AutoCAD: instead of object-model calls, AutoCAD's own windows are
// found by title and class name, command text is typed into its main window by a WM_COPYDATA
// message, and the command line's text is read back to learn whether a command has ended and
// what a system variable holds. The logic is portable; the desktop is behind WindowSystem
// (Win32 on Windows, a scripted fake in the tests).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/cad_services.h"
#include "geometry/records.h"

namespace vorn::cad {

// A window of the desktop; 0 names none.
using WindowHandle = int64_t;

// The few window calls the command-line path needs. Texts are UTF-8.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual std::vector<WindowHandle> TopLevelWindows() = 0;
  // Every window below `parent`, grandchildren included.
  virtual std::vector<WindowHandle> ChildWindows(WindowHandle parent) = 0;
  // Whether the handle still names a window.
  virtual bool IsWindow(WindowHandle window) = 0;
  // The window's title (its name, as GetWindowText gives it).
  virtual std::string WindowTitle(WindowHandle window) = 0;
  virtual std::string ClassName(WindowHandle window) = 0;
  virtual uint32_t ProcessId(WindowHandle window) = 0;
  virtual bool IsVisibleAndEnabled(WindowHandle window) = 0;
  // Whether the window takes text as UTF-16 (otherwise in the system's ANSI code page).
  virtual bool IsUnicodeWindow(WindowHandle window) = 0;
  // The window's whole text as it answers WM_GETTEXTLENGTH and WM_GETTEXT; empty when it
  // does not answer.
  virtual std::string ReadText(WindowHandle window) = 0;
  // UTF-16 text in the system's ANSI code page.
  virtual std::string ToAnsiCodePage(std::u16string_view text) = 0;
  // A WM_COPYDATA message with that data kind and those bytes; false when it was not
  // delivered.
  virtual bool SendCopyData(WindowHandle window, uintptr_t kind, const std::string& bytes) = 0;
  // Posts WM_NULL, which wakes the window's message loop.
  virtual void PostNull(WindowHandle window) = 0;
  // Restores the window when it is minimised and brings it to the front.
  virtual void BringToFront(WindowHandle window) = 0;
};

// Control characters of typed command text: Ctrl+C cancels whatever AutoCAD is doing.
inline constexpr std::string_view kCtrlC = "\003";
// The command line while AutoCAD waits for a command.
inline constexpr std::string_view kIdlePrompt = "コマンド: ";
// The text window shows this after a cancelled command.
inline constexpr std::string_view kCancelled = "キャンセル";
// LASTPOINT is set to this before each pick: still there afterwards, nothing was picked.
inline constexpr TAcadPoint kSentinelPoint{123.0, 456.0, 789.0};
// The data kind of the WM_COPYDATA message that AutoCAD takes as typed text.
inline constexpr uintptr_t kCopyDataTypedText = 1;

// Said when there is no desktop whose windows the command-line path could drive.
inline constexpr const char* kCommandLineUnavailable =
    "この環境では AutoCAD のコマンドラインを操作できません．";

// Results of WaitCommandEnd and PickPointByCommandLine.
inline constexpr int kCommandEnded = 1;
inline constexpr int kCommandCancelled = 0;
inline constexpr int kCadUnusable = -1;

// UTF-8 as UTF-16; a malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// The bytes of WM_COPYDATA for typed text: UTF-16 (little-endian) with its terminating zero
// for a Unicode window, otherwise the ANSI code page's bytes with theirs.
std::string TypedTextPayload(std::string_view text, bool unicodeWindow, WindowSystem& windows);

// "x,y,z" or "x,y" (z then 0), optionally inside double quotes; 1 and the point, or 0 when
// the text is not such a point.
int ParsePointText(std::string_view text, TAcadPoint& point);

class CommandLineControl {
 public:
  // `processMessages` lets the application handle its pending messages during the waits.
  // All three must outlive the control.
  CommandLineControl(WindowSystem& windows, CadClock& clock, std::function<void()> processMessages);

  // AutoCAD's main window, searched for when the kept one has gone; 0 when there is none.
  WindowHandle FindCadWindow();
  // True with the main window brought to the front; false when there is none.
  bool ActivateCadWindow();
  // Types the text into AutoCAD; true when the main window exists.
  bool SendCadText(std::string_view text);
  // The command line's whole text; empty when there is no command line.
  std::string ReadCommandLine();
  // The whole command history of the text window; empty when there is none.
  std::string ReadTextWindow();
  // Polls the command line every `intervalMs` for about `limitSeconds`: kCommandEnded when
  // the idle prompt shows twice in a row and the text window shows no cancel after `echo`,
  // kCommandCancelled when it does, kCadUnusable on time-out or when AutoCAD is gone.
  int WaitCommandEnd(std::string_view echo, int intervalMs, int limitSeconds);
  // The system variable's value as AutoCAD shows it; empty when it cannot be read.
  std::string GetCadVariable(std::string_view name);
  // One point picked with AutoCAD's ID command: kCommandEnded with the point, 0 when the user
  // picked nothing or cancelled, kCadUnusable when AutoCAD cannot be used.
  int PickPointByCommandLine(TAcadPoint& point);

 private:
  bool Alive(WindowHandle window);
  WindowHandle FindMainWindow();
  WindowHandle FindHistoryWindow();
  WindowHandle FindCommandLine();
  WindowHandle NamedChild(WindowHandle parent, std::string_view title);

  WindowSystem& windows_;
  CadClock& clock_;
  std::function<void()> processMessages_;
  WindowHandle mainWindow_ = 0;
  uint32_t processId_ = 0;
  WindowHandle historyWindow_ = 0;  // "MountTam" inside the text window
  WindowHandle commandLine_ = 0;    // "Headlands"
};

}  // namespace vorn::cad
