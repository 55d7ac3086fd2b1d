#include "app/settings_file.h"

#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "form_fixture.h"

namespace vorn::testing {
namespace {

// A prefix and a number, appended: a literal before a temporary string makes GCC 12's optimiser
// report a false overlap (-Wrestrict) inside std::string in Release builds.
std::string Numbered(std::string_view prefix, int number) {
  std::string text(prefix);
  text += std::to_string(number);
  return text;
}

struct TextDefault {
  TEdit TForm1::*box;
  const char* name;
  const char* expected;
};

const TextDefault kTextDefaults[] = {
    {&TForm1::Edit3, "Edit3", "36"},
    {&TForm1::Edit5, "Edit5", "0"},
    {&TForm1::Edit23, "Edit23", "0"},
    {&TForm1::Edit12, "Edit12", "90.0"},
    {&TForm1::Edit4, "Edit4", "4.0"},
    {&TForm1::Edit6, "Edit6", "0.0"},
    {&TForm1::Edit38, "Edit38", "300.0"},
    {&TForm1::Edit2, "Edit2", "8.0"},
    {&TForm1::Edit7, "Edit7", "16.0"},
    {&TForm1::Edit11, "Edit11", "1.0"},
    {&TForm1::Edit17, "Edit17", "0"},
    {&TForm1::Edit15, "Edit15", "25"},
    {&TForm1::Edit19, "Edit19", "200"},
    {&TForm1::Edit20, "Edit20", "3.0"},
    {&TForm1::Edit21, "Edit21", "100"},
    {&TForm1::Edit22, "Edit22", "10.0"},
    {&TForm1::Edit24, "Edit24", "10"},
    {&TForm1::Edit25, "Edit25", "2"},
    {&TForm1::Edit13, "Edit13", "0"},
    {&TForm1::Edit18, "Edit18", "0"},
    {&TForm1::Edit27, "Edit27", "VORN_JIKOKU"},
    {&TForm1::Edit28, "Edit28", "VORN_TOUJI"},
    {&TForm1::Edit29, "Edit29", "VORN_HEKIMEN"},
    {&TForm1::Edit30, "Edit30", "VORN_HWAKU"},
    {&TForm1::Edit31, "Edit31", "VORN_HTOJI"},
    {&TForm1::Edit32, "Edit32", "VORN_NINI"},
    {&TForm1::Edit33, "Edit33", "VORN_TENKU"},
    {&TForm1::Edit34, "Edit34", "VORN_TMEMORI"},
    {&TForm1::Edit35, "Edit35", "VORN_THATCH"},
    {&TForm1::Edit36, "Edit36", "VORN_TSANSYA"},
    {&TForm1::Edit37, "Edit37", "VORN_TTATEITI"},
    {&TForm1::Edit8, "Edit8", "75"},
    {&TForm1::Edit40, "Edit40", "300"},
    {&TForm1::Edit9, "Edit9", "4"},
};

struct CheckDefault {
  TCheckBox TForm1::*box;
  const char* name;
  bool expected;
};

const CheckDefault kCheckDefaults[] = {
    {&TForm1::CheckBox11, "CheckBox11", true}, {&TForm1::CheckBox8, "CheckBox8", true},
    {&TForm1::CheckBox4, "CheckBox4", true},   {&TForm1::CheckBox12, "CheckBox12", false},
    {&TForm1::CheckBox3, "CheckBox3", true},   {&TForm1::CheckBox5, "CheckBox5", true},
    {&TForm1::CheckBox6, "CheckBox6", true},   {&TForm1::CheckBox7, "CheckBox7", true},
    {&TForm1::CheckBox9, "CheckBox9", false},  {&TForm1::CheckBox10, "CheckBox10", true},
};

void ExpectDefaults(TForm1& f) {
  for (const auto& d : kTextDefaults) EXPECT_EQ((f.*d.box).Text, d.expected) << d.name;
  for (const auto& d : kCheckDefaults) EXPECT_EQ((f.*d.box).Checked, d.expected) << d.name;
  EXPECT_EQ(f.RadioGroup1.ItemIndex, 0);
  EXPECT_EQ(f.RadioGroup3.ItemIndex, 1);
  EXPECT_EQ(f.RadioGroup5.ItemIndex, 1);
  EXPECT_EQ(f.RadioGroup6.ItemIndex, 1);
  EXPECT_EQ(f.RadioGroup2.ItemIndex, 0);
  EXPECT_EQ(f.RadioGroup4.ItemIndex, 0);
  EXPECT_EQ(f.UpDown5.Position, 4);
  EXPECT_EQ(f.CheckListBox1.Checked, std::vector<bool>(14, true));
  EXPECT_EQ(f.TargetProgID, "PCAD_AC_X.AcadApplication");
}

TEST_F(FormTest, FirstStartShowsTheDefaultsOfTheSettings) {
  auto f = StartForm();
  ExpectDefaults(*f);
  // Centred on the 1920 × 1080 screen.
  EXPECT_EQ(f->Left, (1920 - f->Width) / 2);
  EXPECT_EQ(f->Top, (1080 - f->Height) / 2);
}

// Every control gets a value other than its default, goes through a save and a new start.
TEST_F(FormTest, SavedSettingsRestoreEveryControl) {
  {
    auto f = StartForm();
    int n = 0;
    for (const auto& d : kTextDefaults) (f.get()->*d.box).Text = Numbered("v", n++);
    for (const auto& d : kCheckDefaults) (f.get()->*d.box).Checked = !d.expected;
    f->RadioGroup1.ItemIndex = 2;
    f->RadioGroup3.ItemIndex = 0;
    f->RadioGroup5.ItemIndex = 2;
    f->RadioGroup6.ItemIndex = 0;
    f->RadioGroup2.ItemIndex = 1;
    f->UpDown5.Position = 7;
    f->CheckListBox1.Checked = std::vector<bool>(14, false);
    f->CheckListBox1.Checked[3] = true;
    f->TargetProgID = "ZWCAD.Application";
    f->Left = 10;
    f->Top = 20;
    f->FormDestroy();
  }
  auto g = StartForm();
  int n = 0;
  for (const auto& d : kTextDefaults) {
    const std::string expected = d.box == &TForm1::Edit9 ? "7" : Numbered("v", n);
    EXPECT_EQ((g.get()->*d.box).Text, expected) << d.name;
    ++n;
  }
  for (const auto& d : kCheckDefaults) EXPECT_EQ((g.get()->*d.box).Checked, !d.expected) << d.name;
  EXPECT_EQ(g->RadioGroup1.ItemIndex, 2);
  EXPECT_EQ(g->RadioGroup3.ItemIndex, 0);
  EXPECT_EQ(g->RadioGroup5.ItemIndex, 2);
  EXPECT_EQ(g->RadioGroup6.ItemIndex, 0);
  EXPECT_EQ(g->RadioGroup2.ItemIndex, 1);
  EXPECT_EQ(g->RadioGroup4.ItemIndex, 1);
  EXPECT_EQ(g->UpDown5.Position, 7);
  std::vector<bool> checks(14, false);
  checks[3] = true;
  EXPECT_EQ(g->CheckListBox1.Checked, checks);
  EXPECT_EQ(g->TargetProgID, "ZWCAD.Application");
  EXPECT_EQ(g->Left, 10);
  EXPECT_EQ(g->Top, 20);
}

struct PositionCase {
  const char* stored;  // nullptr: no key
  int screen;
  int size;
  int expected;
};

class WindowPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(WindowPosition, FollowsTheScreenRule) {
  const PositionCase c = GetParam();
  RecordingShell shell;
  TestCad cad(shell.calls);
  TForm1 f(shell, DataFolders("/nonexistent", "", nullptr), cad.Environment());
  f.Width = c.size;
  IniFile ini;
  if (c.stored != nullptr) ini.WriteString("Form", "Left", c.stored);
  ReadSettings(f, ini, ScreenSize{c.screen, 1080});
  EXPECT_EQ(f.Left, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowPosition,
    ::testing::Values(PositionCase{"5000", 1920, 342, 789}, PositionCase{nullptr, 1920, 342, 789},
                      PositionCase{"100", 1920, 342, 100}, PositionCase{"1578", 1920, 342, 1578},
                      PositionCase{"1579", 1920, 342, 789}, PositionCase{"-50", 1920, 342, -50},
                      PositionCase{"2147483647", 1920, 342, 789},
                      PositionCase{"junk", 1920, 342, 789}, PositionCase{nullptr, 300, 342, -21}));

TEST_F(FormTest, TopIsCentredWhenPastTheBottom) {
  WriteFile(settingsFile(), "[Form]\r\nLeft=5\r\nTop=5000\r\n");
  auto f = StartForm();
  EXPECT_EQ(f->Left, 5);
  EXPECT_EQ(f->Top, (1080 - f->Height) / 2);
}

TEST_F(FormTest, WrittenFileHoldsNiniEqualToToujiAndEveryKeyInOrder) {
  auto f = StartForm();
  f->RadioGroup3.ItemIndex = 2;
  f->FormDestroy();
  const IniFile ini = IniFile::Parse(ReadFile(settingsFile()));
  EXPECT_EQ(ini.Find("Nini", "kankaku"), "2");
  EXPECT_EQ(ini.Find("Touji", "kankaku"), "2");

  std::vector<std::string> sections;
  for (const auto& s : ini.Sections()) sections.push_back(s.name);
  EXPECT_EQ(sections, (std::vector<std::string>{"Form", "Common", "Tokutei", "Jikoku", "Touji",
                                                "Nini", "Hekimen", "Tenku", "Layer", "Target"}));
  std::vector<std::string> common;
  for (const auto& e : ini.Sections()[1].entries) common.push_back(e.key);
  EXPECT_EQ(common, (std::vector<std::string>{"ido1", "ido2", "ido3", "makita", "takasa", "takasa2",
                                              "kisetsu"}));
  std::vector<std::string> touji;
  for (const auto& e : ini.Sections()[4].entries) touji.push_back(e.key);
  EXPECT_EQ(touji.size(), 14u + 5u);
  EXPECT_EQ(touji.front(), "chk0");
  EXPECT_EQ(touji[13], "chk13");
  EXPECT_EQ(touji.back(), "tyokuchk");
  EXPECT_EQ(ini.Sections()[7].entries.back().key, "Kaiten");
  EXPECT_EQ(ini.Find("Layer", "Htouji"), "VORN_HTOJI");
  EXPECT_EQ(ini.Find("Target", "ProgID"), "PCAD_AC_X.AcadApplication");
  EXPECT_EQ(ini.Find("Jikoku", "NotHoui"), "1");
  EXPECT_EQ(ini.Find("Hekimen", "block"), "0");
}

TEST_F(FormTest, NiniIsNeverRead) {
  WriteFile(settingsFile(), "[Nini]\r\nkankaku=2\r\n");
  EXPECT_EQ(StartForm()->RadioGroup3.ItemIndex, 1);
  WriteFile(settingsFile(), "[Touji]\r\nkankaku=0\r\n[Nini]\r\nkankaku=2\r\n");
  EXPECT_EQ(StartForm()->RadioGroup3.ItemIndex, 0);
}

TEST_F(FormTest, BinaryJunkStartsWithTheDefaults) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  WriteFile(settingsFile(), junk);
  ExpectDefaults(*StartForm());
}

TEST_F(FormTest, CorruptValuesFallBackOrAreKeptInRange) {
  WriteFile(settingsFile(),
            "Left=1\r\n"  // before any section: ignored
            "[Common]\r\nkisetsu=99999999999999999999\r\nido1=  \"35\"  \r\n"
            "[Touji]\r\nkankaku=abc\r\nkankaku2=7\r\nkankaku3=-5\r\ntyokusen=1000\r\n"
            "chk0=0\r\nchk1=xyz\r\nchk2=2\r\n"
            "[Tenku]\r\nMenseki=12\r\n[Jikoku\r\nkaishi=9.0\r\n");
  auto f = StartForm();
  EXPECT_EQ(f->RadioGroup1.ItemIndex, 0);  // too large for an integer: default
  EXPECT_EQ(f->Edit3.Text, "35");
  EXPECT_EQ(f->RadioGroup3.ItemIndex, 1);   // not a number: default
  EXPECT_EQ(f->RadioGroup5.ItemIndex, 2);   // past the last item: the last
  EXPECT_EQ(f->RadioGroup6.ItemIndex, -1);  // below -1: none
  EXPECT_EQ(f->UpDown5.Position, 20);
  EXPECT_EQ(f->Edit9.Text, "20");
  EXPECT_FALSE(f->CheckListBox1.Checked[0]);
  EXPECT_TRUE(f->CheckListBox1.Checked[1]);
  EXPECT_TRUE(f->CheckListBox1.Checked[2]);
  EXPECT_EQ(f->RadioGroup2.ItemIndex, 2);
  EXPECT_EQ(f->RadioGroup4.ItemIndex, 2);
  // A broken section header leaves its keys with the previous section.
  EXPECT_EQ(f->Edit2.Text, "8.0");
}

TEST_F(FormTest, StringValuesAreShownAsStoredAndParsedOnlyByCommands) {
  WriteFile(settingsFile(), "[Common]\r\ntakasa=abc\r\nmakita=\r\n");
  auto f = StartForm();
  EXPECT_EQ(f->Edit4.Text, "abc");
  EXPECT_EQ(f->Edit12.Text, "");
}

TEST_F(FormTest, OtherKeysOfTheFileSurviveASave) {
  WriteFile(settingsFile(), "[Extra]\r\nkeep=yes\r\n[Common]\r\nmine=1\r\n");
  StartForm()->FormDestroy();
  const IniFile ini = IniFile::Parse(ReadFile(settingsFile()));
  EXPECT_EQ(ini.Find("Extra", "keep"), "yes");
  EXPECT_EQ(ini.Find("Common", "mine"), "1");
  EXPECT_EQ(ini.Find("Common", "ido1"), "36");
}

TEST_F(FormTest, JapaneseTextSurvivesInUtf8AndOldCp932FilesAreRead) {
  {
    auto f = StartForm();
    f->Edit27.Text = "時刻日影";
    f->FormDestroy();
  }
  EXPECT_NE(ReadFile(settingsFile()).find("Jikoku=時刻日影\r\n"), std::string::npos);
  EXPECT_EQ(StartForm()->Edit27.Text, "時刻日影");
  WriteFile(settingsFile(), "[Layer]\r\nJikoku=\x8E\x9E\x8D\x8F\r\n");  // "時刻" in CP932
  EXPECT_EQ(StartForm()->Edit27.Text, "時刻");
}

TEST(SettingsFileName, ReplacesTheExtension) {
  EXPECT_EQ(SettingsFileName("C:/Program Files/Vorn/Vorn2023.exe"), "Vorn2023.ini");
  EXPECT_EQ(SettingsFileName("/usr/bin/vorn"), "vorn.ini");
}

}  // namespace
}  // namespace vorn::testing
