#include "ui/drawing/drawing_picks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace vorn::ui {
namespace {

constexpr double kPi = 3.14159265358979323846;

dxf::Entity Of(dxf::EntityData data) {
  dxf::Entity e;
  e.data = std::move(data);
  return e;
}

// A line along the x axis, a circle below it, a quarter arc, and a polyline whose first segment is
// a half circle bulging downwards (bulge 1, counter-clockwise from (0,100) to (100,100)).
HostDocument SmallDrawing() {
  HostDocument doc = cad::host::NewHostDocument();
  auto add = [&](dxf::EntityData data) {
    doc.modelSpace.push_back(cad::host::MakeHostEntity(doc, Of(std::move(data))));
  };
  add(dxf::Line{{0, 0, 0}, {100, 0, 0}});
  add(dxf::Circle{{50, -60, 0}, 20});
  add(dxf::Arc{{200, 0, 0}, 10, 0, 90});
  dxf::LwPolyline poly;
  poly.vertices = {{0, 100, 1.0}, {100, 100, 0}, {100, 140, 0}};
  add(poly);
  dxf::Text text;
  text.position = {300, 300, 0};
  text.alignment = text.position;
  text.height = 10;
  text.text = "ABC";
  add(text);
  return doc;
}

struct SnapCase {
  const char* what;
  ScenePoint cursor;
  double aperture;
  std::optional<SnapKind> kind;  // nullopt: no snap
  ScenePoint expected;
};

class SnapTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(SnapTest, FindsTheExpectedSnap) {
  const auto& c = GetParam();
  const HostDocument doc = SmallDrawing();
  const auto scene = cad::host::BuildDrawingScene(doc);
  const auto snap = FindSnap(SnapPointsOf(doc), scene, c.cursor, c.aperture);
  if (!c.kind) {
    EXPECT_FALSE(snap) << c.what;
    return;
  }
  ASSERT_TRUE(snap) << c.what;
  EXPECT_EQ(snap->kind, *c.kind) << c.what;
  // Nearest points lie on the drawn chords of curves, within a chord's sagitta of the curve.
  const double tolerance = *c.kind == SnapKind::kNearest ? 0.05 : 1e-9;
  EXPECT_NEAR(snap->at.x, c.expected.x, tolerance) << c.what;
  EXPECT_NEAR(snap->at.y, c.expected.y, tolerance) << c.what;
}

const double kArcMid = 10 * std::cos(kPi / 4);

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapTest,
    ::testing::Values(
        SnapCase{"line end", {101, 1}, 3, SnapKind::kEndpoint, {100, 0}},
        SnapCase{"line middle", {49, -1}, 3, SnapKind::kMidpoint, {50, 0}},
        SnapCase{"circle centre", {51, -58}, 3, SnapKind::kCentre, {50, -60}},
        SnapCase{"arc middle",
                 {200 + kArcMid + 0.5, kArcMid},
                 2,
                 SnapKind::kMidpoint,
                 {200 + kArcMid, kArcMid}},
        SnapCase{"arc end", {200.5, 10.5}, 2, SnapKind::kEndpoint, {200, 10}},
        SnapCase{"arc centre", {199, 1}, 2, SnapKind::kCentre, {200, 0}},
        // The half circle's middle is below the chord, 50 under its centre (50, 100).
        SnapCase{"bulge middle", {51, 51}, 3, SnapKind::kMidpoint, {50, 50}},
        SnapCase{"bulge centre", {50, 101}, 3, SnapKind::kCentre, {50, 100}},
        SnapCase{"polyline vertex", {99, 139}, 3, SnapKind::kEndpoint, {100, 140}},
        SnapCase{"straight polyline middle", {101, 121}, 3, SnapKind::kMidpoint, {100, 120}},
        SnapCase{"nearest on the line", {30, 2}, 3, SnapKind::kNearest, {30, 0}},
        // On the circle at 45 degrees, 2 outside it.
        SnapCase{"nearest on the circle",
                 {50 + 22 * std::cos(kPi / 4), -60 + 22 * std::sin(kPi / 4)},
                 3,
                 SnapKind::kNearest,
                 {50 + 20 * std::cos(kPi / 4), -60 + 20 * std::sin(kPi / 4)}},
        SnapCase{"closest of two snap points wins", {78, 0.5}, 30, SnapKind::kEndpoint, {100, 0}},
        SnapCase{"nothing within the aperture", {150, 60}, 3, std::nullopt, {}}));

TEST(EntityAtTest, PicksTheEntityDrawnUnderTheCursor) {
  const HostDocument doc = SmallDrawing();
  const auto scene = cad::host::BuildDrawingScene(doc);
  EXPECT_EQ(EntityAt(scene, {40, 1}, 2), std::optional<size_t>(0));      // the line
  EXPECT_EQ(EntityAt(scene, {70.5, -60}, 2), std::optional<size_t>(1));  // the circle's edge
  EXPECT_EQ(EntityAt(scene, {50, -60}, 2), std::nullopt);  // inside the circle, far from it
  EXPECT_EQ(EntityAt(scene, {50, 51}, 2), std::optional<size_t>(3));      // the half circle
  EXPECT_EQ(EntityAt(scene, {305, 304}, 0.1), std::optional<size_t>(4));  // inside the text
  // Between the line and the circle, the closer one.
  EXPECT_EQ(EntityAt(scene, {50, -12}, 40), std::optional<size_t>(0));
  EXPECT_EQ(EntityAt(scene, {50, -30}, 40), std::optional<size_t>(1));
}

TEST(TypedInputTest, CoordinatesAndNumbers) {
  struct Case {
    const char* text;
    std::optional<TAcadPoint> point;
  };
  const Case cases[] = {
      {"1,2", TAcadPoint{1, 2, 0}},
      {" 1.5 , -2 ", TAcadPoint{1.5, -2, 0}},
      {"1,2,3", TAcadPoint{1, 2, 3}},
      {"1e3,+2", TAcadPoint{1000, 2, 0}},
      {"-0.25,.5", TAcadPoint{-0.25, 0.5, 0}},
      {"1", std::nullopt},
      {"1,2,3,4", std::nullopt},
      {"a,b", std::nullopt},
      {"1,,2", std::nullopt},
      {"1,2x", std::nullopt},
      {"1;2", std::nullopt},
      {"", std::nullopt},
      {"inf,2", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseTypedPoint(c.text);
    ASSERT_EQ(parsed.has_value(), c.point.has_value()) << c.text;
    if (parsed) {
      EXPECT_EQ(*parsed, *c.point) << c.text;
    }
  }
  EXPECT_EQ(ParseTypedNumber(" 45 "), std::optional<double>(45));
  EXPECT_EQ(ParseTypedNumber("-12.5"), std::optional<double>(-12.5));
  EXPECT_EQ(ParseTypedNumber("12,5"), std::nullopt);
  EXPECT_EQ(ParseTypedNumber("nan"), std::nullopt);
}

}  // namespace
}  // namespace vorn::ui
