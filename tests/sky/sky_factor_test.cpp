// The triangle method: corners, ordering, the fan, both kinds of triangle, the rounding chain,
// and the sky factor of box buildings against the exact value computed in the test.
#include "sky/sky_factor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "geometry/point_ops.h"
#include "sky/sky_drawing.h"
#include "sky/sky_fixtures.h"
#include "sky/sky_projection.h"

namespace vorn {
namespace {

using testing::Box;
using testing::BoxEdges;
using testing::ExactSkyFactor;
using testing::Plan;
using testing::Prism;

const TAcadPoint kO{};

TLineEnt Seg(TAcadPoint a, TAcadPoint b) {
  TLineEnt s;
  s.st = a;
  s.ed = b;
  return s;
}

// The outline of a region covered from the horizon up to a chord: two corners at r on the rays
// at a1 and a2 (a1 < a2), radial edges, the arc along the circle, traced counter-clockwise.
LineList ChordOutline(double a1, double a2, double r, double radius, bool bulge = false) {
  LineList out;
  const TAcadPoint c1 = PolarPoint(kO, a1, r);
  const TAcadPoint c2 = PolarPoint(kO, a2, r);
  const TAcadPoint d1 = PolarPoint(kO, a1, radius);
  const TAcadPoint d2 = PolarPoint(kO, a2, radius);
  out.push_back(Seg(c1, d1));
  // Arc points every 0.25° or closer, as the projection makes them.
  const int n = static_cast<int>((a2 - a1) / (kPi / 720)) + 1;
  TAcadPoint prev = d1;
  for (int k = 1; k <= n; ++k) {
    const TAcadPoint a = PolarPoint(kO, a1 + (a2 - a1) * k / n, radius);
    out.push_back(Seg(prev, a));
    prev = a;
  }
  out.push_back(Seg(d2, c2));
  if (!bulge) {
    out.push_back(Seg(c2, c1));
    return out;
  }
  // The top bulges outwards between the corners, in small steps (no corners on the way).
  prev = c2;
  const int steps = 40;
  for (int k = 1; k <= steps; ++k) {
    const double a = a2 + (a1 - a2) * k / steps;
    const double t = static_cast<double>(k) / steps;
    const TAcadPoint p = PolarPoint(kO, a, r * (1 + 0.02 * 4 * t * (1 - t)));
    out.push_back(Seg(prev, k == steps ? c1 : p));
    prev = p;
  }
  return out;
}

TEST(SkyFactor, PrintedRounding) {
  EXPECT_EQ(RoundPrinted(1.23456789, 5), 1.23457);
  EXPECT_EQ(RoundPrinted(2.5e-4, 3), 0.0);  // as printf rounds the binary value
  EXPECT_EQ(RoundPrinted(-1.0005, 3), -1.0);
}

TEST(SkyFactor, CornersAreBendsInsideTheCircle) {
  const LineList outline = ChordOutline(0.3, 0.9, 500, 1000);
  const std::vector<TAcadPoint> corners = FindSkyCorners(outline, 1000, false);
  ASSERT_EQ(corners.size(), 2u);
  EXPECT_NEAR(PointDist(kO, corners[0]), 500, 1e-9);
  EXPECT_NEAR(PointDist(kO, corners[1]), 500, 1e-9);
}

TEST(SkyFactor, AnOutlineHuggingTheHorizonHasNoCorner) {
  LineList outline = ChordOutline(0.3, 0.9, 1000 - 1e-3, 1000);
  EXPECT_TRUE(FindSkyCorners(outline, 1000, false).empty());
  EXPECT_FALSE(ComputeSkyFactor(outline, {1000, 10}, SkyVariant::kInscribed).has_value());
  Workspace ws;
  ws.AryLine = outline;
  double in = -1, out = -1;
  EXPECT_FALSE(GetTenkuRitu(ws, {1000, 10}, in, out));
  EXPECT_EQ(in, -1);
  EXPECT_TRUE(ws.AryLine.empty());
}

struct FanCase {
  double degrees;
  std::size_t fanPoints;  // two corners and m − 1 ray crossings
};

class FanDivision : public ::testing::TestWithParam<FanCase> {};

TEST_P(FanDivision, EveryPartIsUnderTenDegrees) {
  const double a = GetParam().degrees * kPi / 180;
  const LineList outline = ChordOutline(1.0, 1.0 + a, 500, 1000);
  const auto r = ComputeSkyFactor(outline, {1000, 10}, SkyVariant::kInscribed);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->fan.size(), GetParam().fanPoints);
  for (std::size_t i = 1; i + 1 < r->fan.size(); ++i) {
    // The ray crossings lie on the chord between the corners.
    EXPECT_LT(PointDist(kO, r->fan[i]), 500);
  }
}

INSTANTIATE_TEST_SUITE_P(Angles, FanDivision,
                         ::testing::Values(FanCase{25, 4}, FanCase{10.0001, 3}, FanCase{9.9, 2}));

TEST(SkyFactor, AStraightChordGivesTheSameTrianglesInBothVariants) {
  const LineList outline = ChordOutline(1.0, 1.5, 500, 1000);
  const auto in = ComputeSkyFactor(outline, {1000, 10}, SkyVariant::kInscribed);
  const auto out = ComputeSkyFactor(outline, {1000, 10}, SkyVariant::kCircumscribed);
  ASSERT_TRUE(in && out);
  ASSERT_EQ(in->triangles.size(), out->triangles.size());
  for (std::size_t i = 0; i < in->triangles.size(); ++i) {
    EXPECT_EQ(in->triangles[i].record.menseki, out->triangles[i].record.menseki);
  }
  EXPECT_EQ(in->factor, out->factor);
}

TEST(SkyFactor, AnOutwardBulgeMakesTheCircumscribedTrianglesLarger) {
  const LineList outline = ChordOutline(1.0, 1.15, 500, 1000, true);
  const auto in = ComputeSkyFactor(outline, {1000, 10}, SkyVariant::kInscribed);
  const auto out = ComputeSkyFactor(outline, {1000, 10}, SkyVariant::kCircumscribed);
  ASSERT_TRUE(in && out);
  EXPECT_GT(out->sigma, in->sigma);
  EXPECT_GT(out->factor, in->factor);
}

TEST(SkyFactor, TheRoundingChainAddsUp) {
  const LineList outline = ChordOutline(0.7, 1.9, 430, 1000, true);
  const auto r = ComputeSkyFactor(outline, {1000, 7}, SkyVariant::kCircumscribed);
  ASSERT_TRUE(r.has_value());
  double sum = 0;
  for (const FanTriangle& t : r->triangles) {
    const double base = RoundPrinted(t.record.teihen / 7, 5);
    const double half = RoundPrinted(t.record.takasa / 7 * 0.5, 5);
    EXPECT_EQ(t.record.menseki, RoundPrinted(base * half, 3));
    sum += t.record.menseki;
  }
  EXPECT_EQ(r->sigma, sum);
  EXPECT_EQ(r->theta, RoundPrinted(1.2 * 180 / kPi, 3));
  EXPECT_EQ(r->S, RoundPrinted(std::pow(1000.0 / 7, 2) * kPi, 3));
  EXPECT_EQ(r->Ap, RoundPrinted(r->Z - r->sigma, 3));
  EXPECT_DOUBLE_EQ(r->factor, (r->S - r->Ap) / r->S * 100);
}

// Box buildings around the point: the triangle method brackets the exact sky factor.
struct OracleCase {
  const char* name;
  std::vector<Box> boxes;          // what the exact value sees
  std::vector<LineList> building;  // what the program sees (empty: the boxes themselves)
  TAcadPoint point;
  double plane;
};

class SkyOracle : public ::testing::TestWithParam<OracleCase> {};

TEST_P(SkyOracle, PlannedAndConformingBracketTheExactSkyFactor) {
  const OracleCase& c = GetParam();
  Workspace ws;
  if (c.building.empty()) {
    for (const Box& b : c.boxes) {
      const LineList e = BoxEdges(b);
      ws.BuildingEdges.insert(ws.BuildingEdges.end(), e.begin(), e.end());
    }
  }
  for (const LineList& part : c.building) {
    ws.BuildingEdges.insert(ws.BuildingEdges.end(), part.begin(), part.end());
  }
  const double scale = 200, radius = 100 * scale;
  SkyProjectionParameters p{c.point, c.plane, 90, radius};
  ASSERT_EQ(GetTenkuLine(ws, p), SkyLineResult::kTraced);
  const LineList outline = ws.AryLine;
  double planned = 0, conforming = 0;
  ASSERT_TRUE(GetTenkuRitu(ws, {radius, scale}, planned, conforming));
  // The recalculation lays the fan out once for both variants: the same as each on its own.
  EXPECT_EQ(planned, ComputeSkyFactor(outline, {radius, scale}, SkyVariant::kInscribed)->factor);
  EXPECT_EQ(conforming,
            ComputeSkyFactor(outline, {radius, scale}, SkyVariant::kCircumscribed)->factor);
  const double exact = ExactSkyFactor(c.boxes, c.point.x, c.point.y, c.plane);
  RecordProperty("planned", std::to_string(planned));
  RecordProperty("exact", std::to_string(exact));
  RecordProperty("conforming", std::to_string(conforming));
  EXPECT_LE(planned, exact + 1e-3) << planned << " " << exact << " " << conforming;
  EXPECT_LE(exact, conforming + 1e-3) << planned << " " << exact << " " << conforming;
  EXPECT_LT(exact - planned, 0.5) << planned << " " << exact;
  EXPECT_LT(conforming - exact, 0.5) << conforming << " " << exact;
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SkyOracle,
    ::testing::Values(
        OracleCase{"one_box", {{55000, 60000, 65000, 70000, 20000}}, {}, {50000, 50000, 0}, 1500},
        OracleCase{"l_shape",
                   {{40000, 60000, 70000, 66000, 15000}, {64000, 52000, 70000, 66000, 15000}},
                   {Prism({{40000, 60000},
                           {64000, 60000},
                           {64000, 52000},
                           {70000, 52000},
                           {70000, 66000},
                           {40000, 66000}},
                          15000)},
                   {50000, 50000, 0},
                   0},
        OracleCase{"two_boxes_open_sky_between",
                   {{30000, 60000, 40000, 70000, 15000}, {60000, 60000, 70000, 70000, 15000}},
                   {},
                   {50000, 50000, 0},
                   0},
        OracleCase{
            "tall_tower_near", {{52000, 53000, 56000, 57000, 60000}}, {}, {50000, 50000, 0}, 0},
        OracleCase{
            "low_block_far", {{20000, 90000, 80000, 100000, 5000}}, {}, {50000, 50000, 0}, 1500}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SkyFactor, OpenSkyBetweenBuildingsReachesTheHorizonInTheFan) {
  Workspace ws;
  for (const Box& b :
       {Box{30000, 60000, 40000, 70000, 15000}, Box{60000, 60000, 70000, 70000, 15000}}) {
    const LineList e = BoxEdges(b);
    ws.BuildingEdges.insert(ws.BuildingEdges.end(), e.begin(), e.end());
  }
  const double radius = 20000;
  ASSERT_EQ(GetTenkuLine(ws, {{50000, 50000, 0}, 0, 90, radius}), SkyLineResult::kTraced);
  const auto r = ComputeSkyFactor(ws.AryLine, {radius, 200}, SkyVariant::kInscribed);
  ASSERT_TRUE(r.has_value());
  int onCircle = 0;
  for (const TAcadPoint& f : r->fan) {
    if (std::fabs(PointDist(kO, f) - radius) < 1e-6) {
      ++onCircle;
      // Only in the gap between the buildings, around north.
      const double a = PointAngle(kO, f) * 180 / kPi;
      EXPECT_GT(a, 63.0);
      EXPECT_LT(a, 117.0);
    }
  }
  EXPECT_GE(onCircle, 6);  // the two feet and the rays across 53°
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

// Two buildings meeting at one roof corner V: the outline passes V twice, so V is twice in the
// corner list. The records of V (one per edge reaching it) take the first copy and then the
// second; only the first keeps its number, so V gets one mark.
TEST(SkyOutlineDrawing, ACornerReachedTwiceGetsOneMark) {
  const std::vector<TAcadPoint> chain = {{-600, 700, 0}, {0, 500, 0}, {600, 700, 0},
                                         {600, 790, 0},  {0, 500, 0}, {-600, 790, 0}};
  Workspace ws;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    TLineEnt s;
    s.st = chain[i];
    s.ed = chain[(i + 1) % chain.size()];
    ws.AryLine.push_back(s);
  }
  const TTateiti atV{0, 5000, 3000, 90.0, 30.0, 866.0};
  TTateiti behind = atV;
  behind.kyori = 9000;  // the same direction, another corner: nothing left to take
  ws.AryTateiti = {atV, atV, behind};
  OutlineDrawingParameters p;
  p.radius = 1000;
  p.scale = 10;
  p.textHeight = 10;
  p.marks = true;
  p.markLayer = "MARKS";
  const OutlineDrawing drawing = DrawSkyOutline(ws, p);
  ASSERT_TRUE(drawing.result.has_value());
  int copies = 0;
  for (const TAcadPoint& c : drawing.result->corners) copies += SamePoint2D(c, chain[1], 1e-9);
  ASSERT_EQ(copies, 2);
  EXPECT_GT(ws.AryTateiti[0].no, 0);
  EXPECT_TRUE(SamePoint2D(drawing.result->corners[ws.AryTateiti[0].no - 1], chain[1], 1e-9));
  EXPECT_EQ(ws.AryTateiti[1].no, 0);
  EXPECT_EQ(ws.AryTateiti[2].no, 0);
  const auto& items = drawing.dxf.Items();
  EXPECT_EQ(std::count(items.begin(), items.end(), "  0\r\nCIRCLE\r\n  8\r\nMARKS"), 1);
}

}  // namespace
}  // namespace vorn
