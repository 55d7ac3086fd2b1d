#include "cad/host/entity_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn::cad::host {
namespace {

constexpr double kPi = 3.14159265358979323846;

void ExpectNear(const TAcadPoint& actual, const TAcadPoint& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9);
  EXPECT_NEAR(actual.y, expected.y, 1e-9);
  EXPECT_NEAR(actual.z, expected.z, 1e-9);
}

dxf::Entity Make(dxf::EntityData data, TAcadPoint normal = {0, 0, 1}) {
  dxf::Entity e;
  e.common.extrusion = normal;
  e.data = std::move(data);
  return e;
}

TEST(PlaceEntity, ArcTurnsItsCentreAndAnglesAndScalesItsRadius) {
  const auto placed = PlaceEntity(Make(dxf::Arc{{10, 0, 0}, 5, 0, 90}),
                                  Placement{{0, 0, 0}, {100, 0, 0}, 2, kPi / 2});
  const auto& arc = std::get<dxf::Arc>(placed.data);
  ExpectNear(arc.centre, {100, 20, 0});
  EXPECT_NEAR(arc.radius, 10, 1e-12);
  EXPECT_NEAR(arc.startAngle, 90, 1e-9);
  EXPECT_NEAR(arc.endAngle, 180, 1e-9);
}

TEST(PlaceEntity, ACircleSeenFromBelowMovesInWorldCoordinates) {
  // Normal -z: the plane's x axis is the world's -x, so OCS (1,0) is world (-1,0).
  const auto placed = PlaceEntity(Make(dxf::Circle{{1, 0, 0}, 3}, {0, 0, -1}),
                                  Placement{{0, 0, 0}, {5, 0, 0}, 1, 0});
  const auto& circle = std::get<dxf::Circle>(placed.data);
  ExpectNear(OcsToWorld(circle.centre, placed.common.extrusion), {4, 0, 0});
  ExpectNear(placed.common.extrusion, {0, 0, -1});
}

TEST(PlaceEntity, PolylineKeepsElevationThicknessAndBulges) {
  dxf::Entity lw = Make(dxf::LwPolyline{12.5, true, {{0, 0, 0}, {10, 0, 1}, {10, 10, 0}}});
  lw.common.thickness = 3;
  const auto placed = PlaceEntity(lw, Placement{{0, 0, 0}, {1, 2, 3}, 2, kPi});
  const auto& p = std::get<dxf::LwPolyline>(placed.data);
  EXPECT_NEAR(p.elevation, 28, 1e-9);  // 12.5 * 2 + 3
  EXPECT_NEAR(placed.common.thickness, 6, 1e-12);
  EXPECT_NEAR(p.vertices[1].x, -19, 1e-9);
  EXPECT_NEAR(p.vertices[1].y, 2, 1e-9);
  EXPECT_DOUBLE_EQ(p.vertices[1].bulge, 1);
  EXPECT_TRUE(p.closed);
}

TEST(PlaceEntity, TextAndNestedReferencesTurnWithThePlacement) {
  dxf::Text text;
  text.position = {1, 0, 0};
  text.alignment = text.position;
  text.height = 2;
  text.rotation = 10;
  const auto t = std::get<dxf::Text>(
      PlaceEntity(Make(text), Placement{{0, 0, 0}, {0, 0, 0}, 1.5, kPi / 2}).data);
  ExpectNear(t.position, {0, 1.5, 0});
  EXPECT_NEAR(t.rotation, 100, 1e-9);
  EXPECT_NEAR(t.height, 3, 1e-12);
  const auto i = std::get<dxf::Insert>(PlaceEntity(Make(dxf::Insert{"B", {2, 0, 0}, {2, 2, 2}, 0}),
                                                   Placement{{1, 0, 0}, {0, 0, 0}, 3, kPi / 2})
                                           .data);
  ExpectNear(i.position, {0, 3, 0});
  ExpectNear(i.scale, {6, 6, 6});
  EXPECT_NEAR(i.rotation, 90, 1e-9);
}

TEST(ExplodePolyline, BulgesBecomeArcsAndClosedPolylinesGetTheirLastSpan) {
  const auto pieces =
      ExplodePolyline(Make(dxf::LwPolyline{0, true, {{0, 0, 1}, {10, 0, 0}, {10, 10, -1}}}));
  ASSERT_EQ(pieces.size(), 3u);
  const auto& half = std::get<dxf::Arc>(pieces[0].data);
  ExpectNear(half.centre, {5, 0, 0});
  EXPECT_NEAR(half.radius, 5, 1e-12);
  EXPECT_TRUE(std::holds_alternative<dxf::Line>(pieces[1].data));
  // Bulge -1 runs clockwise from (10,10) to (0,0): as an arc, from (0,0) round to (10,10).
  const auto& back = std::get<dxf::Arc>(pieces[2].data);
  ExpectNear(back.centre, {5, 5, 0});
  EXPECT_TRUE(ExplodePolyline(Make(dxf::Line{})).empty());
}

TEST(WindowTests, InsideNeedsEveryPointAndCrossingAnyContact) {
  const std::vector<TAcadPoint> segment{{0, 0, 0}, {10, 0, 0}};
  EXPECT_TRUE(OutlineInsideWindow(segment, {-1, -1, 0}, {11, 1, 0}));
  EXPECT_FALSE(OutlineInsideWindow(segment, {-1, -1, 0}, {5, 1, 0}));
  EXPECT_TRUE(OutlineCrossesWindow(segment, {4, -1, 0}, {5, 1, 0}));  // passes through
  EXPECT_FALSE(OutlineCrossesWindow(segment, {4, 1, 0}, {5, 2, 0}));
  // A circle around the window neither lies inside nor crosses it.
  const auto circle = PlanOutline(Make(dxf::Circle{{0, 0, 0}, 100}));
  EXPECT_FALSE(OutlineCrossesWindow(circle, {-1, -1, 0}, {1, 1, 0}));
  EXPECT_TRUE(OutlineCrossesWindow(circle, {99, -1, 0}, {101, 1, 0}));
}

}  // namespace
}  // namespace vorn::cad::host
