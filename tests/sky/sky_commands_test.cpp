// The sky pages as the user runs them: the form over the built-in drawing host with the sample
// site, measurement points in StringGrid1 as the point entry leaves them.
#include <gtest/gtest.h>

#include <string>

#include "app/form_fixture.h"
#include "app/number_box.h"
#include "cad/host/drawing_host.h"
#include "dxf/number_format.h"
#include "sky/sky_factor.h"
#include "sky/sky_projection.h"

namespace vorn {
namespace {

using testing::FormTest;

class SkyCommands : public FormTest {
 protected:
  void SetUp() override {
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf");
    form = StartForm();
  }

  void PickBuilding() {
    cad.user.SelectLayer("建物");
    form->Button2Click();
    ASSERT_FALSE(form->workspace.BuildingEdges.empty());
    shell.messages.clear();
  }

  void AddRow(int row, const std::string& x, const std::string& y, const std::string& name,
              const std::string& height) {
    TStringGrid& g = form->StringGrid1;
    if (g.RowCount() <= row) g.SetRowCount(row + 1);
    g.SetCell(0, row, std::to_string(row));
    g.SetCell(1, row, x);
    g.SetCell(2, row, y);
    g.SetCell(3, row, name);
    g.SetCell(4, row, height);
  }

  int Count(const std::string& type, const std::string& layer) const {
    int n = 0;
    for (const auto& e : cad.host.Document().modelSpace) {
      n += cad::host::DxfTypeOf(e.entity) == type && e.entity.common.layer == layer;
    }
    return n;
  }

  std::unique_ptr<TForm1> form;
};

TEST_F(SkyCommands, RecalculationFillsPlannedAndConformingForEveryRow) {
  PickBuilding();
  form->Edit15.Text = "300";  // type A larger: the calculation runs at the type A size
  form->Edit21.Text = "250";
  AddRow(1, "20000", "5000", "A1", "0");
  AddRow(2, "60000", "5000", "A3", "10:30");  // a time from another use of the grid
  AddRow(3, "80000", "5000", "A4", "1.5");
  form->Button13.Enabled = false;
  form->Button9Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  const TStringGrid& g = form->StringGrid1;
  EXPECT_EQ(g.ColCount(), 8);
  EXPECT_EQ(g.Cells(5, 0), " 計画");
  EXPECT_EQ(g.Cells(6, 0), " 適合");
  EXPECT_EQ(g.Cells(7, 0), " AREA");
  EXPECT_EQ(g.Cells(4, 2), "0");
  for (int r = 1; r <= 3; ++r) {
    const double planned = TextToDouble(g.Cells(5, r));
    const double conforming = TextToDouble(g.Cells(6, r));
    EXPECT_GT(planned, 50.0) << r;
    EXPECT_LE(planned, conforming) << r;
    EXPECT_LT(conforming, 100.0) << r;
    EXPECT_EQ(g.Cells(5, r), FormatFixed(planned, 3)) << r;
  }
  EXPECT_EQ(g.Row, 3);
  EXPECT_TRUE(form->Button13.Enabled);
  // The same point at the same radius directly through the computation.
  Workspace ws;
  ws.BuildingEdges = form->workspace.BuildingEdges;
  ASSERT_EQ(GetTenkuLine(ws, {{80000, 5000, 0}, 1500, 90, 300 * 200}), SkyLineResult::kTraced);
  double in = 0, out = 0;
  ASSERT_TRUE(GetTenkuRitu(ws, {300 * 200, 200}, in, out));
  EXPECT_EQ(g.Cells(5, 3), FormatFixed(in, 3));
  EXPECT_EQ(g.Cells(6, 3), FormatFixed(out, 3));
}

TEST_F(SkyCommands, RecalculationStopsAtARowWithoutCoordinates) {
  PickBuilding();
  AddRow(1, "40000", "5000", "A2", "0");
  AddRow(2, "", "5000", "x", "0");
  AddRow(3, "60000", "5000", "A3", "0");
  form->Button9Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "測定点データがありません．");
  EXPECT_FALSE(form->StringGrid1.Cells(5, 1).empty());
  EXPECT_TRUE(form->StringGrid1.Cells(5, 3).empty());
}

TEST_F(SkyCommands, APointSurroundedByTheBuildingsIsNamedInsteadOfCalculated) {
  PickBuilding();
  AddRow(1, "57000", "31000", "中庭", "0");  // between the L block and the tower
  AddRow(2, "40000", "5000", "A2", "0");
  form->Button9Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].text.find("測定点 中庭 "), std::string::npos);
  EXPECT_TRUE(form->StringGrid1.Cells(5, 1).empty());
  EXPECT_FALSE(form->StringGrid1.Cells(5, 2).empty());
}

TEST_F(SkyCommands, MessagesOfThePages) {
  form->Button9Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "建物データがありません．");
  EXPECT_TRUE(form->Button9.Enabled);
  shell.messages.clear();

  form->RadioGroup2.SetItemIndex(0);
  form->RadioGroup2Click();
  EXPECT_EQ(form->RadioGroup4.ItemIndex, 0);
  EXPECT_FALSE(form->CheckBox3.Enabled);
  form->Button8Click();
  form->Button13Click();
  form->Button24Click();
  ASSERT_EQ(shell.messages.size(), 3u);
  EXPECT_EQ(shell.messages[0].text,
            "[AREA]には対応していません．\n[計画建物]または[適合建物]にチェックを付けて下さい．");
  EXPECT_EQ(shell.messages[1].text,
            "[AREA]には対応していません．\n[計画]または[適合]にチェックを付けて下さい．");
  EXPECT_EQ(shell.messages[2].text, shell.messages[1].text);
  shell.messages.clear();

  form->RadioGroup4.SetItemIndex(2);
  form->RadioGroup4Click();
  EXPECT_EQ(form->RadioGroup2.ItemIndex, 2);
  PickBuilding();
  form->StringGrid1.Row = 0;
  form->Button14Click();
  form->StringGrid1.Row = 1;
  form->Button14Click();
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(shell.messages[0].text, "測定点データが選択されていません．");
  EXPECT_EQ(shell.messages[1].text, "測定点データがありません．");
}

TEST_F(SkyCommands, DrawingAllRowsPutsTheDiagramsAtTheBatchPitch) {
  PickBuilding();
  AddRow(1, "20000", "5000", "A1", "0");
  AddRow(2, "40000", "5000", "A2", "1.0");
  form->Edit40.Text = "75";  // type B pitch on paper, scale 200: 15000 apart
  form->RadioGroup4.SetItemIndex(1);
  form->RadioGroup4Click();
  cad.user.Point({100000, 0, 0});
  form->Button24Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  int circles = 0;
  for (const auto& e : cad.host.Document().modelSpace) {
    if (cad::host::DxfTypeOf(e.entity) != "CIRCLE" || e.entity.common.layer != "VORN_TENKU") continue;
    ++circles;
  }
  EXPECT_EQ(circles, 2);
  EXPECT_EQ(form->IDPOINT2.x, 100000 + 2 * 15000);
  // Batch drawings have hatch and the text block but no marks, triangles or tables.
  EXPECT_GT(Count("LINE", "VORN_THATCH"), 0);
  EXPECT_EQ(Count("CIRCLE", "VORN_TSANSYA"), 0);
  EXPECT_EQ(Count("TEXT", "VORN_TTATEITI"), 0);
  EXPECT_EQ(Count("TEXT", "VORN_TENKU"), 2 * (4 + 6));
}

TEST_F(SkyCommands, DimscaleGivesTheDrawingScale) {
  const auto document = cad.host.GetActiveObject(form->TargetProgID)->ActiveDocument();
  document->SetVariable("DIMSCALE", 150.0);
  form->SpeedButton8Click();
  EXPECT_EQ(form->Edit19.Text, "150.00");
  document->SetVariable("DIMSCALE", 0.0);  // not above 0.01: the box stays
  form->SpeedButton8Click();
  EXPECT_EQ(form->Edit19.Text, "150.00");
}

}  // namespace
}  // namespace vorn
