// The command-line path to AutoCAD on a fake desktop: the window search, typed text and its
// encodings, the wait for a command's end, reading system variables and the ID pick.
#include "cad/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/cad_fakes.h"
#include "cad/command_line_fake.h"

namespace vorn::cad {
namespace {

using testing::FakeClock;
using testing::FakeWindowSystem;
using testing::ScriptedAutoCad;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

// ---- Point text ----

struct PointTextCase {
  const char* text;
  int result;
  TAcadPoint point;
};

class PointText : public ::testing::TestWithParam<PointTextCase> {};

TEST_P(PointText, Parses) {
  const PointTextCase& c = GetParam();
  const TAcadPoint untouched{-7, -8, -9};
  TAcadPoint p = untouched;
  EXPECT_EQ(ParsePointText(c.text, p), c.result);
  EXPECT_EQ(p, c.result == 1 ? c.point : untouched) << "a failed parse leaves the point alone";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointText,
    ::testing::Values(
        PointTextCase{"1,2,3", 1, {1, 2, 3}},
        PointTextCase{"123.0000,456.0000,789.0000", 1, {123, 456, 789}},
        PointTextCase{"1.5,-2.25", 1, {1.5, -2.25, 0}},
        PointTextCase{" 10 , 20 , 30 ", 1, {10, 20, 30}},
        PointTextCase{"1e3,+2,-0.5", 1, {1000, 2, -0.5}},
        PointTextCase{"\"10,20,30\"", 1, {10, 20, 30}}, PointTextCase{"\"10,20\"", 1, {10, 20, 0}},
        PointTextCase{"\"10,20,30", 1, {10, 20, 3}},  // the last character goes, whatever it is
        PointTextCase{"5", 0, {}}, PointTextCase{"", 0, {}}, PointTextCase{"\"", 0, {}},
        PointTextCase{"a,2,3", 0, {}}, PointTextCase{"1,,3", 0, {}}, PointTextCase{"1,2,", 0, {}},
        PointTextCase{"1,2,3,4", 0, {}}, PointTextCase{"1,2,3m", 0, {}},
        PointTextCase{"1,2,nan", 0, {}}, PointTextCase{"1,2,1e999", 0, {}}));

// ---- Encodings ----

TEST(TypedText, Utf16OfEveryPlaneAndMalformedInput) {
  // U+0041, U+30A2 (ア), U+20BB7 (𠮷, a surrogate pair D842 DFB7)
  EXPECT_EQ(Utf8ToUtf16("A\xE3\x82\xA2\xF0\xA0\xAE\xB7"),
            (std::u16string{0x41, 0x30A2, 0xD842, 0xDFB7}));
  EXPECT_EQ(Utf8ToUtf16("\xFF"
                        "a"),
            (std::u16string{0xFFFD, 'a'}));
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));              // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));  // surrogate
  EXPECT_EQ(Utf8ToUtf16("\xE3\x82"), (std::u16string{0xFFFD, 0xFFFD}));              // cut short
}

struct EncodingCase {
  bool unicode;
  const char* text;
  std::string bytes;  // what the window receives, terminating zero included
};

class TypedTextEncoding : public ::testing::TestWithParam<EncodingCase> {};

// The expected bytes come from the code charts: UTF-16LE code units, and the Shift-JIS (CP932)
// table for the ANSI code page of a Japanese Windows.
TEST_P(TypedTextEncoding, ReachesTheMainWindowAsItsEncoding) {
  const EncodingCase& c = GetParam();
  ScriptedAutoCad autocad(c.unicode);
  FakeClock clock;
  CommandLineControl control(autocad.windows, clock, [] {});
  ASSERT_TRUE(control.SendCadText(c.text));
  ASSERT_EQ(autocad.windows.sent.size(), 1u);
  EXPECT_EQ(autocad.windows.sent[0].window, autocad.main);
  EXPECT_EQ(autocad.windows.sent[0].kind, 1u);
  EXPECT_EQ(autocad.windows.sent[0].bytes, c.bytes);
  EXPECT_EQ(autocad.windows.calls,
            (std::vector<std::string>{"PostNull " + std::to_string(autocad.main)}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypedTextEncoding,
    ::testing::Values(EncodingCase{true, "iD\r", Bytes({'i', 0, 'D', 0, '\r', 0, 0, 0})},
                      EncodingCase{false, "iD\r", Bytes({'i', 'D', '\r', 0})},
                      EncodingCase{
                          true, "\003コマンド",
                          Bytes({3, 0, 0xB3, 0x30, 0xDE, 0x30, 0xF3, 0x30, 0xC9, 0x30, 0, 0})},
                      EncodingCase{false, "\003コマンド",
                                   Bytes({3, 0x83, 0x52, 0x83, 0x7D, 0x83, 0x93, 0x83, 0x68, 0})},
                      EncodingCase{false, "画層", Bytes({0x89, 0xE6, 0x91, 0x77, 0})},
                      EncodingCase{true, "", Bytes({0, 0})}, EncodingCase{false, "", Bytes({0})}));

TEST(TypedText, NoAutoCadNoMessage) {
  FakeWindowSystem windows;
  FakeClock clock;
  CommandLineControl control(windows, clock, [] {});
  EXPECT_FALSE(control.SendCadText("iD\r"));
  EXPECT_FALSE(control.ActivateCadWindow());
  EXPECT_TRUE(windows.sent.empty());
  EXPECT_TRUE(windows.calls.empty());
}

// ---- Window search ----

class WindowSearch : public ::testing::Test {
 protected:
  WindowHandle AddTop(const char* title, const char* className, uint32_t process = 1) {
    return windows.Add(testing::FakeWindow::TopLevel(title, className, process));
  }
  WindowHandle AddChild(WindowHandle parent, const char* title, std::string text = {}) {
    return windows.Add(testing::FakeWindow::Child(title, parent, std::move(text)));
  }

  FakeWindowSystem windows;
  FakeClock clock;
  CommandLineControl control{windows, clock, [] {}};
};

TEST_F(WindowSearch, MainWindowByTitleStartAndFrameClass) {
  AddTop("AutoCAD", testing::kMainClass);                      // no blank after the name
  AddTop("AutoCAD 2024", "Afx:00400000:b:00010003:00000006");  // not a frame
  AddTop("AutoCAD 2024", "Bfx:00400000:8:00010003");           // not an Afx class
  AddTop("My AutoCAD 2024", testing::kMainClass);              // the title must begin so
  const WindowHandle autodesk = AddTop("Autodesk AutoCAD 2024", testing::kMainClass, 7);
  EXPECT_EQ(control.FindCadWindow(), autodesk);
  EXPECT_TRUE(control.ActivateCadWindow());
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"BringToFront " + std::to_string(autodesk)}));
}

TEST_F(WindowSearch, KeptUntilTheWindowIsGone) {
  const WindowHandle first = AddTop("AutoCAD 2023", testing::kMainClass);
  EXPECT_EQ(control.FindCadWindow(), first);
  const int searches = windows.topLevelSearches;
  EXPECT_EQ(control.FindCadWindow(), first);
  EXPECT_EQ(windows.topLevelSearches, searches);
  windows.Remove(first);
  const WindowHandle second = AddTop("AutoCAD 2024", testing::kMainClass);
  EXPECT_EQ(control.FindCadWindow(), second);
  windows.Remove(second);
  EXPECT_EQ(control.FindCadWindow(), 0);
}

TEST_F(WindowSearch, HistoryOnlyFromTheTextWindowOfTheSameProcess) {
  const WindowHandle main = AddTop("AutoCAD 2024", testing::kMainClass, 1);
  const WindowHandle other = AddTop("AutoCAD テキスト ウィンドウ", testing::kTextWindowClass, 2);
  AddChild(other, "MountTam", "another AutoCAD's history");
  const WindowHandle frame = AddTop("AutoCAD テキスト ウィンドウ", testing::kMainClass, 1);
  AddChild(frame, "MountTam", "a frame's child");
  EXPECT_EQ(control.ReadTextWindow(), "");
  const WindowHandle own =
      AddTop("AutoCAD テキスト ウィンドウ - a.dwg", testing::kTextWindowClass, 1);
  const WindowHandle panel = AddChild(own, "panel");
  AddChild(panel, "MountTam", "コマンド: LINE");  // deeper than a direct child
  EXPECT_EQ(control.ReadTextWindow(), "コマンド: LINE");
  windows.Remove(main);
  EXPECT_EQ(control.ReadTextWindow(), "コマンド: LINE") << "the kept handle still names a window";
}

TEST_F(WindowSearch, DockedCommandLineFirstThenTheFloatingOne) {
  const WindowHandle main = AddTop("AutoCAD 2024", testing::kMainClass);
  const WindowHandle floating = AddTop("コマンド ライン", testing::kMainClass);
  AddChild(floating, "Headlands", "floating");
  const WindowHandle docked = AddChild(main, "Headlands", "docked");
  EXPECT_EQ(control.ReadCommandLine(), "docked");
  windows.Remove(docked);
  EXPECT_EQ(control.ReadCommandLine(), "floating");
  windows.Remove(floating);
  EXPECT_EQ(control.ReadCommandLine(), "");
}

// ---- Waiting for a command's end ----

class CommandEnd : public ::testing::Test {
 protected:
  // The command line shows `texts` on the next reads, then `steady`.
  void Script(std::vector<std::string> texts, std::string steady) {
    auto& line = autocad.windows.Window(autocad.commandLine);
    line.upcoming.assign(texts.begin(), texts.end());
    line.text = std::move(steady);
  }
  int Wait(int intervalMs = 100, int limitSeconds = 5) {
    return control.WaitCommandEnd("iD", intervalMs, limitSeconds);
  }
  int64_t Polls(int intervalMs = 100) const { return clock.now / intervalMs; }

  ScriptedAutoCad autocad;
  FakeClock clock;
  int pumped = 0;
  CommandLineControl control{autocad.windows, clock, [this] { ++pumped; }};
};

const std::string kIdle(kIdlePrompt);

TEST_F(CommandEnd, TheIdlePromptTwiceInARowEndsIt) {
  Script({"点を指定: ", kIdle, "X = 1", kIdle}, kIdle);
  autocad.windows.Window(autocad.history).text = "コマンド: iD\n点を指定:  X = 1\n";
  EXPECT_EQ(Wait(), kCommandEnded);
  EXPECT_EQ(Polls(), 5) << "one idle prompt between other texts does not count";
  EXPECT_EQ(pumped, 5);
  EXPECT_EQ(clock.sleeps, std::vector<int>(5, 100));
}

TEST_F(CommandEnd, ACancelAfterTheEchoMakesItCancelled) {
  autocad.windows.Window(autocad.history).text = "コマンド: iD\n点を指定: *キャンセル*\n";
  EXPECT_EQ(Wait(), kCommandCancelled);
}

TEST_F(CommandEnd, OnlyTheLastCommandsCancelCounts) {
  autocad.windows.Window(autocad.history).text =
      "コマンド: iD\n点を指定: *キャンセル*\nコマンド: iD\n点を指定:  X = 1\n";
  EXPECT_EQ(Wait(), kCommandEnded);
}

TEST_F(CommandEnd, EmptyTextTwiceMeansNoCommandLine) {
  Script({"", "点を指定: ", ""}, "点を指定: ");
  EXPECT_EQ(Wait(), kCadUnusable);
  EXPECT_EQ(Polls(), 3) << "the empty reads need not follow each other";
}

TEST_F(CommandEnd, AVanishedWindowGivesMinusOne) {
  Script({"点を指定: "}, "点を指定: ");
  int reads = 0;
  autocad.windows.onRead = [&](WindowHandle) {
    if (++reads == 3) autocad.windows.Remove(autocad.main);
  };
  EXPECT_EQ(Wait(), kCadUnusable);
  EXPECT_EQ(Polls(), 4);
}

TEST_F(CommandEnd, ADisabledMainWindowGivesMinusOne) {
  autocad.windows.Window(autocad.main).visibleAndEnabled = false;
  EXPECT_EQ(Wait(), kCadUnusable);
  EXPECT_EQ(Polls(), 1);
}

struct TimeOutCase {
  int intervalMs;
  int limitSeconds;
  int64_t polls;
};

class CommandTimeOut : public CommandEnd, public ::testing::WithParamInterface<TimeOutCase> {};

// A command that never ends runs out of polls; the fake clock makes the wait instant.
TEST_P(CommandTimeOut, StopsAfterTheLimit) {
  const TimeOutCase& c = GetParam();
  Script({}, "点を指定: ");
  EXPECT_EQ(Wait(c.intervalMs, c.limitSeconds), kCadUnusable);
  EXPECT_EQ(clock.sleeps.size(), static_cast<std::size_t>(c.polls));
}

INSTANTIATE_TEST_SUITE_P(Limits, CommandTimeOut,
                         ::testing::Values(TimeOutCase{100, 5, 51}, TimeOutCase{300, 1, 4},
                                           TimeOutCase{100, 0, 1}, TimeOutCase{100, 6000, 60001}));

// ---- System variables ----

TEST(CadVariable, TheSetvarPromptsDefault) {
  ScriptedAutoCad autocad;
  autocad.lastPoint = {1.5, -2, 3};
  FakeClock clock;
  CommandLineControl control(autocad.windows, clock, [] {});
  EXPECT_EQ(control.GetCadVariable("LASTPOINT"), "1.5000,-2.0000,3.0000");
  EXPECT_EQ(autocad.typed, (std::vector<std::string>{"'SETVAR LASTPOINT\r", "\003"}));
  EXPECT_EQ(autocad.windows.Window(autocad.commandLine).text, kIdle) << "the prompt is cancelled";
}

TEST(CadVariable, ReadOnlyVariablesAreTypedAsCommandsAndReadFromTheListing) {
  ScriptedAutoCad autocad;
  FakeClock clock;
  CommandLineControl control(autocad.windows, clock, [] {});
  EXPECT_EQ(control.GetCadVariable("acadver"), "\"24.1s (LMS Tech)\"");
  EXPECT_EQ(autocad.typed, (std::vector<std::string>{"acadver\r", "\003"}));
}

TEST(CadVariable, NothingToReadGivesEmpty) {
  ScriptedAutoCad autocad;
  FakeClock clock;
  CommandLineControl control(autocad.windows, clock, [] {});
  EXPECT_EQ(control.GetCadVariable("NOSUCHVAR"), "");  // no prompt, no listing
  autocad.windows.Remove(autocad.main);
  autocad.typed.clear();
  EXPECT_EQ(control.GetCadVariable("LASTPOINT"), "");
  EXPECT_TRUE(autocad.typed.empty());
}

// ---- The ID pick ----

class IdPick : public ::testing::Test {
 protected:
  int Pick() { return control.PickPointByCommandLine(point); }

  ScriptedAutoCad autocad;
  FakeClock clock;
  CommandLineControl control{autocad.windows, clock, [] {}};
  TAcadPoint point{-1, -1, -1};
};

TEST_F(IdPick, APickedPoint) {
  autocad.Pick({15000.25, -20000, 3000});
  EXPECT_EQ(Pick(), kCommandEnded);
  EXPECT_EQ(point, (TAcadPoint{15000.25, -20000, 3000}));
  EXPECT_EQ(autocad.typed, (std::vector<std::string>{"\003\003LASTPOINT 123,456,789 ", "iD\r",
                                                     "'SETVAR LASTPOINT\r", "\003"}));
  EXPECT_EQ(autocad.windows.calls.front(), "BringToFront " + std::to_string(autocad.main));
}

TEST_F(IdPick, EscapeAtThePromptIsNoPick) {
  autocad.lastPoint = {1, 2, 3};
  autocad.Escape();
  EXPECT_EQ(Pick(), kCommandCancelled);
  EXPECT_EQ(point, (TAcadPoint{-1, -1, -1}));
  EXPECT_EQ(autocad.typed.size(), 2u) << "a cancelled command reads no variable";
}

// Enter ends ID without a point and without a cancel: LASTPOINT still holds the sentinel.
TEST_F(IdPick, TheSentinelStillInLastpointIsNoPick) {
  autocad.Enter();
  EXPECT_EQ(Pick(), kCommandCancelled);
  EXPECT_EQ(autocad.lastPoint, kSentinelPoint);
  autocad.Pick(kSentinelPoint);
  EXPECT_EQ(Pick(), kCommandCancelled) << "a point exactly on the sentinel counts as none";
  autocad.Pick({123, 456, 789.0001});
  EXPECT_EQ(Pick(), kCommandEnded);
  EXPECT_EQ(point, (TAcadPoint{123, 456, 789.0001}));
}

TEST_F(IdPick, WithoutAutoCadMinusOne) {
  autocad.windows.Remove(autocad.main);
  EXPECT_EQ(Pick(), kCadUnusable);
  EXPECT_TRUE(autocad.windows.sent.empty());
}

// A LASTPOINT that cannot be read gives no invented point.
TEST_F(IdPick, AnUnreadableLastpointIsNoPoint) {
  autocad.Pick({10, 20, 0});
  autocad.windows.onTyped = [&](WindowHandle, const std::string& text) {
    if (text.starts_with("'SETVAR")) return;  // AutoCAD ignores it
    autocad.windows.Window(autocad.commandLine).text = kIdle;
  };
  EXPECT_EQ(Pick(), kCadUnusable);
  EXPECT_EQ(point, (TAcadPoint{-1, -1, -1}));
}

}  // namespace
}  // namespace vorn::cad
