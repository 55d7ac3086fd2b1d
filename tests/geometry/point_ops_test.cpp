#include "geometry/point_ops.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

TEST(PolarPoint, AxisDirectionsCarryNoRoundOff) {
  const TAcadPoint p{1.5, 2.5, 7};
  EXPECT_EQ(PolarPoint(p, kPi / 2, 3), (TAcadPoint{1.5, 5.5, 7}));
  EXPECT_EQ(PolarPoint(p, 0, -2), (TAcadPoint{-0.5, 2.5, 7}));
  EXPECT_EQ(PolarPoint(p, kPi, 1), (TAcadPoint{0.5, 2.5, 7}));
  EXPECT_EQ(PolarPoint(p, 3 * kPi / 2, 1), (TAcadPoint{1.5, 1.5, 7}));
  // 2*pi is not one of the exact directions: it goes through sine and cosine.
  const TAcadPoint q = PolarPoint(p, 2 * kPi, 1);
  EXPECT_EQ(q.x, 1.5 + std::cos(2 * kPi));
  EXPECT_EQ(q.y, 2.5 + std::sin(2 * kPi));
  EXPECT_NE(q.y, 2.5);
}

struct AngleCase {
  TAcadPoint a, b;
  double expected;
};

TEST(PointAngle, SpecialCasesAndQuadrants) {
  const AngleCase cases[] = {
      {{0, 0}, {0, 0}, 3 * kPi / 2},           // a point to itself points straight down
      {{0, 0}, {9.9e-6, 5}, kPi / 2},          // |dx| below the tolerance is vertical
      {{0, 0}, {9.9e-6, -1e-9}, 3 * kPi / 2},  // ... even when dy is tiny
      {{0, 0}, {5, 9.9e-6}, 0},                // |dy| below the tolerance is horizontal
      {{0, 0}, {-5, 0}, kPi},
      {{0, 0}, {1, 1}, kPi / 4},
      {{0, 0}, {-1, 1}, 3 * kPi / 4},
      {{0, 0}, {-1, -1}, 5 * kPi / 4},
      {{0, 0}, {1, -1}, 7 * kPi / 4},
  };
  for (const AngleCase& c : cases) {
    EXPECT_DOUBLE_EQ(PointAngle(c.a, c.b), c.expected) << c.b.x << "," << c.b.y;
  }
}

TEST(CrossPoint, BoundedCrossingCountsAtTheEndsButNotAtTheStarts) {
  TAcadPoint out;
  // Meeting at the first segment's start point: no crossing.
  EXPECT_FALSE(CrossPoint({0, 0}, {10, 0}, {0, -5}, {0, 5}, true, out));
  // Meeting at its end point: a crossing.
  ASSERT_TRUE(CrossPoint({0, 0}, {10, 0}, {10, -5}, {10, 5}, true, out));
  EXPECT_DOUBLE_EQ(out.x, 10);
  EXPECT_DOUBLE_EQ(out.y, 0);
  // Parallel lines never cross; unbounded lines cross outside the segments.
  EXPECT_FALSE(CrossPoint({0, 0}, {10, 0}, {0, 1}, {10, 1}, false, out));
  ASSERT_TRUE(CrossPoint({0, 0, 3}, {1, 0, 9}, {5, 1}, {5, 2}, false, out));
  EXPECT_EQ(out, (TAcadPoint{5, 0, 3}));
}

TEST(SamePoint, ToleranceIsStrict) {
  EXPECT_FALSE(SamePoint2D({0, 0}, {0.5, 0}, 0.5));
  EXPECT_TRUE(SamePoint2D({0, 0}, {0.25, -0.25}, 0.5));
  EXPECT_FALSE(SamePoint3D({0, 0, 0}, {0, 0, 1}, 0.5));
}

TEST(FarthestPair, FirstOfEqualPairsWinsAndCoincidentPointsLeaveOutputs) {
  TAcadPoint a{9, 9}, b{9, 9};
  FarthestPair({0, 0}, {1, 0}, {0, 1}, {1, 1}, a, b);  // (1,4) and (2,3) tie: (1,4) first
  EXPECT_EQ(a, (TAcadPoint{0, 0}));
  EXPECT_EQ(b, (TAcadPoint{1, 1}));
  a = b = {9, 9};
  FarthestPair({2, 2}, {2, 2}, {2, 2}, {2, 2}, a, b);
  EXPECT_EQ(a, (TAcadPoint{9, 9}));
}

TEST(BulgeArc, ArcRunsCounterClockwiseWhateverTheBulgeSign) {
  // A half circle from (0,0) to (10,0): bulge 1 bows below (counter-clockwise from p to q).
  const BulgeArcResult ccw = BulgeArc({0, 0}, {10, 0}, 1.0);
  EXPECT_NEAR(ccw.centre.x, 5, 1e-12);
  EXPECT_NEAR(ccw.centre.y, 0, 1e-12);
  EXPECT_DOUBLE_EQ(ccw.radius, 5);
  EXPECT_NEAR(ccw.startAngle, kPi, 1e-12);
  EXPECT_NEAR(ccw.endAngle, 0, 1e-12);
  const BulgeArcResult cw = BulgeArc({0, 0}, {10, 0}, -1.0);
  EXPECT_NEAR(cw.startAngle, 0, 1e-12);  // from q back to p
  EXPECT_NEAR(cw.endAngle, kPi, 1e-12);
  // A quarter arc (bulge tan(22.5 deg)) has its centre off the chord.
  const BulgeArcResult quarter = BulgeArc({10, 0}, {0, 10}, std::tan(kPi / 8));
  EXPECT_NEAR(quarter.centre.x, 0, 1e-9);
  EXPECT_NEAR(quarter.centre.y, 0, 1e-9);
  EXPECT_NEAR(quarter.radius, 10, 1e-9);
}

TEST(OcsToWcs, ArbitraryAxisAlgorithm) {
  // The world Z normal leaves points unchanged.
  EXPECT_EQ(OcsToWcs({1, 2, 3}, {0, 0, 1}), (TAcadPoint{1, 2, 3}));
  // A negative Z normal mirrors x.
  const TAcadPoint m = OcsToWcs({1, 2, 3}, {0, 0, -1});
  EXPECT_NEAR(m.x, -1, 1e-12);
  EXPECT_NEAR(m.y, 2, 1e-12);
  EXPECT_NEAR(m.z, -3, 1e-12);
  // Normal along world X (not within 1/64 of Z): Ax = Z x N = (0,1,0), Ay = N x Ax = (0,0,1).
  const TAcadPoint x = OcsToWcs({1, 2, 3}, {5, 0, 0});
  EXPECT_NEAR(x.x, 3, 1e-12);
  EXPECT_NEAR(x.y, 1, 1e-12);
  EXPECT_NEAR(x.z, 2, 1e-12);
}

TEST(PointOps, SmallHelpers) {
  EXPECT_EQ(RoundOff(2.5), 3);
  EXPECT_EQ(RoundOff(-2.5), -3);
  EXPECT_EQ(RoundOff(-2.49), -2);
  const TAcadPoint r = RotatePoint({1, 0, 4}, kPi / 2);  // by -a
  EXPECT_NEAR(r.x, 0, 1e-15);
  EXPECT_NEAR(r.y, -1, 1e-15);
  EXPECT_EQ(r.z, 4);
  EXPECT_EQ(UnitVector({0, 0, 0}), (TAcadPoint{0, 0, 0}));
  EXPECT_EQ(UnitVector({0, 3, 4}), (TAcadPoint{0, 0.6, 0.8}));
  EXPECT_TRUE(IsOnSegment({5, 0}, {0, 0}, {10, 0}));
  EXPECT_FALSE(IsOnSegment({11, 0}, {0, 0}, {10, 0}));
  EXPECT_TRUE(IsOnLine({0, 0}, {10, 0}, {20, 0.009}, {-3, -0.009}));
  EXPECT_FALSE(IsOnLine({0, 0}, {10, 0}, {20, 0.011}, {-3, 0}));
}

struct ExtractCase {
  const char* marker1;
  const char* marker2;
  const char* text;
  const char* expected;
};

TEST(ExtractBetween, FollowsTheLastFirstMarker) {
  const ExtractCase cases[] = {
      {"°", "′", "東京 35°41′22″", "41"},
      {"\t", "°", "東京\t 35 °41′", "35"},
      {"′", "″", "35°41′ 22 ″", "22"},
      {"′", "″", "35°41′″", ""},    // marker2 right after marker1
      {"x", "″", "35°41′22″", ""},  // no marker1
      {"°", "#", "35°41", ""},      // no marker2
      {"a", "b", "a1a2b", "2"},     // the rest follows the last marker1
  };
  for (const ExtractCase& c : cases) {
    EXPECT_EQ(ExtractBetween(c.marker1, c.marker2, c.text), c.expected) << c.text;
  }
}

}  // namespace
}  // namespace vorn
