#include "app/target_cad.h"

#include <gtest/gtest.h>

#include "app/key_filter.h"
#include "form_fixture.h"

namespace vorn::testing {
namespace {

#ifdef _WIN32
constexpr const char* kEol = "\r\n";
#else
constexpr const char* kEol = "\n";
#endif

class TargetList : public FormTest {
 protected:
  std::filesystem::path listFile() const { return exeFolder() / "TargetCAD_APIVersion.txt"; }
  void WriteList(const std::string& text) { WriteFile(listFile(), text); }
};

TEST_F(TargetList, StartUpMatchShowsTheDisplayNameAndProgID) {
  WriteList("IJCAD\tGCAD.Application\r\nPlusCAD\tPCAD_AC_X.AcadApplication\r\n");
  auto f = StartForm();
  EXPECT_EQ(f->Caption, "Vorn2023 [ PlusCAD ]");
  EXPECT_EQ(f->GroupBox15.Caption, "ターゲットCAD = PlusCAD");
  EXPECT_EQ(f->Edit42.Text, "PCAD_AC_X.AcadApplication");
  EXPECT_EQ(f->TargetProgID, "PCAD_AC_X.AcadApplication");
}

TEST_F(TargetList, APrefixOfALongerProgIDInAnEarlierLineMatchesThatLine) {
  WriteList("Newer\tPCAD_AC_X.AcadApplication.2\nExact\tPCAD_AC_X.AcadApplication\n");
  auto f = StartForm();
  EXPECT_EQ(f->Caption, "Vorn2023 [ Newer ]");
  EXPECT_EQ(f->Edit42.Text, "PCAD_AC_X.AcadApplication.2");
}

TEST_F(TargetList, StartUpMatchIgnoresLetterCaseAndUsesTheSavedTarget) {
  WriteFile(settingsFile(), "[Target]\r\nProgID=zwcad.application\r\n");
  WriteList("ZW\tZWCAD.Application\n");
  auto f = StartForm();
  EXPECT_EQ(f->Caption, "Vorn2023 [ ZW ]");
  EXPECT_EQ(f->Edit42.Text, "ZWCAD.Application");
  EXPECT_EQ(f->TargetProgID, "zwcad.application");
}

TEST_F(TargetList, WithoutFileOrMatchTheBuiltInCaptionStays) {
  {
    auto f = StartForm();
    EXPECT_EQ(f->Caption, "Vorn2023.07.28 Beta");
    EXPECT_EQ(f->GroupBox15.Caption, "ターゲットCAD");
    EXPECT_EQ(f->Edit42.Text, "");
  }
  WriteList("Other\tAutoCAD.Application\n");
  EXPECT_EQ(StartForm()->Caption, "Vorn2023.07.28 Beta");
}

TEST(MatchTarget, AnEmptyProgIDMatchesNothing) {
  EXPECT_EQ(MatchTarget({"A\tB"}, ""), std::nullopt);
}

TEST(MatchTarget, ALineWithoutATabHasNoName) {
  const auto m = MatchTarget({"GCAD.Application"}, "gcad");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->name, "");
  EXPECT_EQ(m->progId, "GCAD.Application");
}

class TargetDialog : public TargetList {
 protected:
  void SetUp() override {
    WriteList("b-cad\tB.Application\nA-CAD\tPCAD_AC_X.AcadApplication\nc\tC.App\n");
    f = StartForm();
    dialog = &f->TargetCADForm;
  }
  std::unique_ptr<TForm1> f;
  TTargetCADForm* dialog = nullptr;
};

TEST_F(TargetDialog, ShowLoadsSortedAndSelectsTheTarget) {
  dialog->FormShow(f->TargetProgID);
  EXPECT_EQ(dialog->ListBox1.Items, (std::vector<std::string>{"A-CAD\tPCAD_AC_X.AcadApplication",
                                                              "b-cad\tB.Application", "c\tC.App"}));
  EXPECT_EQ(dialog->ListBox1.ItemIndex, 0);
  EXPECT_EQ(dialog->Edit1.Text, "A-CAD");
  EXPECT_EQ(dialog->Edit2.Text, "PCAD_AC_X.AcadApplication");
  EXPECT_EQ(dialog->Caption, "ターゲット CAD");
  EXPECT_EQ(dialog->Button2.Caption, "取り消し");
}

TEST_F(TargetDialog, PreselectionNeedsTheExactLetterCase) {
  dialog->FormShow("pcad_ac_x.acadapplication");
  EXPECT_EQ(dialog->ListBox1.ItemIndex, -1);
}

TEST_F(TargetDialog, ALineWithoutATabIsAllProgID) {
  dialog->ListBox1.Items = {"NoTab.Application"};
  dialog->ListBox1.ItemIndex = 0;
  dialog->ListBox1Click();
  EXPECT_EQ(dialog->Edit1.Text, "");
  EXPECT_EQ(dialog->Edit2.Text, "NoTab.Application");
}

TEST_F(TargetDialog, AddInsertsSortedSelectsAndSaves) {
  dialog->FormShow(f->TargetProgID);
  dialog->Edit1.Text = "Bz";
  dialog->Edit2.Text = "BZ.App";
  dialog->SpeedButton1Click();
  EXPECT_EQ(dialog->ListBox1.Items[2], "Bz\tBZ.App");
  EXPECT_EQ(dialog->ListBox1.ItemIndex, 2);
  EXPECT_EQ(ReadFile(listFile()), std::string("A-CAD\tPCAD_AC_X.AcadApplication") + kEol +
                                      "b-cad\tB.Application" + kEol + "Bz\tBZ.App" + kEol +
                                      "c\tC.App" + kEol);
}

TEST_F(TargetDialog, DeletingTheLastItemSelectsTheOneBeforeIt) {
  dialog->FormShow(f->TargetProgID);
  dialog->ListBox1.ItemIndex = 2;
  dialog->SpeedButton2Click();
  EXPECT_EQ(dialog->ListBox1.Items.size(), 2u);
  EXPECT_EQ(dialog->ListBox1.ItemIndex, 1);
  EXPECT_EQ(dialog->Edit1.Text, "b-cad");
  EXPECT_EQ(dialog->Edit2.Text, "B.Application");
  EXPECT_EQ(ReadTargetList(listFile())->size(), 2u);
}

TEST_F(TargetDialog, DeletingAMiddleItemSelectsTheOneThatMovedUp) {
  dialog->FormShow(f->TargetProgID);
  dialog->ListBox1.ItemIndex = 1;
  dialog->SpeedButton2Click();
  EXPECT_EQ(dialog->ListBox1.ItemIndex, 1);
  EXPECT_EQ(dialog->Edit1.Text, "c");
}

TEST_F(TargetDialog, DeletingTheOnlyItemLeavesNothingSelectedAndEmptyBoxes) {
  WriteList("Only\tO.App\n");
  dialog->FormShow("O.App");
  ASSERT_EQ(dialog->ListBox1.ItemIndex, 0);
  dialog->SpeedButton2Click();
  EXPECT_TRUE(dialog->ListBox1.Items.empty());
  EXPECT_EQ(dialog->ListBox1.ItemIndex, -1);
  EXPECT_EQ(dialog->Edit1.Text, "");
  EXPECT_EQ(dialog->Edit2.Text, "");
  EXPECT_EQ(ReadFile(listFile()), "");
  dialog->SpeedButton2Click();  // nothing selected: nothing happens
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(TargetDialog, ChangeAndEnterReplaceTheSelectedItemInPlace) {
  dialog->FormShow(f->TargetProgID);
  dialog->ListBox1.ItemIndex = 0;
  dialog->Edit1.Text = "Zed";
  dialog->Edit2.Text = "Z.App";
  dialog->SpeedButton3Click();
  EXPECT_EQ(dialog->ListBox1.Items[0], "Zed\tZ.App");
  dialog->Edit2.Text = "Z2.App";
  EXPECT_TRUE(dialog->EditKeyPress('x'));
  EXPECT_FALSE(dialog->EditKeyPress(kKeyEnter));
  EXPECT_EQ(dialog->ListBox1.Items[0], "Zed\tZ2.App");
  EXPECT_EQ(ReadTargetList(listFile())->front(), "Zed\tZ2.App");
}

TEST_F(TargetDialog, OkMakesTheEditBoxesTheTarget) {
  shell.onTargetCadDialog = [](TTargetCADForm& d) {
    d.ListBox1.ItemIndex = 1;
    d.ListBox1Click();
    d.Button1Click();
  };
  f->SpeedButton4Click();
  EXPECT_EQ(f->TargetProgID, "B.Application");
  EXPECT_EQ(f->Edit42.Text, "B.Application");
  EXPECT_EQ(f->Caption, "Vorn2023 [ b-cad ]");
  EXPECT_EQ(f->GroupBox15.Caption, "ターゲットCAD = b-cad");
  f->FormDestroy();
  EXPECT_EQ(StartForm()->TargetProgID, "B.Application");
}

TEST_F(TargetDialog, CancelKeepsTheTargetButNotTheListEdits) {
  shell.onTargetCadDialog = [](TTargetCADForm& d) {
    d.ListBox1.ItemIndex = 2;
    d.SpeedButton2Click();
    d.Button2Click();
  };
  f->SpeedButton4Click();
  EXPECT_EQ(f->TargetProgID, "PCAD_AC_X.AcadApplication");
  EXPECT_EQ(f->Caption, "Vorn2023 [ A-CAD ]");
  EXPECT_EQ(ReadTargetList(listFile())->size(), 2u);
}

TEST_F(TargetDialog, WithoutAFileTheListKeepsItsItems) {
  std::filesystem::remove(listFile());
  dialog->ListBox1.Items = {"kept\tK.App"};
  dialog->FormShow(f->TargetProgID);
  EXPECT_EQ(dialog->ListBox1.Items, (std::vector<std::string>{"kept\tK.App"}));
}

TEST_F(TargetList, EditsOfAnInstalledProgramAreShownAgainFromTheUserFolder) {
  shell.readOnlyFolders = {exeFolder()};
  WriteList("Shipped\tS.App\n");
  auto f = StartForm();
  TTargetCADForm& d = f->TargetCADForm;
  d.FormShow(f->TargetProgID);
  d.Edit1.Text = "Mine";
  d.Edit2.Text = "M.App";
  d.SpeedButton1Click();
  EXPECT_EQ(ReadFile(listFile()), "Shipped\tS.App\n");  // the shipped file is untouched
  d.FormShow(f->TargetProgID);
  EXPECT_EQ(d.ListBox1.Items, (std::vector<std::string>{"Mine\tM.App", "Shipped\tS.App"}));
  EXPECT_TRUE(std::filesystem::exists(userFolder() / "TargetCAD_APIVersion.txt"));
}

TEST_F(TargetDialog, AFailedSaveIsReported) {
  dialog->FormShow(f->TargetProgID);
  std::filesystem::remove(listFile());
  std::filesystem::create_directories(listFile());  // a folder where the list is saved
  dialog->ListBox1.ItemIndex = 0;
  dialog->SpeedButton3Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Vorn2023");
  EXPECT_NE(shell.messages[0].text.find("TargetCAD_APIVersion.txt"), std::string::npos);
}

}  // namespace
}  // namespace vorn::testing
