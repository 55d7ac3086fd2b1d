// The fast sampling of shadow durations against the straightforward one: the wall's shadows
// over varied buildings, walls, north angles, seasons and steps, and painting steps whose
// bounds cut their polygons short.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/point_ops.h"
#include "isochrones/duration_raster.h"
#include "isochrones/isochrone_fixtures.h"
#include "isochrones/wall_isochrones.h"
#include "shadows/wall_shadows.h"

namespace vorn {
namespace {

using testing::AddPrism;
using testing::Outline;
using testing::Rect;
using testing::SetTokyoSun;

// Cells where the two grids differ (the first few reported), over the whole grid.
int Differences(const std::vector<std::uint16_t>& reference, const std::vector<std::uint16_t>& fast,
                const std::string& name) {
  int differences = 0;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    if (reference[i] != fast[i] && ++differences <= 5) {
      ADD_FAILURE() << name << ": row " << i / 2000 << " column " << i % 2000 << " reference "
                    << reference[i] << " fast " << fast[i];
    }
  }
  return differences;
}

struct WallCase {
  const char* name;
  std::vector<std::pair<Outline, double>> prisms;
  TLineEnt picked;   // as drawn, either direction
  double thickness;  // drawn with the wall line
  int season;        // 0 winter, 1 equinox, 2 summer
  double north;      // degrees
  double stepMinutes;
  int n;
};

TLineEnt Picked(TAcadPoint a, TAcadPoint b) {
  TLineEnt line;
  line.st = a;
  line.ed = b;
  return line;
}

TEST(SampleWallDurations, FastFormGivesTheReferenceCounters) {
  const Outline lShape = {{0, 0},       {24000, 0},    {24000, 8000},
                          {9000, 8000}, {9000, 20000}, {0, 20000}};
  Outline round;
  for (int i = 0; i < 24; ++i) {
    round.push_back({12000 + 4000 * std::cos(i * kPi / 12), 6000 + 4000 * std::sin(i * kPi / 12)});
  }
  const Outline slanted = {{0, 0}, {7000, 2500}, {3000, 12000}, {-4000, 6000}};
  const std::vector<WallCase> cases = {
      {"box, wall to the north picked west to east",
       {{Rect(0, 0, 10000, 8000), 20000}},
       Picked({-10000, 20000, 0}, {25000, 20000, 0}),
       0,
       0,
       90.0,
       20.0,
       96},
      {"box, the same wall picked east to west",
       {{Rect(0, 0, 10000, 8000), 20000}},
       Picked({25000, 20000, 0}, {-10000, 20000, 0}),
       0,
       0,
       90.0,
       20.0,
       96},
      {"L, thick oblique wall, summer, north 30",
       {{lShape, 30000}},
       Picked({-8000, 32000, 0}, {30000, 26000, 0}),
       6000,
       2,
       30.0,
       15.0,
       160},
      {"two wings, raised wall to true north, equinox, north 200",
       {{Rect(0, 0, 6000, 20000), 15000}, {Rect(14000, 0, 6000, 20000), 25000}},
       Picked({-240, -20330, 9000}, {-17340, 26650, 9000}),
       6000,
       1,
       200.0,
       30.0,
       128},
      {"round tower and slanted block, wall to the west, north 117.5",
       {{round, 40000}, {slanted, 12000}},
       Picked({-15000, 25000, 0}, {-15000, -20000, 0}),
       0,
       0,
       117.5,
       12.0,
       160},
  };
  for (const WallCase& c : cases) {
    Workspace ws;
    SetTokyoSun(ws, c.season, c.north);
    for (const auto& [outline, height] : c.prisms) AddPrism(ws, outline, height);
    const std::optional<TLineEnt> wall = OrientWall(c.picked, ws.BuildingEdges.front().st);
    ASSERT_TRUE(wall) << c.name;
    ws.WallLine = WallWithHeights(*wall, 40000, c.thickness);
    // Elevation coordinates: a raster that the shadows overrun, also below the ground line,
    // so clipping is exercised too.
    Sampling s;
    s.stepMinutes = c.stepMinutes;
    s.map = RasterMapping{-15000, -25000, 70000.0 / c.n, c.n};
    int instants = 0;
    ClearDurationGrid(ws);
    ASSERT_TRUE(SampleWallDurations(ws, s, AccumulationMethod::kReference, [&](int, double) {
      ++instants;
      return true;
    }));
    const std::vector<std::uint16_t> reference = ws.DurationGrid;
    ClearDurationGrid(ws);
    int fastInstants = 0;
    ASSERT_TRUE(SampleWallDurations(ws, s, AccumulationMethod::kFast, [&](int, double) {
      ++fastInstants;
      return true;
    }));
    EXPECT_EQ(fastInstants, instants) << c.name;
    EXPECT_EQ(Differences(reference, ws.DurationGrid, c.name), 0) << c.name;
    long shaded = 0;
    for (std::uint16_t v : reference) shaded += v > 0;
    EXPECT_GT(shaded, c.n * c.n / 50) << c.name << ": the case should shade a good part";
  }
}

// The wall's range search counts alike in both forms too.
TEST(SampleWallDurations, RangeSearchIsTheSameInBothForms) {
  Workspace ws;
  SetTokyoSun(ws, 0, 90.0);
  AddPrism(ws, Rect(0, 0, 10000, 8000), 20000);
  ws.WallLine = WallWithHeights(
      *OrientWall(Picked({-10000, 20000, 0}, {25000, 20000, 0}), ws.BuildingEdges.front().st),
      20000, 0);
  const ToujiRange reference = GetKabeToujiHani(ws, 10.0, 14.0, {}, AccumulationMethod::kReference);
  const std::vector<std::uint16_t> referenceCounts = ws.DurationGrid;
  const ToujiRange fast = GetKabeToujiHani(ws, 10.0, 14.0, {}, AccumulationMethod::kFast);
  EXPECT_EQ(Differences(referenceCounts, ws.DurationGrid, "range search"), 0);
  EXPECT_EQ(fast.txmin, reference.txmin);
  EXPECT_EQ(fast.tymin, reference.tymin);
  EXPECT_EQ(fast.txmax, reference.txmax);
  EXPECT_EQ(fast.tymax, reference.tymax);
  EXPECT_LT(reference.txmin, reference.txmax);
}

// A painting step whose bounds do not hold all it painted: both forms count only what the
// byte-wise accumulation scans (rows rowTop to rowBottom, bytes from colMin / 8 up to the
// first byte past colMax).
TEST(SampleShadowDurations, BothFormsCountOnlyWithinTheScannedBytes) {
  const std::vector<PaintBounds> cases = {
      {0, 63, 0, 63},   {9, 20, 5, 40},   {17, 17, 30, 30}, {0, 7, 0, 63},
      {56, 63, 10, 20}, {60, 70, -3, 80}, {-5, -1, 0, 63},  {40, 30, 50, 10},
  };
  // A quadrilateral that covers most of the raster and sticks out of it.
  const PixelPolygon quad = HullOfCorners({{{-6, 3}, {70, -4}, {58, 69}, {2, 55}}});
  Workspace ws;
  Sampling s;
  s.stepMinutes = 60.0;
  s.lastHour = 11.0;  // two instants
  s.map = RasterMapping{0, 0, 1, 64};
  for (const PaintBounds& b : cases) {
    const std::string name = "bounds " + std::to_string(b.colMin) + " " + std::to_string(b.colMax) +
                             " " + std::to_string(b.rowTop) + " " + std::to_string(b.rowBottom);
    const InstantPolygons paint = [&](double, std::vector<PixelPolygon>& polygons) {
      polygons.push_back(quad);
      return std::optional<PaintBounds>(b);
    };
    ClearDurationGrid(ws);
    ASSERT_TRUE(SampleShadowDurations(ws, s, paint, AccumulationMethod::kReference, {}));
    const std::vector<std::uint16_t> reference = ws.DurationGrid;
    ClearDurationGrid(ws);
    ASSERT_TRUE(SampleShadowDurations(ws, s, paint, AccumulationMethod::kFast, {}));
    EXPECT_EQ(Differences(reference, ws.DurationGrid, name), 0) << name;
  }
}

}  // namespace
}  // namespace vorn
