// A desktop of fake windows for the command-line path, and on it a scripted AutoCAD that reads
// the text typed into its main window, runs the few commands the path types (SETVAR, ID,
// LASTPOINT, BLIPMODE, ACADVER) and shows prompts and history as AutoCAD does.
#pragma once

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "cad/command_line.h"
#include "dxf/code_page.h"

namespace vorn::cad::testing {

// UTF-16 to UTF-8, written here from the encodings' definitions, independent of the program.
inline std::string Utf16ToUtf8ForTest(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Little-endian UTF-16 bytes as the code units they hold.
inline std::u16string Utf16LeUnits(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return units;
}

struct FakeWindow {
  std::string title;
  std::string className;
  uint32_t processId = 0;
  WindowHandle parent = 0;           // 0: a top-level window
  std::string text;                  // what WM_GETTEXT answers once `upcoming` is used up
  std::deque<std::string> upcoming;  // answers of the next reads, in order
  bool visibleAndEnabled = true;
  bool unicode = true;

  static FakeWindow TopLevel(std::string title, std::string className, uint32_t processId) {
    FakeWindow w;
    w.title = std::move(title);
    w.className = std::move(className);
    w.processId = processId;
    return w;
  }
  static FakeWindow Child(std::string title, WindowHandle parent, std::string text = {}) {
    FakeWindow w;
    w.title = std::move(title);
    w.className = "Edit";
    w.parent = parent;
    w.text = std::move(text);
    return w;
  }
};

// The fake machine's ANSI code page is the Japanese one.
class FakeWindowSystem final : public WindowSystem {
 public:
  struct CopyData {
    WindowHandle window = 0;
    uintptr_t kind = 0;
    std::string bytes;
  };

  WindowHandle Add(FakeWindow window) {
    windows_.emplace_back(++last_, std::move(window));
    return last_;
  }
  // Closes the window and everything below it.
  void Remove(WindowHandle window) {
    for (const WindowHandle child : ChildWindows(window)) Remove(child);
    std::erase_if(windows_, [&](const auto& w) { return w.first == window; });
  }
  FakeWindow& Window(WindowHandle window) {
    for (auto& [handle, w] : windows_) {
      if (handle == window) return w;
    }
    throw std::logic_error("no such fake window");
  }

  std::vector<WindowHandle> TopLevelWindows() override {
    ++topLevelSearches;
    std::vector<WindowHandle> found;
    for (const auto& [handle, w] : windows_) {
      if (w.parent == 0) found.push_back(handle);
    }
    return found;
  }
  std::vector<WindowHandle> ChildWindows(WindowHandle parent) override {
    std::vector<WindowHandle> found;
    for (const auto& [handle, w] : windows_) {
      if (w.parent != parent) continue;
      found.push_back(handle);
      for (const WindowHandle below : ChildWindows(handle)) found.push_back(below);
    }
    return found;
  }
  bool IsWindow(WindowHandle window) override {
    return std::any_of(windows_.begin(), windows_.end(),
                       [&](const auto& w) { return w.first == window; });
  }
  std::string WindowTitle(WindowHandle window) override { return Window(window).title; }
  std::string ClassName(WindowHandle window) override { return Window(window).className; }
  uint32_t ProcessId(WindowHandle window) override { return Window(window).processId; }
  bool IsVisibleAndEnabled(WindowHandle window) override {
    return Window(window).visibleAndEnabled;
  }
  bool IsUnicodeWindow(WindowHandle window) override { return Window(window).unicode; }
  std::string ReadText(WindowHandle window) override {
    if (onRead) onRead(window);
    if (!IsWindow(window)) return {};
    FakeWindow& w = Window(window);
    if (w.upcoming.empty()) return w.text;
    std::string text = std::move(w.upcoming.front());
    w.upcoming.pop_front();
    return text;
  }
  std::string ToAnsiCodePage(std::u16string_view text) override {
    return Utf8ToEncoding(Utf16ToUtf8ForTest(text), "CP932");
  }
  bool SendCopyData(WindowHandle window, uintptr_t kind, const std::string& bytes) override {
    if (!IsWindow(window)) return false;
    sent.push_back({window, kind, bytes});
    if (onTyped) onTyped(window, DecodeTyped(window, bytes));
    return true;
  }
  void PostNull(WindowHandle window) override {
    calls.push_back("PostNull " + std::to_string(window));
  }
  void BringToFront(WindowHandle window) override {
    calls.push_back("BringToFront " + std::to_string(window));
  }

  // The typed text as the receiving window reads it: UTF-16 or CP932, without the zero.
  std::string DecodeTyped(WindowHandle window, const std::string& bytes) {
    if (Window(window).unicode) {
      std::u16string units = Utf16LeUnits(bytes);
      if (!units.empty() && units.back() == 0) units.pop_back();
      return Utf16ToUtf8ForTest(units);
    }
    std::string ansi = bytes;
    if (!ansi.empty() && ansi.back() == '\0') ansi.pop_back();
    return EncodingToUtf8(ansi, "CP932");
  }

  std::vector<CopyData> sent;
  std::vector<std::string> calls;  // "PostNull <handle>", "BringToFront <handle>"
  int topLevelSearches = 0;
  std::function<void(WindowHandle, const std::string&)> onTyped;
  // Runs before each read: a test can close a window in the middle of a wait.
  std::function<void(WindowHandle)> onRead;

 private:
  std::vector<std::pair<WindowHandle, FakeWindow>> windows_;  // in creation (z) order
  WindowHandle last_ = 100;
};

inline constexpr const char* kMainClass = "Afx:00400000:8:00010003:00000000:01A30F1B";
inline constexpr const char* kTextWindowClass = "Afx:00400000:b:00010003:00000006:00000000";

// AutoCAD on the fake desktop: its main window with the docked command line, its text window
// with the history, and the commands the command-line path types. The user's answers to ID
// are scripted; the command line shows the pick prompt for `pickReads` reads before the
// command ends.
class ScriptedAutoCad {
 public:
  static constexpr uint32_t kProcess = 4242;

  explicit ScriptedAutoCad(bool unicode = true) {
    FakeWindow frame = FakeWindow::TopLevel("AutoCAD 2024 - [Drawing1.dwg]", kMainClass, kProcess);
    frame.unicode = unicode;
    main = windows.Add(std::move(frame));
    commandLine = windows.Add(FakeWindow::Child("Headlands", main, std::string(kIdlePrompt)));
    textWindow = windows.Add(FakeWindow::TopLevel("AutoCAD テキスト ウィンドウ - Drawing1.dwg",
                                                  kTextWindowClass, kProcess));
    history = windows.Add(FakeWindow::Child("MountTam", textWindow));
    windows.onTyped = [this](WindowHandle, const std::string& text) { Type(text); };
  }

  ScriptedAutoCad& Pick(const TAcadPoint& point) {
    answers_.emplace_back(point);
    return *this;
  }
  ScriptedAutoCad& Escape() {
    answers_.emplace_back(EscapeKey{});
    return *this;
  }
  ScriptedAutoCad& Enter() {
    answers_.emplace_back(EnterKey{});
    return *this;
  }

  std::string History() { return windows.Window(history).text; }

  FakeWindowSystem windows;
  WindowHandle main = 0, commandLine = 0, textWindow = 0, history = 0;
  std::vector<std::string> typed;  // every text typed, decoded
  TAcadPoint lastPoint;
  int blipmode = 0;
  int pickReads = 3;
  int idCommands = 0;

 private:
  struct EscapeKey {};
  struct EnterKey {};
  enum class State { Idle, VariableName, VariableValue };

  static std::string Fixed4(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    return buffer;
  }
  std::string ShowVariable(const std::string& name) const {
    if (name == "LASTPOINT") {
      return Fixed4(lastPoint.x) + "," + Fixed4(lastPoint.y) + "," + Fixed4(lastPoint.z);
    }
    if (name == "BLIPMODE") return std::to_string(blipmode);
    return {};
  }
  static std::string Upper(std::string text) {
    for (char& c : text) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
  }

  FakeWindow& Line() { return windows.Window(commandLine); }
  void Show(std::string prompt) {
    Line().text = std::move(prompt);
    Line().upcoming.clear();
  }
  void Log(const std::string& line) { windows.Window(history).text += line + "\n"; }

  void Type(const std::string& text) {
    typed.push_back(text);
    for (const char c : text) {
      if (c == '\003') {
        Cancel();
      } else if (c == ' ' || c == '\r') {
        Submit(token_);
        token_.clear();
      } else {
        token_ += c;
      }
    }
  }

  void Cancel() {
    if (state_ != State::Idle) Log(Line().text + "*キャンセル*");
    state_ = State::Idle;
    token_.clear();
    Show(std::string(kIdlePrompt));
  }

  void Submit(const std::string& token) {
    switch (state_) {
      case State::Idle:
        return RunCommand(token);
      case State::VariableName:
        Log(Line().text + token);
        return AskValue(Upper(token));
      case State::VariableValue:
        Log(Line().text + token);
        SetValue(token);
        state_ = State::Idle;
        return Show(std::string(kIdlePrompt));
    }
  }

  void RunCommand(const std::string& token) {
    if (token.empty()) return;
    Log(std::string(kIdlePrompt) + token);
    const std::string command = Upper(token);
    if (command == "'SETVAR") {
      state_ = State::VariableName;
      Show("変数名を入力 または [?]: ");
    } else if (command == "LASTPOINT" || command == "BLIPMODE") {
      AskValue(command);
    } else if (command == "ACADVER") {
      Log("ACADVER = \"24.1s (LMS Tech)\" (読み込み専用)");
    } else if (command == "ID") {
      RunId();
    } else {
      Log("コマンド名が不明です");
    }
  }

  void AskValue(const std::string& name) {
    variable_ = name;
    state_ = State::VariableValue;
    Show(name + " の新しい値を入力 <" + ShowVariable(name) + ">: ");
  }

  void SetValue(const std::string& value) {
    if (variable_ == "BLIPMODE") {
      blipmode = std::stoi(value);
    } else if (variable_ == "LASTPOINT") {
      double x = 0, y = 0, z = 0;
      if (std::sscanf(value.c_str(), "%lf,%lf,%lf", &x, &y, &z) == 3) lastPoint = {x, y, z};
    }
  }

  // The user answers the point prompt while the command line shows it.
  void RunId() {
    ++idCommands;
    const std::string prompt = "点を指定: ";
    std::variant<TAcadPoint, EscapeKey, EnterKey> answer = EscapeKey{};
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    Show(std::string(kIdlePrompt));
    for (int i = 0; i < pickReads; ++i) Line().upcoming.push_back(prompt);
    if (const auto* p = std::get_if<TAcadPoint>(&answer)) {
      lastPoint = *p;
      const std::string shown =
          "X = " + Fixed4(p->x) + "     Y = " + Fixed4(p->y) + "     Z = " + Fixed4(p->z);
      Log(prompt + " " + shown);
      Line().upcoming.push_back(shown);
    } else if (std::holds_alternative<EscapeKey>(answer)) {
      Log(prompt + "*キャンセル*");
      Line().upcoming.push_back("*キャンセル*");
    } else {
      Log(prompt);
    }
  }

  std::deque<std::variant<TAcadPoint, EscapeKey, EnterKey>> answers_;
  State state_ = State::Idle;
  std::string token_;
  std::string variable_;
};

}  // namespace vorn::cad::testing
