#include "cad/command_line.h"

#include <optional>
#include <utility>

#include "dxf/ascii_case.h"
#include "dxf/number_format.h"

namespace vorn::cad {
namespace {

// AutoCAD's windows: their titles and the parts of their class names that tell them apart.
constexpr std::string_view kAutoCadTitle = "AutoCAD ";
constexpr std::string_view kAutodeskTitle = "Autodesk ";
constexpr std::string_view kTextWindowTitle = "テキスト ウィンドウ";
constexpr std::string_view kFloatingCommandLineTitle = "コマンド ライン";
constexpr std::string_view kAfxClassPrefix = "Afx:";
constexpr std::string_view kFrameClassMark = ":8:";
constexpr std::string_view kTextWindowClassMark = ":b:";
constexpr std::string_view kCommandLineName = "Headlands";
constexpr std::string_view kHistoryName = "MountTam";

// Typed before each pick: cancel anything running and put the sentinel into LASTPOINT.
constexpr std::string_view kSetSentinel = "\003\003LASTPOINT 123,456,789 ";
constexpr std::string_view kIdCommandEcho = "iD";

// Picks wait this long for the user, polling the command line at this interval.
constexpr int kPickPollMs = 100;
constexpr int kPickLimitSeconds = 6000;

bool IsAfxClass(std::string_view className, std::string_view mark) {
  return className.starts_with(kAfxClassPrefix) && className.find(mark) != std::string_view::npos;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Every character up to the blank counts as blank, as the CAD pads its prompts with spaces,
// tabs and line ends.
std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// A number as the command line prints it; the decimal point is always a point.
std::optional<double> ParseCommandLineNumber(std::string_view text) {
  return ParseNumber(TrimBlanks(text));
}

// The text after the last occurrence of `mark`; empty when it does not occur.
std::string_view AfterLast(std::string_view text, std::string_view mark) {
  const std::size_t at = text.rfind(mark);
  if (at == std::string_view::npos) return {};
  return text.substr(at + mark.size());
}

// The value a read-only variable's listing shows: "NAME = value (read only)".
std::string ListedValue(std::string_view history, std::string_view name) {
  const std::size_t nameAt = history.rfind(name);
  if (nameAt == std::string_view::npos) return {};
  const std::string_view listing = history.substr(nameAt + name.size());
  const std::size_t equals = listing.rfind('=');
  const std::size_t paren = listing.rfind('(');
  if (equals == std::string_view::npos || paren == std::string_view::npos || paren < equals) {
    return {};
  }
  return std::string(TrimBlanks(listing.substr(equals + 1, paren - equals - 1)));
}

// The default in angle brackets that a prompt shows: "... <value>: ".
std::string PromptDefault(std::string_view line) {
  const std::size_t open = line.rfind('<');
  const std::size_t close = line.rfind('>');
  if (open == std::string_view::npos || close == std::string_view::npos || open > close) return {};
  return std::string(TrimBlanks(line.substr(open + 1, close - open - 1)));
}

constexpr char16_t kReplacementCharacter = 0xFFFD;

// The length of a well-formed UTF-8 sequence at the start of `text` and its code point;
// 0 when it is malformed (bad lead, missing continuation, overlong form, surrogate, too big).
std::pair<std::size_t, char32_t> DecodeUtf8(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {1, lead};
  std::size_t length = 0;
  char32_t code = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    return {0, 0};
  }
  if (text.size() < length) return {0, 0};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {0, 0};
    code = (code << 6) | (byte(i) & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {0, 0};
  return {length, code};
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto [length, code] = DecodeUtf8(text);
    if (length == 0) {
      out.push_back(kReplacementCharacter);
      text.remove_prefix(1);
      continue;
    }
    text.remove_prefix(length);
    if (code < 0x10000) {
      out.push_back(static_cast<char16_t>(code));
    } else {
      const char32_t above = code - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (above >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (above & 0x3FF)));
    }
  }
  return out;
}

std::string TypedTextPayload(std::string_view text, bool unicodeWindow, WindowSystem& windows) {
  const std::u16string wide = Utf8ToUtf16(text);
  std::string bytes;
  if (unicodeWindow) {
    bytes.reserve(2 * wide.size() + 2);
    for (const char16_t unit : wide) {
      bytes.push_back(static_cast<char>(unit & 0xFF));
      bytes.push_back(static_cast<char>(unit >> 8));
    }
    bytes.append(2, '\0');
  } else {
    bytes = windows.ToAnsiCodePage(wide);
    bytes.push_back('\0');
  }
  return bytes;
}

int ParsePointText(std::string_view text, TAcadPoint& point) {
  if (text.starts_with('"')) {
    text.remove_prefix(1);
    if (!text.empty()) text.remove_suffix(1);
  }
  const std::size_t firstComma = text.find(',');
  if (firstComma == std::string_view::npos) return 0;
  const std::optional<double> x = ParseCommandLineNumber(text.substr(0, firstComma));
  const std::string_view rest = text.substr(firstComma + 1);
  const std::size_t secondComma = rest.find(',');
  std::optional<double> y;
  std::optional<double> z = 0.0;
  if (secondComma == std::string_view::npos) {
    y = ParseCommandLineNumber(rest);
  } else {
    y = ParseCommandLineNumber(rest.substr(0, secondComma));
    z = ParseCommandLineNumber(rest.substr(secondComma + 1));
  }
  if (!x || !y || !z) return 0;
  point = TAcadPoint{*x, *y, *z};
  return 1;
}

CommandLineControl::CommandLineControl(WindowSystem& windows, CadClock& clock,
                                       std::function<void()> processMessages)
    : windows_(windows), clock_(clock), processMessages_(std::move(processMessages)) {}

bool CommandLineControl::Alive(WindowHandle window) {
  return window != 0 && windows_.IsWindow(window);
}

WindowHandle CommandLineControl::FindMainWindow() {
  for (const WindowHandle w : windows_.TopLevelWindows()) {
    const std::string title = windows_.WindowTitle(w);
    if (!title.starts_with(kAutoCadTitle) && !title.starts_with(kAutodeskTitle)) continue;
    if (!IsAfxClass(windows_.ClassName(w), kFrameClassMark)) continue;
    processId_ = windows_.ProcessId(w);
    return w;
  }
  return 0;
}

WindowHandle CommandLineControl::NamedChild(WindowHandle parent, std::string_view title) {
  for (const WindowHandle w : windows_.ChildWindows(parent)) {
    if (windows_.WindowTitle(w) == title) return w;
  }
  return 0;
}

WindowHandle CommandLineControl::FindHistoryWindow() {
  if (FindCadWindow() == 0) return 0;
  for (const WindowHandle w : windows_.TopLevelWindows()) {
    if (windows_.ProcessId(w) != processId_) continue;
    const std::string title = windows_.WindowTitle(w);
    if (!title.starts_with(kAutoCadTitle) || !Contains(title, kTextWindowTitle)) continue;
    if (!IsAfxClass(windows_.ClassName(w), kTextWindowClassMark)) continue;
    if (const WindowHandle history = NamedChild(w, kHistoryName)) return history;
  }
  return 0;
}

WindowHandle CommandLineControl::FindCommandLine() {
  if (const WindowHandle main = FindCadWindow()) {
    if (const WindowHandle docked = NamedChild(main, kCommandLineName)) return docked;
  }
  for (const WindowHandle w : windows_.TopLevelWindows()) {
    if (!Contains(windows_.WindowTitle(w), kFloatingCommandLineTitle)) continue;
    if (!IsAfxClass(windows_.ClassName(w), kFrameClassMark)) continue;
    if (const WindowHandle floating = NamedChild(w, kCommandLineName)) return floating;
  }
  return 0;
}

WindowHandle CommandLineControl::FindCadWindow() {
  if (!Alive(mainWindow_)) mainWindow_ = FindMainWindow();
  return mainWindow_;
}

bool CommandLineControl::ActivateCadWindow() {
  const WindowHandle main = FindCadWindow();
  if (main == 0) return false;
  windows_.BringToFront(main);
  return true;
}

bool CommandLineControl::SendCadText(std::string_view text) {
  const WindowHandle main = FindCadWindow();
  if (main == 0) return false;
  const std::string payload = TypedTextPayload(text, windows_.IsUnicodeWindow(main), windows_);
  // A message that did not arrive (a hung or closing AutoCAD) is not reported as typed.
  const bool delivered = windows_.SendCopyData(main, kCopyDataTypedText, payload);
  windows_.PostNull(main);
  return delivered;
}

std::string CommandLineControl::ReadCommandLine() {
  if (!Alive(commandLine_)) commandLine_ = FindCommandLine();
  return commandLine_ == 0 ? std::string() : windows_.ReadText(commandLine_);
}

std::string CommandLineControl::ReadTextWindow() {
  if (!Alive(historyWindow_)) historyWindow_ = FindHistoryWindow();
  return historyWindow_ == 0 ? std::string() : windows_.ReadText(historyWindow_);
}

int CommandLineControl::WaitCommandEnd(std::string_view echo, int intervalMs, int limitSeconds) {
  const int interval = intervalMs > 0 ? intervalMs : 1;
  const int64_t polls = int64_t{limitSeconds} * 1000 / interval + 1;
  int idleReads = 0;
  int emptyReads = 0;
  bool ended = false;
  for (int64_t poll = 0; poll < polls && !ended; ++poll) {
    processMessages_();
    clock_.Sleep(interval);
    const WindowHandle main = FindCadWindow();
    if (main == 0 || !windows_.IsVisibleAndEnabled(main)) return kCadUnusable;
    const std::string line = ReadCommandLine();
    if (line == kIdlePrompt) {
      ended = ++idleReads >= 2;
    } else if (!line.empty()) {
      idleReads = 0;
    } else if (++emptyReads >= 2) {
      return kCadUnusable;
    }
  }
  if (!ended) return kCadUnusable;
  // Only what the command printed counts: older commands' cancels are earlier in the history.
  const std::string history = ReadTextWindow();
  return Contains(AfterLast(history, echo), kCancelled) ? kCommandCancelled : kCommandEnded;
}

std::string CommandLineControl::GetCadVariable(std::string_view name) {
  if (FindCadWindow() == 0) return {};
  const std::string upper = UpperAscii(name);
  // These two are commands of their own; any other variable is shown by the transparent
  // SETVAR, which offers the current value as the default in angle brackets.
  if (upper == "ACADVER" || upper == "LAYERPMODE") {
    SendCadText(std::string(name) + "\r");
  } else {
    SendCadText("'SETVAR " + std::string(name) + "\r");
  }
  std::string value = PromptDefault(ReadCommandLine());
  SendCadText(kCtrlC);
  // A read-only variable is listed in the history instead: "NAME = value (read only)".
  if (value.empty()) value = ListedValue(ReadTextWindow(), name);
  return value;
}

int CommandLineControl::PickPointByCommandLine(TAcadPoint& point) {
  if (!ActivateCadWindow()) return kCadUnusable;
  SendCadText(kSetSentinel);
  SendCadText(std::string(kIdCommandEcho) + "\r");
  const int ended = WaitCommandEnd(kIdCommandEcho, kPickPollMs, kPickLimitSeconds);
  if (ended != kCommandEnded) return ended;
  TAcadPoint picked;
  // Without a readable LASTPOINT there is no point to report, and no point must be invented.
  if (ParsePointText(GetCadVariable("LASTPOINT"), picked) != 1) return kCadUnusable;
  if (picked == kSentinelPoint) return kCommandCancelled;
  point = picked;
  return kCommandEnded;
}

}  // namespace vorn::cad
