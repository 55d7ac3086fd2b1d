// The sky pages as the user runs them: the form over the built-in drawing host with the sample
// site, measurement points in StringGrid1 as the point entry leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app/form_fixture.h"
#include "app/number_box.h"
#include "cad/host/drawing_host.h"
#include "dxf/dxf_drawing.h"
#include "dxf/number_format.h"
#include "geometry/point_ops.h"
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
    if (cad::host::DxfTypeOf(e.entity) != "CIRCLE" || e.entity.common.layer != "VORN_TENKU")
      continue;
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

// The entities of one kind on a layer.
template <class T>
std::vector<std::pair<T, dxf::EntityCommon>> On(const cad::host::DrawingHost& host,
                                                const std::string& layer) {
  std::vector<std::pair<T, dxf::EntityCommon>> out;
  for (const auto& e : host.Document().modelSpace) {
    if (e.entity.common.layer != layer) continue;
    if (const T* data = std::get_if<T>(&e.entity.data)) out.emplace_back(*data, e.entity.common);
  }
  return out;
}

bool Dashed(const dxf::EntityCommon& c) {
  return c.lineType == std::optional<std::string>("HIDDEN2");
}

// Scale lines every ι degrees and elevation circles R·sin(k·ι) for k up to trunc(89/ι) − 1,
// continuous every third one and dashed otherwise; each type with its own interval.
TEST_F(SkyCommands, ScaleLinesAndCirclesAreDashedExceptEveryThird) {
  PickBuilding();
  AddRow(1, "40000", "5000", "A2", "0");
  form->StringGrid1.Row = 1;
  form->Edit13.Text = "10";  // type A
  form->Edit15.Text = "30";
  form->Edit24.Text = "30";  // type B
  for (TCheckBox* box : {&form->CheckBox3, &form->CheckBox5, &form->CheckBox6, &form->CheckBox7}) {
    box->Checked = false;
  }
  form->RadioGroup4.SetItemIndex(1);
  form->RadioGroup4Click();
  cad.user.InsertionPoint({200000, 0, 0});
  form->Button13Click();
  cad.user.InsertionPoint({500000, 0, 0});
  form->Button14Click();
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  const struct {
    double x, radius, interval;
    int lines, circles;
  } diagrams[] = {{200000, 30 * 200, 10, 36, 7}, {500000, 100 * 200, 30, 12, 1}};
  const auto lines = On<dxf::Line>(cad.host, "VORN_TMEMORI");
  const auto circles = On<dxf::Circle>(cad.host, "VORN_TMEMORI");
  for (const auto& d : diagrams) {
    int lineCount = 0;
    for (const auto& [line, common] : lines) {
      if (std::fabs(line.start.x - d.x) > 1e-6) continue;
      ++lineCount;
      const double degrees = std::atan2(line.end.y, line.end.x - d.x) * 180 / kPi;
      const long k = std::lround((degrees < -1e-9 ? degrees + 360 : degrees) / d.interval);
      EXPECT_NEAR(PointDist(line.start, line.end), d.radius, 1e-6);
      EXPECT_EQ(Dashed(common), k % 3 != 0) << degrees << "° of the diagram at " << d.x;
    }
    EXPECT_EQ(lineCount, d.lines) << d.x;
    std::vector<std::pair<double, bool>> rings;
    for (const auto& [circle, common] : circles) {
      if (std::fabs(circle.centre.x - d.x) < 1e-6)
        rings.emplace_back(circle.radius, Dashed(common));
    }
    std::sort(rings.begin(), rings.end());
    ASSERT_EQ(static_cast<int>(rings.size()), d.circles) << d.x;
    for (int k = 1; k <= d.circles; ++k) {
      EXPECT_NEAR(rings[k - 1].first, d.radius * std::sin(k * d.interval * kPi / 180), 1e-6);
      EXPECT_EQ(rings[k - 1].second, k % 3 != 0) << "circle " << k << " at " << d.x;
    }
  }
}

// Distance from p to the nearest segment of the drawing's polylines on the layer, and to the
// nearest vertex.
struct Nearest {
  double segment = 1e300, vertex = 1e300;
};
Nearest NearestOnPolylines(const cad::host::DrawingHost& host, const std::string& layer,
                           const TAcadPoint& p) {
  Nearest n;
  for (const auto& [poly, common] : On<dxf::Polyline>(host, layer)) {
    for (std::size_t i = 0; i < poly.vertices.size(); ++i) {
      const TAcadPoint a = poly.vertices[i].point;
      n.vertex = std::min(n.vertex, PointDist(a, p));
      if (i + 1 == poly.vertices.size()) break;
      const TAcadPoint b = poly.vertices[i + 1].point;
      const double ex = b.x - a.x, ey = b.y - a.y;
      const double len2 = ex * ex + ey * ey;
      double t = len2 > 0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / len2 : 0.0;
      t = std::clamp(t, 0.0, 1.0);
      n.segment = std::min(n.segment, PointDist({a.x + t * ex, a.y + t * ey, 0}, p));
    }
  }
  return n;
}

// A diagram inserted turned by ρ = N − 90 (true north 60: −30°): the hatch, the corner marks and
// the triangles, drawn in the diagram's own frame, are turned with it, so they stay on the
// drawn outline; the same without the turn.
TEST_F(SkyCommands, HatchMarksAndTrianglesTurnWithTheDiagram) {
  PickBuilding();
  AddRow(1, "40000", "5000", "A2", "0");
  form->Edit12.Text = "60";
  form->Edit25.Text = "5";  // type B hatch every 5°
  form->RadioGroup4.SetItemIndex(2);
  form->RadioGroup4Click();
  const double r = 100 * 200;
  for (const bool turned : {true, false}) {
    SCOPED_TRACE(turned ? "turned" : "north up");
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf");
    form->CheckBox10.Checked = turned;
    form->StringGrid1.Row = 1;
    const TAcadPoint centre{300000, 100000, 0};
    cad.user.InsertionPoint(centre)
        .InsertionPoint({400000, 100000, 0})
        .InsertionPoint({400000, 0, 0});
    form->Button14Click();
    ASSERT_TRUE(shell.messages.empty()) << shell.messages[0].text;
    EXPECT_EQ(cad.user.Pending(), 0u);
    // The north letter stands turned by ρ about the centre.
    const double rho = turned ? -30.0 : 0.0;
    bool north = false;
    for (const auto& [text, common] : On<dxf::Text>(cad.host, "VORN_TENKU")) {
      if (text.text != "N") continue;
      north = true;
      const TAcadPoint expected = PolarPoint(centre, kPi / 2 + rho * kPi / 180, r + 10 * 200);
      EXPECT_NEAR(PointDist(text.alignment, expected), 0.0, 1e-6);
    }
    EXPECT_TRUE(north);
    const auto hatch = On<dxf::Line>(cad.host, "VORN_THATCH");
    ASSERT_GT(hatch.size(), 5u);
    for (const auto& [line, common] : hatch) {
      EXPECT_LT(NearestOnPolylines(cad.host, "VORN_TENKU", line.start).segment, 0.01);
      EXPECT_NEAR(PointDist(line.end, centre), r, 1e-6);
    }
    const auto marks = On<dxf::Circle>(cad.host, "VORN_TTATEITI");
    ASSERT_FALSE(marks.empty());
    for (const auto& [mark, common] : marks) {
      EXPECT_LT(NearestOnPolylines(cad.host, "VORN_TENKU", mark.centre).vertex, 0.01);
    }
    int fromCentre = 0;
    for (const auto& [line, common] : On<dxf::Line>(cad.host, "VORN_TSANSYA")) {
      if (PointDist(line.start, centre) > 1e-3) continue;
      ++fromCentre;
      // The conforming triangles' chords are moved out to touch the outline: their ends lie a
      // little beyond it, far less than a wrong turn would put them.
      EXPECT_LT(NearestOnPolylines(cad.host, "VORN_TENKU", line.end).segment, r * 0.01);
    }
    EXPECT_GT(fromCentre, 0);
  }
}

// Cancelling: the point pick draws for the previous point, the diagram's placement ends the run
// with nothing further, the area table's placement still lets the position table follow.
TEST_F(SkyCommands, CancelledPicksAndPlacements) {
  PickBuilding();
  form->RadioGroup2.SetItemIndex(1);
  form->RadioGroup2Click();
  const auto count = [&] { return cad.host.Document().modelSpace.size(); };
  const auto skyTexts = [&] {
    std::vector<std::string> out;
    for (const auto& [text, common] : On<dxf::Text>(cad.host, "VORN_TENKU")) {
      if (text.text.rfind("天空率 = ", 0) == 0) out.push_back(text.text);
    }
    return out;
  };
  cad.user.Point({40000, 5000, 0})
      .InsertionPoint({200000, 0, 0})
      .InsertionPoint({260000, 0, 0})
      .InsertionPoint({260000, -60000, 0});
  form->Button11Click();
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  ASSERT_EQ(skyTexts().size(), 1u);
  ASSERT_EQ(cad.user.Pending(), 0u);

  cad.user.Cancel().InsertionPoint({400000, 0, 0}).Cancel().InsertionPoint({460000, -60000, 0});
  form->Button11Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  EXPECT_EQ(cad.user.Pending(), 0u);
  const std::vector<std::string> texts = skyTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], texts[1]);  // the same point again
  const auto titles = [&](const std::string& layer, const std::string& title) {
    int n = 0;
    for (const auto& [text, common] : On<dxf::Text>(cad.host, layer)) n += text.text == title;
    return n;
  };
  EXPECT_EQ(titles("VORN_TSANSYA", "三斜面積合計"), 1);     // the first run's only
  EXPECT_EQ(titles("VORN_TTATEITI", "建物位置確認表"), 2);  // both runs'
  EXPECT_TRUE(form->workspace.AryTateiti.empty());

  const std::size_t before = count();
  cad.user.Point({60000, 5000, 0}).Cancel();
  form->Button11Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  EXPECT_EQ(count(), before);
  EXPECT_EQ(cad.user.Pending(), 0u);
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
