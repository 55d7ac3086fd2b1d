// Point entry, the shadow time at points and the annotation block as the user runs them:
// buttons of the form over the built-in drawing host.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "acquisition/annotation_block.h"
#include "app/form_fixture.h"
#include "app/result_grids.h"
#include "cad/command_line.h"
#include "cad/command_line_fake.h"
#include "cad/host/host_document.h"
#include "shadows/point_entry.h"

namespace vorn {
namespace {

using testing::FormTest;

class PointCommands : public FormTest {
 protected:
  void SetUp() override {
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/tests/shadows/fixtures/point_marks.dxf");
    form = StartForm();
    form->RadioGroup3.SetItemIndex(2);  // 60 s keeps the runs short
  }

  void PickBuilding() {
    cad.user.SelectLayer("building");
    form->Button2Click();
    ASSERT_EQ(form->workspace.BuildingEdges.size(), 16u);
  }

  std::vector<std::string> Row(const TStringGrid& grid, int r) const { return grid.Rows(r); }
  std::vector<std::string> Cells(const TStringGrid& grid, int r, int from, int to) const {
    std::vector<std::string> cells;
    for (int c = from; c <= to; ++c) cells.push_back(grid.Cells(c, r));
    return cells;
  }

  std::unique_ptr<TForm1> form;
};

TEST_F(PointCommands, BatchAcquisitionLabelsWithinReachAndSortsAlongTheWiderSide) {
  cad.user.SelectLayer("marks");
  form->Button22Click();  // no building yet: the points are only entered
  const TStringGrid& g = form->StringGrid2;
  EXPECT_EQ(form->sg, &form->StringGrid2);
  ASSERT_EQ(g.RowCount(), 4);
  // Equal spread in x and y: sorted by y.
  EXPECT_EQ(Cells(g, 1, 0, 4), (std::vector<std::string>{"1", "30000", "50000", "P1", "0"}));
  // The text 1000.5 away gives no label: the row shows its number.
  EXPECT_EQ(Cells(g, 2, 0, 4), (std::vector<std::string>{"2", "10000", "60000", "2", "1.5"}));
  // Exactly 1000 away in x and y is still near enough.
  EXPECT_EQ(Cells(g, 3, 0, 4), (std::vector<std::string>{"3", "20000", "70000", "P3", "0"}));
  EXPECT_NE(cad.host.PromptLog().find(kPromptSelectMarks), std::string::npos);
}

TEST_F(PointCommands, MeasurementMarksGoToTheSkyGrid) {
  form->StringGrid2.SetRowCount(2);
  form->StringGrid2.SetCell(1, 1, "5");
  cad.user.SelectLayer("marks");
  form->Button16Click();
  EXPECT_EQ(form->sg, &form->StringGrid1);
  EXPECT_EQ(form->StringGrid1.RowCount(), 4);
  EXPECT_EQ(form->StringGrid1.Cells(4, 2), "1.5");
  EXPECT_EQ(form->StringGrid2.Cells(1, 1), "5");
}

TEST_F(PointCommands, SelectingNoCircleChangesNothing) {
  form->StringGrid2.SetRowCount(2);
  form->StringGrid2.SetCell(1, 1, "5");
  cad.user.SelectLayer("labels");
  form->Button22Click();
  EXPECT_EQ(form->StringGrid2.RowCount(), 2);
  EXPECT_EQ(form->StringGrid2.Cells(1, 1), "5");
  cad.user.Cancel();
  form->Button22Click();
  EXPECT_EQ(form->StringGrid2.Cells(1, 1), "5");
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(PointCommands, ContinuousPickKeepsTheLaterOfRepeatedPointsAndItsNumber) {
  PickBuilding();
  // Spread more in y than in x: listed from the lowest y. The third pick repeats the first
  // one's place; the later survives, with its running number 3 as label in row 2.
  cad.user.Point({40000, 45000, 0})
      .Point({42000, 20000, 0})
      .Point({40000.000001, 45000, 0})
      .Point({41000, 30000, 0})
      .Cancel();
  form->Button21Click();
  const TStringGrid& g = form->StringGrid2;
  ASSERT_EQ(g.RowCount(), 4);
  EXPECT_EQ(Cells(g, 1, 0, 3), (std::vector<std::string>{"1", "42000", "20000", "2"}));
  EXPECT_EQ(Cells(g, 2, 0, 3), (std::vector<std::string>{"2", "41000", "30000", "L1"}));
  EXPECT_EQ(Cells(g, 3, 0, 3), (std::vector<std::string>{"3", "40000.000001", "45000", "L2"}));
  // The analysis ran at once: every row has its total.
  for (int r = 1; r <= 3; ++r) EXPECT_FALSE(g.Cells(4, r).empty()) << r;
  for (const std::string& prompt : cad.user.Requests()) {
    if (prompt.rfind("特定点", 0) == 0) {
      EXPECT_EQ(prompt, kPromptSpecificPoint);
    }
  }
  EXPECT_EQ(cad.host.Document().variables.at("BLIPMODE"), cad::CadValue{int32_t{0}});
  EXPECT_NE(cad.host.PromptLog().find(kPromptPointGiven), std::string::npos);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_GT(shell.CountCalls("Minimize"), 0);
  EXPECT_GE(shell.CountCalls("Restore"), shell.CountCalls("Minimize"));
}

TEST_F(PointCommands, ContinuousPickWithoutTextNearbyUsesTheRunningNumber) {
  cad.user.Point({70000, 5000, 0}).Point({60000, 5000, 0}).Cancel();
  form->Button21Click();
  const TStringGrid& g = form->StringGrid2;
  ASSERT_EQ(g.RowCount(), 3);
  // Sorted by x: the second pick comes first and keeps its number 2.
  EXPECT_EQ(Cells(g, 1, 0, 3), (std::vector<std::string>{"1", "60000", "5000", "2"}));
  EXPECT_EQ(Cells(g, 2, 0, 3), (std::vector<std::string>{"2", "70000", "5000", "1"}));
}

TEST_F(PointCommands, AutoTargetsPickThroughTheIdCommandAndEnterEndsAtOnce) {
  PickBuilding();
  form->TargetProgID = "AutoCAD.Application.24";
  cad.user.Point({41000, 30000, 0}).Point({15000, 20000, 0}).Cancel();
  form->Button21Click();
  const TStringGrid& g = form->StringGrid2;
  ASSERT_EQ(g.RowCount(), 3);
  EXPECT_EQ(Cells(g, 1, 1, 3), (std::vector<std::string>{"15000", "20000", "2"}));
  EXPECT_EQ(Cells(g, 2, 1, 3), (std::vector<std::string>{"41000", "30000", "L1"}));
  // On the north wall itself, in shadow all day: a total of the whole day.
  EXPECT_EQ(g.Cells(4, 1), "08:00'00\"");

  // Enter at the first prompt: no point, the grid stays, the analysis still runs over it.
  form->StringGrid2.SetCell(4, 1, "");
  cad.user.Cancel();
  form->Button21Click();
  ASSERT_EQ(g.RowCount(), 3);
  EXPECT_EQ(g.Cells(1, 1), "15000");
  EXPECT_EQ(g.Cells(4, 1), "08:00'00\"");
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(PointCommands, NearestSiteTextsRelabelTheRows) {
  TTempPoint a, b;
  a.pt = {0, 0, 0};
  a.Name = "1";
  b.pt = {1000, 0, 0};
  b.Name = "2";
  form->workspace.AryPoint = {a, b};
  TTextEnt t;
  t.str = "S";
  t.pt10 = {100, 0, 0};
  form->workspace.AryText = {t};
  form->TempPointsToSG(1);
  // The text is nearest to the first point and used up: the second gets its empty string.
  EXPECT_EQ(form->StringGrid2.Cells(3, 1), "S");
  EXPECT_EQ(form->StringGrid2.Cells(3, 2), "");
  EXPECT_TRUE(form->workspace.AryPoint.empty());
  EXPECT_TRUE(form->workspace.AryText.empty());
}

TEST_F(PointCommands, RecalculationMessagesAndRunStates) {
  form->Button23Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "建物データがありません．");
  PickBuilding();
  form->Button23Click();
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(shell.messages[1].text, "測定点データがありません．");
  form->Button15Click();
  EXPECT_EQ(shell.messages.back().text, "測定点データがありません．");

  TStringGrid& g = form->StringGrid2;
  g.SetRowCount(3);
  g.SetCell(1, 1, "15000");
  g.SetCell(2, 1, "20000");
  g.SetCell(3, 2, "only a name");  // a row without coordinates: results emptied, nothing else
  g.SetCell(4, 2, "stale");
  form->Button15.Enabled = false;
  form->Button23Click();
  EXPECT_EQ(shell.messages.size(), 3u);
  EXPECT_EQ(g.Cells(4, 1), "08:00'00\"");
  EXPECT_EQ(g.Cells(4, 2), "");
  EXPECT_EQ(g.Cells(3, 2), "only a name");
  EXPECT_EQ(form->Button23.Caption, "再計算");
  EXPECT_TRUE(form->Button15.Enabled);
  EXPECT_FALSE(form->Button7.Enabled);
  EXPECT_TRUE(form->Button4.Enabled);
  EXPECT_EQ(form->ProgressBar1.Position, 0);
  EXPECT_EQ(form->ProgressBar1.Max, 480);
}

TEST_F(PointCommands, StoppingMidRunLeavesTheTimesSoFarAndNoTotals) {
  PickBuilding();
  TStringGrid& g = form->StringGrid2;
  g.SetRowCount(2);
  g.SetCell(1, 1, "15000");
  g.SetCell(2, 1, "20000");
  int pumped = 0;
  std::string captionDuringRun;
  shell.onProcessMessages = [&] {
    if (++pumped == 3) {
      captionDuringRun = form->Button23.Caption;
      EXPECT_TRUE(form->Button7.Enabled);
      EXPECT_FALSE(form->Button2.Enabled);
      form->Button23Click();  // "中止"
    }
  };
  form->Button23Click();
  EXPECT_EQ(captionDuringRun, "中止");
  EXPECT_EQ(pumped, 3);
  EXPECT_EQ(g.Cells(5, 1), "08:00'00\"");
  EXPECT_EQ(g.Cells(4, 1), "");
  EXPECT_EQ(g.Cells(6, 1), "");
  EXPECT_EQ(form->Button23.Caption, "再計算");
  EXPECT_FALSE(form->Button4.Enabled);
  EXPECT_TRUE(form->Button2.Enabled);
}

TEST_F(PointCommands, BadBoxesAndTimesEndTheRunBeforeItStarts) {
  PickBuilding();
  TStringGrid& g = form->StringGrid2;
  g.SetRowCount(2);
  g.SetCell(1, 1, "15000");
  g.SetCell(2, 1, "20000");
  g.SetCell(4, 1, "kept");
  struct Case {
    TEdit TForm1::*box;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {&TForm1::Edit6, "abc", "'abc' は有効な数値ではありません．"},
      {&TForm1::Edit2, "7.5", "時刻は8.0から16.0までの範囲で指定して下さい．"},
  };
  for (const Case& c : cases) {
    TEdit& box = (*form).*c.box;
    const std::string kept = box.Text;
    box.Text = c.text;
    shell.messages.clear();
    form->Button23Click();
    ASSERT_EQ(shell.messages.size(), 1u) << c.text;
    EXPECT_EQ(shell.messages[0].text, c.message);
    EXPECT_EQ(g.Cells(4, 1), "kept");
    EXPECT_FALSE(form->RunningFlag);
    EXPECT_EQ(form->Button23.Caption, "再計算");
    box.Text = kept;
  }
}

TEST(AnnotationText, LinesOfOneTwoAndThreeIntervals) {
  AnnotationRow one{"P1", "01:00'00\"", {"08:00'00\"", "09:00'00\"", "", "", "", ""}};
  EXPECT_EQ(AnnotationLineText(one), "P1 01:00'00\" [08:00'00\"-09:00'00\"] ");
  AnnotationRow two{"P2", "2", {"a", "b", "c", "d", "", ""}};
  EXPECT_EQ(AnnotationLineText(two), "P2 2 [a-b]  [c-d] ");
  AnnotationRow three{"P3", "3", {"a", "b", "c", "d", "e", "f"}};
  EXPECT_EQ(AnnotationLineText(three), "P3 3 [a-b]  [c-d]  [e-f] ");
  AnnotationRow none{"P4", "00:00'00\"", {}};
  EXPECT_EQ(AnnotationLineText(none), "P4 00:00'00\" [-] ");
  EXPECT_EQ(AnnotationClosingText("1.5", 0), "測定面の高さ= 1.5 メートル /評価時間= 10 秒");
  EXPECT_EQ(AnnotationClosingText("0.0", 2), "測定面の高さ= 0.0 メートル /評価時間= 60 秒");
  EXPECT_EQ(AnnotationClosingText("0.0", -1), "測定面の高さ= 0.0 メートル /評価時間= ");
}

TEST_F(PointCommands, AnnotationLeavesPlainTextsOnTheCurrentLayerAndOneUndoRemovesThem) {
  PickBuilding();
  cad.user.SelectLayer("marks");
  form->Button22Click();
  TStringGrid& g = form->StringGrid2;
  ASSERT_EQ(g.RowCount(), 4);
  g.SetCell(3, 2, "");  // a row without a name gets its number
  form->Edit38.Text = "300";
  form->Edit6.Text = "1.5";
  auto doc = cad.host.Application()->ActiveDocument();
  doc->SetVariable("CLAYER", std::string("注記"));
  const std::size_t before = cad.host.Document().modelSpace.size();
  cad.user.InsertionPoint({1000, 2000, 0});
  form->Button15Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  EXPECT_EQ(g.Cells(3, 2), "2");
  const auto& model = cad.host.Document().modelSpace;
  ASSERT_EQ(model.size(), before + 4);
  const double ys[] = {1400, 800, 200, 2000};
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& e = model[before + i].entity;
    const auto* text = std::get_if<dxf::Text>(&e.data);
    ASSERT_NE(text, nullptr) << i;
    EXPECT_EQ(e.common.layer, "注記");
    EXPECT_DOUBLE_EQ(text->position.x, 1000);
    EXPECT_DOUBLE_EQ(text->position.y, ys[i]);
    EXPECT_DOUBLE_EQ(text->height, 300);
    EXPECT_DOUBLE_EQ(text->widthFactor, 0.8);
  }
  const auto text = [&](std::size_t i) {
    return std::get<dxf::Text>(model[before + i].entity.data).text;
  };
  EXPECT_EQ(text(0).rfind("P1 ", 0), 0u);
  EXPECT_EQ(text(1).rfind("2 ", 0), 0u);
  EXPECT_EQ(text(3), "測定面の高さ= 1.5 メートル /評価時間= 60 秒");
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
  EXPECT_TRUE(cad.host.Undo());
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
}

TEST_F(PointCommands, AnnotationWithAHeightThatIsNoNumberTouchesNothing) {
  PickBuilding();
  TStringGrid& g = form->StringGrid2;
  g.SetRowCount(2);
  g.SetCell(1, 1, "15000");
  g.SetCell(2, 1, "20000");
  form->Edit38.Text = "high";
  const std::size_t before = cad.host.Document().modelSpace.size();
  form->Button15Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "'high' は有効な数値ではありません．");
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
}

// Button4: the points come from AutoCAD's ID command over its command line (a scripted
// AutoCAD on a fake desktop); the shadow times and the annotation go through the drawing host.
class CommandLinePoints : public PointCommands {
 protected:
  CommandLinePoints() { cad.commandLineWindows = &autocad.windows; }

  std::vector<std::string> Typed() const { return autocad.typed; }

  cad::testing::ScriptedAutoCad autocad;
};

TEST_F(CommandLinePoints, PicksUntilEscapeThenTimesAndAnnotates) {
  PickBuilding();
  form->Edit38.Text = "250";
  autocad.Pick({41000, 30000, 2500}).Pick({15000, 20000, 0}).Escape();
  cad.user.InsertionPoint({1000, 2000, 0});  // where the user places the annotation
  const std::size_t before = cad.host.Document().modelSpace.size();
  shell.calls.clear();
  form->Button4Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;

  // BLIPMODE on before the picks and off after; three ID commands, the last one escaped.
  const std::vector<std::string> typed = Typed();
  ASSERT_GE(typed.size(), 2u);
  EXPECT_EQ(typed.front(), "\003\003BLIPMODE 1 ");
  EXPECT_EQ(typed.back(), "\003\003BLIPMODE 0 ");
  EXPECT_EQ(autocad.idCommands, 3);
  EXPECT_EQ(autocad.blipmode, 0);
  // The form is minimised while the user picks, and restored before the analysis.
  const auto at = [&](const char* call) {
    return std::find(shell.calls.begin(), shell.calls.end(), call) - shell.calls.begin();
  };
  EXPECT_LT(at("Minimize"), at("ProcessMessages"));
  EXPECT_LT(at("ProcessMessages"), at("Restore"));

  // Sorted along x, labelled with their numbers; on the north wall, shadow all day.
  const TStringGrid& g = form->StringGrid2;
  ASSERT_EQ(g.RowCount(), 3);
  EXPECT_EQ(Cells(g, 1, 0, 4),
            (std::vector<std::string>{"1", "15000", "20000", "1", "08:00'00\""}));
  EXPECT_EQ(Cells(g, 2, 0, 3), (std::vector<std::string>{"2", "41000", "30000", "2"}));

  // The annotation: a line per point and the closing line, at the height typed.
  const auto& model = cad.host.Document().modelSpace;
  ASSERT_EQ(model.size(), before + 3);
  const auto& first = std::get<dxf::Text>(model[before].entity.data);
  EXPECT_EQ(first.text.rfind("1 08:00'00\"", 0), 0u) << first.text;
  EXPECT_DOUBLE_EQ(first.height, 250);
}

// The same points through the object model's ID path give the same grid, times included.
TEST_F(CommandLinePoints, AgreesWithTheObjectModelsIdPick) {
  PickBuilding();
  form->RadioGroup3.SetItemIndex(1);  // 30 s
  form->Edit6.Text = "1.5";
  const std::vector<TAcadPoint> points{{40000, 45000, 0}, {42000, 20000, 0}, {41000, 30000, 0}};
  for (const TAcadPoint& p : points) autocad.Pick(p);
  autocad.Escape();
  cad.user.Cancel();  // the annotation's placement
  form->Button4Click();
  const TStringGrid byCommandLine = form->StringGrid2;

  form->TargetProgID = "AutoCAD.Application.24";
  for (const TAcadPoint& p : points) cad.user.Point(p);
  cad.user.Cancel();
  form->Button21Click();
  const TStringGrid& byObjectModel = form->StringGrid2;
  ASSERT_EQ(byCommandLine.RowCount(), 4);
  ASSERT_EQ(byObjectModel.RowCount(), 4);
  for (int r = 1; r < 4; ++r) {
    // Button21 labels from nearby texts; the command-line pick keeps the numbers.
    for (int c : {0, 1, 2, 4, 5, 6, 7, 8, 9, 10}) {
      EXPECT_EQ(byCommandLine.Cells(c, r), byObjectModel.Cells(c, r)) << r << "," << c;
    }
    EXPECT_EQ(byCommandLine.Cells(3, r), std::to_string(r));
    EXPECT_FALSE(byCommandLine.Cells(4, r).empty()) << r;
  }
}

TEST_F(CommandLinePoints, EscapeAtTheFirstPromptLeavesTheGrid) {
  PickBuilding();
  form->StringGrid2.SetRowCount(2);
  form->StringGrid2.SetCell(1, 1, "5");
  autocad.Escape();
  shell.calls.clear();
  form->Button4Click();
  EXPECT_EQ(form->StringGrid2.RowCount(), 2);
  EXPECT_EQ(form->StringGrid2.Cells(1, 1), "5");
  EXPECT_EQ(form->StringGrid2.Cells(4, 1), "") << "no analysis without a new point";
  EXPECT_EQ(Typed().back(), "\003\003BLIPMODE 0 ");
  EXPECT_EQ(shell.CountCalls("Minimize"), 1);
  EXPECT_EQ(shell.CountCalls("Restore"), 1);
}

TEST_F(CommandLinePoints, NothingWithoutBuildingOrAutoCad) {
  form->Button4Click();  // no building
  EXPECT_TRUE(autocad.windows.sent.empty());
  PickBuilding();
  autocad.windows.Remove(autocad.main);
  shell.calls.clear();
  form->Button4Click();  // AutoCAD is not running
  EXPECT_TRUE(autocad.windows.sent.empty());
  EXPECT_EQ(shell.CountCalls("Minimize"), 0);
  EXPECT_TRUE(shell.messages.empty());
}

// Off Windows there are no AutoCAD windows to drive: the user is told so.
TEST_F(PointCommands, CommandLinePickWithoutADesktopSaysSo) {
  PickBuilding();
  shell.calls.clear();
  form->Button4Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Vorn2023");
  EXPECT_EQ(shell.messages[0].text, "この環境では AutoCAD のコマンドラインを操作できません．");
  EXPECT_EQ(shell.CountCalls("Minimize"), 0);
}

}  // namespace
}  // namespace vorn
