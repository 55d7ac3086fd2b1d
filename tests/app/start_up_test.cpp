#include <gtest/gtest.h>

#include "app/application.h"
#include "form_fixture.h"

namespace vorn::testing {
namespace {

TEST_F(FormTest, StartUpShowsTheFirstPageAndTheWindowOnTop) {
  auto f = StartForm();
  EXPECT_EQ(f->PageControl1.ActivePageIndex, 0);
  EXPECT_EQ(f->PageControl1.Pages.size(), 7u);
  EXPECT_EQ(f->GB_hyoukaidx, -1);
  EXPECT_EQ(f->GB_toujiidx, -1);
  EXPECT_TRUE(f->StayOnTop);
  EXPECT_EQ(f->Label22.Caption, "");
  EXPECT_EQ(f->Label26.Caption, "");
  EXPECT_FALSE(f->RunningFlag);
  // The message filter comes before the top-most placement, which is the last step.
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"InstallFilter 77", "PlaceTopMost"}));
  EXPECT_TRUE(f->MessageFilter.Registered());
  EXPECT_EQ(cad.installedFilter, TestCad::kFilterHandle);
}

TEST_F(FormTest, ControlsStartWithTheirCaptionsAndStates) {
  auto f = StartForm();
  EXPECT_EQ(f->Caption, "Vorn2023.07.28 Beta");
  EXPECT_EQ(f->ClientWidth, 336);
  EXPECT_EQ(f->ClientHeight, 261);
  EXPECT_EQ(f->ComboBox1.Text, "都市参照");
  EXPECT_EQ(f->ComboBox1.DropDownCount, 16);
  EXPECT_EQ(f->RadioGroup1.Items, (std::vector<std::string>{"冬至", "秋春", "夏至"}));
  EXPECT_EQ(f->RadioGroup1.Columns, 3);
  EXPECT_EQ(f->CheckListBox1.Items.front(), "1.5Hr");
  EXPECT_EQ(f->CheckListBox1.Items[5], "4.0Hr");
  EXPECT_EQ(f->CheckListBox1.Items.back(), "8.0Hr");
  EXPECT_EQ(f->CheckListBox1.Items.size(), 14u);
  EXPECT_EQ(f->Button2.Hint, "建物の図形を選択（右クリックで前回取得した建物）");
  EXPECT_FALSE(f->Button3.Enabled);
  EXPECT_FALSE(f->Button17.Enabled);
  EXPECT_FALSE(f->Button10.Enabled);
  EXPECT_FALSE(f->Button6.Enabled);
  EXPECT_FALSE(f->Button5.Enabled);
  EXPECT_FALSE(f->Button7.Enabled);
  EXPECT_FALSE(f->Button18.Enabled);
  EXPECT_FALSE(f->Button4.Visible);
  EXPECT_EQ(f->Button23.Caption, "再計算");
  EXPECT_EQ(f->Edit41.Text, "1");
  EXPECT_EQ(f->Edit10.Text, "1");
  EXPECT_EQ(f->Edit26.Text, "0");
  EXPECT_EQ(f->UpDown3.Max, 1000);
  EXPECT_EQ(f->UpDown5.Min, 2);
  EXPECT_EQ(f->UpDown5.Max, 20);
  EXPECT_TRUE(f->Edit9.ReadOnly);
  EXPECT_TRUE(f->Edit42.ReadOnly);
  EXPECT_EQ(f->N1.Caption, "すべてをクリップボードにコピー");
  EXPECT_EQ(f->N2.Caption, "順位を反転");
}

struct SeasonCase {
  int item;
  double declination;
};

class Season : public FormTest, public ::testing::WithParamInterface<SeasonCase> {};

TEST_P(Season, SetsTheSunDeclination) {
  WriteFile(settingsFile(), "[Common]\r\nkisetsu=" + std::to_string(GetParam().item) + "\r\n");
  auto f = StartForm();  // the season handler runs once at start-up
  EXPECT_EQ(f->workspace.sun.SunDeclination, GetParam().declination);
  f->RadioGroup1.SetItemIndex(1);
  f->RadioGroup1Click();
  EXPECT_EQ(f->workspace.sun.SunDeclination, 0.0);
  f->RadioGroup1.SetItemIndex(GetParam().item);
  f->RadioGroup1Click();
  EXPECT_EQ(f->workspace.sun.SunDeclination, GetParam().declination);
}

INSTANTIATE_TEST_SUITE_P(Items, Season,
                         ::testing::Values(SeasonCase{0, -0.40927970959267024}, SeasonCase{1, 0.0},
                                           SeasonCase{2, 0.40927970959267024}));

TEST_F(FormTest, AreaChoiceKeepsBothGroupsInStepAndSwitchesTheTables) {
  WriteFile(settingsFile(), "[Tenku]\r\nMenseki=0\r\n");
  auto f = StartForm();  // the area handler runs once at start-up
  for (TCheckBox* c : {&f->CheckBox3, &f->CheckBox5, &f->CheckBox6, &f->CheckBox7}) {
    EXPECT_FALSE(c->Enabled);
  }
  f->RadioGroup4.SetItemIndex(2);
  f->RadioGroup4Click();
  EXPECT_EQ(f->RadioGroup2.ItemIndex, 2);
  for (TCheckBox* c : {&f->CheckBox3, &f->CheckBox5, &f->CheckBox6, &f->CheckBox7}) {
    EXPECT_TRUE(c->Enabled);
  }
  f->RadioGroup2.SetItemIndex(0);
  f->RadioGroup2Click();
  EXPECT_EQ(f->RadioGroup4.ItemIndex, 0);
  EXPECT_FALSE(f->CheckBox7.Enabled);
}

TEST_F(FormTest, ShutDownWritesTheSettingsThenRevokesTheFilter) {
  std::filesystem::create_directories(exeFolder());
  {
    VornApplication app(shell, cad.Environment());
    EXPECT_EQ(app.MainForm().Title, "Vorn2023");
    app.MainForm().Edit4.Text = "6.0";
    shell.calls.clear();
    app.Close();
    // The filter the program found is back in place.
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"InstallFilter 5"}));
    EXPECT_EQ(cad.installedFilter, 5u);
    app.Close();
    EXPECT_EQ(shell.CountCalls("InstallFilter 5"), 1);
  }
  EXPECT_EQ(shell.CountCalls("InstallFilter 5"), 1);  // the destructor did not repeat it
  EXPECT_NE(ReadFile(settingsFile()).find("takasa=6.0"), std::string::npos);
}

TEST_F(FormTest, TheApplicationClosesOnDestruction) {
  std::filesystem::create_directories(exeFolder());
  { VornApplication app(shell, cad.Environment()); }
  EXPECT_EQ(shell.CountCalls("InstallFilter 5"), 1);
  EXPECT_TRUE(std::filesystem::exists(settingsFile()));
}

TEST_F(FormTest, UpDownsShowTheirPositionInTheirBoxes) {
  auto f = StartForm();
  f->UpDown5.SetPosition(25);
  f->UpDown5Click();
  EXPECT_EQ(f->Edit9.Text, "20");
  f->UpDown2.SetPosition(f->UpDown2.Position + 1);
  f->UpDown2Click();
  EXPECT_EQ(f->Edit16.Text, "2");
  f->UpDown6.SetPosition(0);
  f->UpDown6Click();
  EXPECT_EQ(f->Edit14.Text, "1");
}

TEST_F(FormTest, MessagesCarryTheApplicationTitle) {
  auto f = StartForm();
  f->ShowMessage("建物データがありません．");
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Vorn2023");
}

}  // namespace
}  // namespace vorn::testing
