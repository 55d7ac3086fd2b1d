// The deemed boundary lines: the offset of a traced outline, and the command over the drawing
// host (the geometry against shapely's buffer is checked end to end in tests/cli).
#include "shadows/deemed_boundary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/form_fixture.h"
#include "geometry/point_ops.h"

namespace vorn {
namespace {

using testing::FormTest;

const double kQuarterBulge = std::tan(kPi / 8);

// A counter-clockwise outline through the points.
LineList Outline(const std::vector<TAcadPoint>& points) {
  LineList outline;
  for (std::size_t i = 0; i < points.size(); ++i) {
    TLineEnt s;
    s.st = points[i];
    s.ed = points[(i + 1) % points.size()];
    outline.push_back(s);
  }
  return outline;
}

int CountBulges(const std::vector<DxfVertex>& vertices) {
  int n = 0;
  for (const DxfVertex& v : vertices) n += v.bulge ? 1 : 0;
  return n;
}

TEST(OffsetOutline, RectangleGetsFourQuarterArcsAboutItsCorners) {
  const LineList outline = Outline({{0, 0}, {30000, 0}, {30000, 20000}, {0, 20000}});
  std::vector<TArcEnt> arcs;
  LineList offsets;
  const auto vertices = OffsetOutline(outline, 5000, arcs, offsets);
  ASSERT_EQ(vertices.size(), 8u);
  ASSERT_EQ(arcs.size(), 4u);
  // The list starts at the end of the first offset segment: below the lower-right corner.
  EXPECT_NEAR(vertices[0].x, 30000, 1e-9);
  EXPECT_NEAR(vertices[0].y, -5000, 1e-9);
  EXPECT_NEAR(vertices[1].x, 35000, 1e-9);
  EXPECT_NEAR(vertices[1].y, 0, 1e-9);
  for (std::size_t i = 0; i < vertices.size(); i += 2) {
    ASSERT_TRUE(vertices[i].bulge);
    EXPECT_NEAR(*vertices[i].bulge, kQuarterBulge, 1e-12);
    EXPECT_FALSE(vertices[i + 1].bulge);
  }
  EXPECT_EQ(arcs[0].center, (TAcadPoint{30000, 0}));
  EXPECT_EQ(arcs[0].hankei, 5000);
  EXPECT_NEAR(arcs[0].stdeg, 270, 1e-9);
  EXPECT_NEAR(arcs[0].eddeg, 0, 1e-9);
  EXPECT_EQ(offsets.size(), 5u);  // with the copy of the first at the end
  EXPECT_EQ(offsets[0].id, 1);
}

TEST(OffsetOutline, InwardCornerOfAnLIsClippedSharp) {
  const LineList outline =
      Outline({{0, 0}, {40000, 0}, {40000, 15000}, {20000, 15000}, {20000, 35000}, {0, 35000}});
  std::vector<TArcEnt> arcs;
  LineList offsets;
  const auto vertices = OffsetOutline(outline, 10000, arcs, offsets);
  EXPECT_EQ(arcs.size(), 5u);
  EXPECT_EQ(CountBulges(vertices), 5);
  ASSERT_EQ(vertices.size(), 11u);
  // The inward corner at (20000, 15000) becomes the crossing of the two offset sides.
  int sharp = 0;
  for (const DxfVertex& v : vertices) {
    if (std::fabs(v.x - 30000) < 1e-9 && std::fabs(v.y - 25000) < 1e-9) {
      EXPECT_FALSE(v.bulge);
      ++sharp;
    }
  }
  EXPECT_EQ(sharp, 1);
}

TEST(OffsetOutline, CornerWithinTheAngleToleranceIsStraightWhicheverWayItTurns) {
  for (const double tilt : {1e-9, -1e-9, 0.0, 4e-6, -4e-6}) {
    // The bottom side in two pieces whose courses differ by `tilt`.
    const LineList outline =
        Outline({{0, 0}, {15000, 0}, {30000, 15000 * std::tan(tilt)}, {30000, 20000}, {0, 20000}});
    std::vector<TArcEnt> arcs;
    LineList offsets;
    const auto vertices = OffsetOutline(outline, 5000, arcs, offsets);
    EXPECT_EQ(arcs.size(), 4u) << tilt;
    EXPECT_EQ(vertices.size(), 9u) << tilt;
    for (const DxfVertex& v : vertices) {
      if (v.bulge) {
        EXPECT_NEAR(*v.bulge, kQuarterBulge, 1e-4) << tilt;
      }
    }
  }
}

TEST(MakeKyoukaisen, TooFewSegmentsDrawNothing) {
  Workspace ws;
  ws.AryLine = Outline({{0, 0}, {10, 0}});
  DxfDocument doc;
  EXPECT_EQ(MakeKyoukaisen(ws, doc), BoundaryResult::kTooFewSegments);
  EXPECT_TRUE(doc.Items().empty());
}

class BoundaryCommand : public FormTest {
 protected:
  void SetUp() override {
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/tests/shadows/fixtures/boundary_cases.dxf");
    form = StartForm();
    before = cad.host.Document().modelSpace.size();
  }

  std::vector<const cad::host::HostEntity*> NewPolylines() const {
    std::vector<const cad::host::HostEntity*> found;
    const auto& ms = cad.host.Document().modelSpace;
    for (std::size_t i = before; i < ms.size(); ++i) {
      if (cad::host::DxfTypeOf(ms[i].entity) == "POLYLINE") found.push_back(&ms[i]);
    }
    return found;
  }

  std::unique_ptr<TForm1> form;
  std::size_t before = 0;
};

TEST_F(BoundaryCommand, RectangularSiteGetsTwoRoundedLinesOnLayerZeroInOneUndo) {
  cad.user.SelectLayer("rect");
  form->Button20Click();
  const auto lines = NewPolylines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before + 2);
  for (const auto* line : lines) EXPECT_EQ(line->entity.common.layer, "0");
  EXPECT_NE(cad.host.PromptLog().find(kPromptSelectSite), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(exeFolder() / "VORN_1.dxf"));
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
  const std::string text = testing::ReadFile(exeFolder() / "VORN_1.dxf");
  EXPECT_EQ(text.find("TABLES"), std::string::npos);
  EXPECT_NE(text.find(" 42\r\n0.414213562373095\r\n"), std::string::npos);
  EXPECT_TRUE(shell.messages.empty());

  EXPECT_TRUE(cad.host.Undo());
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
}

TEST_F(BoundaryCommand, OutlineThatCannotBeTracedIsReportedOnTheCommandLine) {
  cad.user.SelectLayer("open");
  form->Button20Click();
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_NE(cad.host.PromptLog().find(kPromptBoundaryFailed), std::string::npos);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(BoundaryCommand, NothingSelectedOrTwoLinesDrawNothingSilently) {
  cad.user.Cancel();
  form->Button20Click();
  cad.user.SelectLayer("two");
  form->Button20Click();
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_EQ(cad.host.PromptLog().find(kPromptBoundaryFailed), std::string::npos);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(exeFolder() / "VORN_1.dxf"));
}

TEST_F(BoundaryCommand, LinesToSegmentsButtonDoesNothing) {
  form->Button19Click();
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_TRUE(cad.host.PromptLog().empty());
}

}  // namespace
}  // namespace vorn
