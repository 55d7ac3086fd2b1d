// The sky projection: which edges take part, how they are sampled and projected, the horizon
// arc, the north rotation, the duplicate edges and the buildings that surround the point.
#include "sky/sky_projection.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "geometry/point_ops.h"
#include "sky/sky_fixtures.h"

namespace vorn {
namespace {

using testing::Box;
using testing::BoxEdges;

TLineEnt Edge(TAcadPoint st, TAcadPoint ed) {
  TLineEnt e;
  e.st = st;
  e.ed = ed;
  return e;
}

struct SamplingCase {
  const char* name;
  TLineEnt edge;
  std::vector<double> along;  // 3D distances of the samples from the start
};

class Sampling : public ::testing::TestWithParam<SamplingCase> {};

TEST_P(Sampling, SamplesLieAlongTheEdgeAtTheExpectedDistances) {
  const SamplingCase& c = GetParam();
  const std::vector<TAcadPoint> samples = SampleSkyEdge(c.edge);
  ASSERT_EQ(samples.size(), c.along.size());
  const TAcadPoint& st = c.edge.st;
  for (std::size_t k = 0; k < samples.size(); ++k) {
    const double dx = samples[k].x - st.x, dy = samples[k].y - st.y, dz = samples[k].z - st.z;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), c.along[k], 1e-9) << k;
  }
  EXPECT_EQ(samples.back(), c.edge.ed);
}

const double kThird = 200.0 / 3;

INSTANTIATE_TEST_SUITE_P(
    Edges, Sampling,
    ::testing::Values(
        // 1000 mm: every 250 mm, then the end itself again (a zero-length last segment).
        SamplingCase{
            "level", Edge({1000, 1000, 5000}, {2000, 1000, 5000}), {0, 250, 500, 750, 1000, 1000}},
        SamplingCase{"inclined",
                     Edge({1000, 1000, 5000}, {1600, 1000, 5800}),
                     {0, 250, 500, 750, 1000, 1000}},
        SamplingCase{"descending",
                     Edge({1000, 1000, 5800}, {1600, 1000, 5000}),
                     {0, 250, 500, 750, 1000, 1000}},
        SamplingCase{"short", Edge({1000, 1000, 5000}, {1200, 1000, 5000}), {0, kThird, 200}},
        SamplingCase{
            "vertical", Edge({1000, 1000, 3000}, {1000, 1000, 0}), {0, 1000, 2000, 3000, 3000}},
        SamplingCase{
            "vertical up", Edge({1000, 1000, 0}, {1000, 1000, 3000}), {0, 1000, 2000, 3000, 3000}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name) ch = ch == ' ' ? '_' : ch;
      return name;
    });

TEST(SkyProjection, AnEdgeAtThePlaneHeightTakesNoPart) {
  EXPECT_FALSE(TakesPartInSky(Edge({0, 0, 4000}, {10, 0, 5000}), 4000));
  EXPECT_TRUE(TakesPartInSky(Edge({0, 0, 4001}, {10, 0, 5000}), 4000));
  EXPECT_FALSE(TakesPartInSky(Edge({0, 0, 1e-6}, {10, 0, 5000}), -1000));
  Workspace ws;
  ws.BuildingEdges = {Edge({60000, 60000, 4000}, {70000, 60000, 4000})};
  SkyProjectionParameters p{{50000, 50000, 0}, 4000, 90, 10000};
  EXPECT_EQ(GetTenkuLine(ws, p), SkyLineResult::kTooFewSegments);
  EXPECT_TRUE(ws.AryLine.empty());
}

TEST(SkyProjection, ExpansionRunsThreePassesAndDropsTheSharedVerticals) {
  LineList building = BoxEdges({60000, 60000, 70000, 70000, 10000});
  LineList edges = ExpandSkyEdges(building, 1000);
  // Only the four roof edges take part: 4 top, 4 bottom, 8 vertical.
  ASSERT_EQ(edges.size(), 16u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(edges[i].id, kSkyTopEdge);
  for (int i = 4; i < 8; ++i) {
    EXPECT_EQ(edges[i].id, kSkyBottomEdge);
    EXPECT_EQ(edges[i].st.z, 1000);
  }
  for (int i = 8; i < 16; ++i) EXPECT_EQ(edges[i].id, kSkyVerticalEdge);
  MarkDuplicateEdges(edges);
  int duplicates = 0;
  for (const TLineEnt& e : edges) duplicates += e.id == kSkyDuplicate;
  EXPECT_EQ(duplicates, 4);                   // each corner's vertical edge once too many
  EXPECT_EQ(edges[15].id, kSkyVerticalEdge);  // the last copy survives
}

TEST(SkyProjection, IndexedDuplicatesMatchTheQuadraticTest) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(0, 11);
  std::uniform_int_distribution<int> jitter(-3, 3);
  for (int round = 0; round < 40; ++round) {
    // Few distinct corners so that repeats are common; offsets around the tolerance (1e-5)
    // on both sides, across the 1 mm cells of the index.
    std::vector<TAcadPoint> corners;
    for (int i = 0; i < 12; ++i) {
      corners.push_back(
          {1000.0 * (i % 4) + (i % 3 == 0 ? 0.999995 : 0.0), 1000.0 * (i / 4), 3000.0 * (i % 2)});
    }
    LineList edges;
    for (int i = 0; i < 300; ++i) {
      TLineEnt e;
      e.st = corners[pick(rng)];
      e.ed = corners[pick(rng)];
      e.st.x += jitter(rng) * 0.4e-5;
      e.ed.z += jitter(rng) * 0.4e-5;
      if (i % 2) std::swap(e.st, e.ed);
      edges.push_back(e);
    }
    LineList indexed = edges;
    LineList reference = edges;
    MarkDuplicateEdges(indexed);
    MarkDuplicateEdgesReference(reference);
    for (std::size_t i = 0; i < edges.size(); ++i) {
      ASSERT_EQ(indexed[i].id, reference[i].id) << "round " << round << " edge " << i;
    }
  }
}

TEST(SkyProjection, ProjectionPutsTheElevationAtRCosH) {
  SkyProjectionParameters p{{50000, 50000, 0}, 1000, 90, 10000};
  // 3000 above the plane, 3000 away to the north-east: 45°.
  const double d = 3000 / std::sqrt(2.0);
  const SkySample s = ProjectSkySample({50000 + d, 50000 + d, 4000}, p);
  EXPECT_NEAR(s.elevation, kPi / 4, 1e-12);
  EXPECT_NEAR(std::hypot(s.projected.x, s.projected.y), 10000 * std::cos(kPi / 4), 1e-9);
  EXPECT_NEAR(s.projected.x, s.projected.y, 1e-9);
  EXPECT_EQ(s.height, 3000);
  // At or below the plane: on the horizon.
  const SkySample low = ProjectSkySample({50000, 53000, 800}, p);
  EXPECT_NEAR(low.projected.y, 10000, 1e-9);
  // Coordinates below zero are pulled onto zero.
  const SkySample west = ProjectSkySample({-500, 50000, 1000}, {{1000, 50000, 0}, 0, 90, 100});
  EXPECT_EQ(west.distance, 1000);
}

TEST(SkyProjection, ASampleStraightAboveThePointIsAtTheZenith) {
  SkyProjectionParameters p{{50000, 50000, 0}, 0, 90, 10000};
  const SkySample s = ProjectSkySample({50000, 50000, 6000}, p);
  EXPECT_EQ(s.projected.x, 0.0);
  EXPECT_EQ(s.projected.y, 0.0);
  EXPECT_EQ(s.elevation, kPi / 2);
  EXPECT_TRUE(std::isfinite(s.projected.x) && std::isfinite(s.projected.y));
}

TEST(SkyProjection, TrueNorthTurnsTheDiagram) {
  Workspace ws;
  ws.BuildingEdges = BoxEdges({48000, 60000, 52000, 64000, 10000});
  SkyProjectionParameters p{{50000, 50000, 0}, 0, 90, 10000};
  ASSERT_EQ(ProjectSkyLines(ws, p), SkyProjectionResult::kProjected);
  const LineList northUp = ws.AryLine;
  p.northDegrees = 0;  // north along +x: everything turns by +90°
  ASSERT_EQ(ProjectSkyLines(ws, p), SkyProjectionResult::kProjected);
  ASSERT_EQ(ws.AryLine.size(), northUp.size());
  for (std::size_t i = 0; i < northUp.size(); ++i) {
    EXPECT_NEAR(ws.AryLine[i].st.x, -northUp[i].st.y, 1e-6);
    EXPECT_NEAR(ws.AryLine[i].st.y, northUp[i].st.x, 1e-6);
    EXPECT_EQ(ws.AryLine[i].st.z, 0.0);
  }
  EXPECT_NEAR(NorthUpRotation(90), 0.0, 0.0);
}

TEST(SkyProjection, HorizonArcRunsInQuarterDegreesBetweenTheOutermostBasePoints) {
  const TAcadPoint o{};
  const double r = 1000;
  std::vector<TAcadPoint> base = {PolarPoint(o, 1.0, r), PolarPoint(o, 0.2, r),
                                  PolarPoint(o, 0.5, r)};
  const std::vector<TAcadPoint> arc = HorizonArcPoints(base, r);
  const int n = static_cast<int>(std::trunc(0.8 / (kPi / 720)));
  ASSERT_EQ(arc.size(), static_cast<std::size_t>(n + 2));
  EXPECT_NEAR(PointAngle(o, arc.front()), 0.2, 1e-12);
  EXPECT_NEAR(PointAngle(o, arc.back()), 1.0, 1e-12);
  EXPECT_NEAR(PointAngle(o, arc[1]) - 0.2, kPi / 720, 1e-12);
  for (const TAcadPoint& a : arc) EXPECT_NEAR(PointDist(o, a), r, 1e-9);
  EXPECT_TRUE(HorizonArcPoints({base[0]}, r).empty());
}

TEST(SkyProjection, FastHorizonArcIsTheReferenceArcBitForBit) {
  const TAcadPoint o{};
  const double r = 20000;
  std::mt19937 random(13);
  std::uniform_real_distribution<double> angle(-kPi, kPi);
  std::vector<std::vector<TAcadPoint>> sets;
  // Ties: repeated points, pairs exactly half a turn apart, directions either side of ±π.
  sets.push_back({PolarPoint(o, 0.3, r), PolarPoint(o, 0.3, r), PolarPoint(o, 0.3 + kPi, r),
                  PolarPoint(o, 1.0, r), PolarPoint(o, 1.0 + kPi, r)});
  sets.push_back({{-r, 1e-12, 0}, {-r, -1e-12, 0}, {0, r, 0}, {0, -r, 0}, {r, 0, 0}});
  sets.push_back({{0, r, 0}, {0, -r, 0}});
  for (int k = 0; k < 200; ++k) {
    std::vector<TAcadPoint> base;
    const int n = 2 + k % 60;
    const double spread = (k % 4 + 1) * kPi / 4;
    const double start = angle(random);
    for (int i = 0; i < n; ++i) {
      const double a = start + spread * (angle(random) + kPi) / (2 * kPi);
      base.push_back(PolarPoint(o, a, r));
      if (i % 7 == 3) base.push_back(base.back());  // the corner two bottom edges share
    }
    sets.push_back(base);
  }
  const auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
  for (std::size_t k = 0; k < sets.size(); ++k) {
    const std::vector<TAcadPoint> fast = HorizonArcPoints(sets[k], r);
    const std::vector<TAcadPoint> slow = HorizonArcPointsReference(sets[k], r);
    ASSERT_EQ(fast.size(), slow.size()) << "set " << k;
    for (std::size_t i = 0; i < fast.size(); ++i) {
      ASSERT_EQ(bits(fast[i].x), bits(slow[i].x)) << "set " << k << " point " << i;
      ASSERT_EQ(bits(fast[i].y), bits(slow[i].y)) << "set " << k << " point " << i;
    }
  }
}

TEST(SkyProjection, OneBoxGivesOneOutlineAlongTheArc) {
  Workspace ws;
  ws.BuildingEdges = BoxEdges({55000, 60000, 65000, 70000, 20000});
  SkyProjectionParameters p{{50000, 50000, 0}, 1500, 90, 20000};
  ASSERT_EQ(GetTenkuLine(ws, p), SkyLineResult::kTraced);
  ASSERT_GE(ws.AryLine.size(), 3u);
  int onCircle = 0;
  for (std::size_t i = 0; i < ws.AryLine.size(); ++i) {
    const TLineEnt& s = ws.AryLine[i];
    EXPECT_TRUE(SamePoint2D(s.ed, ws.AryLine[(i + 1) % ws.AryLine.size()].st, 1e-5));
    EXPECT_LE(PointDist({}, s.st), 20000 + 1e-6);
    onCircle += std::fabs(PointDist({}, s.st) - 20000) < 1e-6;
  }
  EXPECT_GT(onCircle, 10);
}

TEST(SkyProjection, BuildingsAroundMoreThanHalfTheHorizonAreRefused) {
  Workspace ws;
  // A U open to the south: the base points leave a gap well under 180°.
  for (const Box& b :
       {Box{40000, 40000, 44000, 60000, 10000}, Box{56000, 40000, 60000, 60000, 10000},
        Box{40000, 60000, 60000, 64000, 10000}}) {
    const LineList e = BoxEdges(b);
    ws.BuildingEdges.insert(ws.BuildingEdges.end(), e.begin(), e.end());
  }
  SkyProjectionParameters p{{50000, 45000, 0}, 0, 90, 10000};
  EXPECT_EQ(GetTenkuLine(ws, p), SkyLineResult::kSurrounded);
  EXPECT_TRUE(ws.AryLine.empty());
  // Seen from far enough south the same U stands within half the horizon.
  p.measurementPoint = {50000, 20000, 0};
  EXPECT_EQ(GetTenkuLine(ws, p), SkyLineResult::kTraced);

  const TAcadPoint o{};
  EXPECT_FALSE(HorizonSurrounded({PolarPoint(o, 0, 1), PolarPoint(o, kPi, 1)}));
  EXPECT_TRUE(
      HorizonSurrounded({PolarPoint(o, 0, 1), PolarPoint(o, 2.2, 1), PolarPoint(o, 4.4, 1)}));
}

TEST(SkyProjection, NumbersThatAreNotFiniteAreRefused) {
  Workspace ws;
  ws.BuildingEdges = BoxEdges({55000, 60000, 65000, 70000, 20000});
  ws.BuildingEdges[4].st.z = std::nan("");
  SkyProjectionParameters p{{50000, 50000, 0}, 0, 90, 20000};
  EXPECT_EQ(GetTenkuLine(ws, p), SkyLineResult::kNotFinite);
  ws.BuildingEdges = BoxEdges({55000, 60000, 65000, 70000, 20000});
  p.radius = INFINITY;
  EXPECT_EQ(GetTenkuLine(ws, p), SkyLineResult::kNotFinite);
}

}  // namespace
}  // namespace vorn
