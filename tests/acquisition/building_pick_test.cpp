#include "acquisition/building_pick.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "geometry/point_ops.h"

namespace vorn {
namespace {

class NoWaitClock final : public cad::CadClock {
 public:
  void Sleep(int milliseconds) override { now += milliseconds; }
  int64_t NowMilliseconds() override { return now; }
  int64_t now = 0;
};

class RecordedMessages final : public cad::UserMessages {
 public:
  void ShowMessage(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

class RecordedWindow final : public cad::MainWindowState {
 public:
  void Minimize() override { calls += "min "; }
  void Restore() override { calls += "restore "; }
  std::string calls;
};

// The pick drawing open in the drawing host; each case lives on its own layer.
class BuildingPick : public ::testing::Test {
 protected:
  BuildingPick() : host(user, files) {
    host.Open(std::string(VORN_SOURCE_DIR) + "/tests/acquisition/fixtures/pick_cases.dxf");
    document = host.Application()->ActiveDocument();
  }

  PickResult Pick(const std::string& layer) {
    user.SelectLayer(layer);
    auto selection = cad::GetOrCreateSelectionSet(*document, cad::kVornSelectionSet);
    return PickBuilding(*document, *selection, ws, link, window);
  }

  cad::host::ScriptedInteraction user;
  cad::host::DxfDrawingFiles files;
  cad::host::DrawingHost host;
  cad::CadDocumentPtr document;
  NoWaitClock clock;
  RecordedMessages messages;
  RecordedWindow window;
  cad::CadLink link{"AutoCAD.Application", host.Windows(), clock, messages};
  Workspace ws;
};

struct PickCase {
  const char* layer;
  std::size_t edges;
  double gbzmax;
};

TEST_F(BuildingPick, EveryEntityKindBecomesItsEdges) {
  const PickCase cases[] = {
      {"thick_line", 4, 5},  {"thick_rect", 16, 10},  {"quarter_arc", 10, 0},
      {"circle", 36, 0},     {"poly3d", 2, 8},        {"texts_blocks", 0, 0},
      {"bulge_poly", 20, 3}, {"half_ellipse", 18, 0}, {"ellipse_through_zero", 18, 0},
      {"poly2d", 12, 6},
  };
  for (const PickCase& c : cases) {
    const PickResult result = Pick(c.layer);
    EXPECT_TRUE(result.accepted) << c.layer;
    EXPECT_EQ(ws.BuildingEdges.size(), c.edges) << c.layer;
    EXPECT_DOUBLE_EQ(result.copy.gbzmax, c.gbzmax) << c.layer;
    for (const TLineEnt& e : ws.BuildingEdges) {
      EXPECT_EQ(e.atumi, 0.0) << c.layer;
      EXPECT_EQ(e.id, 0) << c.layer;
    }
    // The entity lists are emptied once their lines are made.
    EXPECT_TRUE(ws.AryArc.empty() && ws.AryCircle.empty() && ws.AryEllipse.empty() &&
                ws.AryLwp.empty())
        << c.layer;
  }
}

TEST_F(BuildingPick, ThickLineGivesBottomTopAndTwoVerticals) {
  Pick("thick_line");
  ASSERT_EQ(ws.BuildingEdges.size(), 4u);
  const LineList& e = ws.BuildingEdges;
  EXPECT_EQ(e[0].st, (TAcadPoint{0, 0, 0}));
  EXPECT_EQ(e[0].ed, (TAcadPoint{10, 0, 0}));
  EXPECT_EQ(e[1].st, (TAcadPoint{0, 0, 5}));
  EXPECT_EQ(e[1].ed, (TAcadPoint{10, 0, 5}));
  EXPECT_EQ(e[2].st, (TAcadPoint{0, 0, 0}));
  EXPECT_EQ(e[2].ed, (TAcadPoint{0, 0, 5}));
  EXPECT_EQ(e[3].st, (TAcadPoint{10, 0, 0}));
  EXPECT_EQ(e[3].ed, (TAcadPoint{10, 0, 5}));
}

TEST_F(BuildingPick, QuarterArcEndsWithAZeroLengthChordAtNinetyDegrees) {
  Pick("quarter_arc");
  ASSERT_EQ(ws.BuildingEdges.size(), 10u);
  const TLineEnt& ninth = ws.BuildingEdges[8];
  EXPECT_NEAR(ninth.ed.x, 0, 1e-9);
  EXPECT_NEAR(ninth.ed.y, 10, 1e-9);
  EXPECT_NEAR(PointDist(ws.BuildingEdges[9].st, ws.BuildingEdges[9].ed), 0, 1e-9);
}

TEST_F(BuildingPick, CircleIsAClosedPolygonThroughTheVertexAtAngleZero) {
  Pick("circle");
  ASSERT_EQ(ws.BuildingEdges.size(), 36u);
  EXPECT_NEAR(ws.BuildingEdges.front().st.x, 7, 1e-12);
  EXPECT_NEAR(ws.BuildingEdges.front().st.y, 5, 1e-12);
  EXPECT_EQ(ws.BuildingEdges.back().ed, ws.BuildingEdges.front().st);
  for (std::size_t i = 0; i + 1 < ws.BuildingEdges.size(); ++i) {
    EXPECT_EQ(ws.BuildingEdges[i].ed, ws.BuildingEdges[i + 1].st);
  }
}

TEST_F(BuildingPick, ThreeDimensionalPolylineKeepsEachVertexHeight) {
  Pick("poly3d");
  ASSERT_EQ(ws.BuildingEdges.size(), 2u);
  EXPECT_EQ(ws.BuildingEdges[0].ed, (TAcadPoint{10, 0, 5}));
  EXPECT_EQ(ws.BuildingEdges[1].ed, (TAcadPoint{10, 10, 8}));
}

TEST_F(BuildingPick, PromptsAndWindowAroundTheSelection) {
  Pick("thick_rect");
  EXPECT_EQ(window.calls, "min restore ");
  EXPECT_NE(host.PromptLog().find("建物図形を選択して下さい.\r\n"), std::string::npos);
  EXPECT_NE(host.PromptLog().find("図形が選択されました.\r\n"), std::string::npos);
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(BuildingPick, NegativeCoordinatesAreFlaggedButAccepted) {
  const PickResult result = Pick("negative");
  EXPECT_TRUE(result.accepted);
  EXPECT_TRUE(result.copy.negativeCoordinate);
  EXPECT_EQ(ws.BuildingEdges.size(), 1u);
  EXPECT_FALSE(Pick("thick_rect").copy.negativeCoordinate);
}

TEST_F(BuildingPick, CancelledOrEmptySelectionKeepsThePreviousBuilding) {
  Pick("thick_rect");
  ASSERT_EQ(ws.BuildingEdges.size(), 16u);
  user.Cancel();
  auto selection = cad::GetOrCreateSelectionSet(*document, cad::kVornSelectionSet);
  const PickResult cancelled = PickBuilding(*document, *selection, ws, link, window);
  EXPECT_FALSE(cancelled.accepted);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kSelectionFailed});
  EXPECT_NE(host.PromptLog().find("何も選択されませんでした.\r\n"), std::string::npos);
  EXPECT_EQ(ws.BuildingEdges.size(), 16u);
  EXPECT_FALSE(Pick("no such layer").accepted);
  EXPECT_EQ(ws.BuildingEdges.size(), 16u);
}

}  // namespace
}  // namespace vorn
