#include "isochrones/duration_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "geometry/point_ops.h"
#include "isochrones/isochrone_fixtures.h"

namespace vorn {
namespace {

using testing::AddPrism;
using testing::Outline;
using testing::Rect;
using testing::SetTokyoSun;

TEST(DurationTables, StepsAndMeshSizesByItem) {
  EXPECT_EQ(MeshSizeFor(0), 2000);
  EXPECT_EQ(MeshSizeFor(1), 1600);
  EXPECT_EQ(MeshSizeFor(2), 1200);
  EXPECT_EQ(MeshSizeFor(-1), 640);
  EXPECT_EQ(EvalSecondsFor(0), 10);
  EXPECT_EQ(EvalSecondsFor(1), 30);
  EXPECT_EQ(EvalSecondsFor(2), 60);
}

TEST(DurationGrid, IsAllocatedOnceAndCleared) {
  Workspace ws;
  ClearDurationGrid(ws);
  ASSERT_EQ(ws.DurationGrid.size(), 2000u * 2000u);
  const auto* data = ws.DurationGrid.data();
  GridCell(ws.DurationGrid, 1999, 1999) = 7;
  ClearDurationGrid(ws);
  EXPECT_EQ(ws.DurationGrid.data(), data);
  EXPECT_EQ(GridCell(ws.DurationGrid, 1999, 1999), 0);
}

TEST(BitRaster, RowsArePackedMostSignificantBitLeft) {
  BitRaster raster(16);
  EXPECT_EQ(raster.Stride(), 2);
  EXPECT_EQ(raster.Row(0)[0], 0xFF);
  raster.SetBlack(0, 3);
  raster.SetBlack(9, 3);
  EXPECT_EQ(raster.Row(3)[0], 0x7F);
  EXPECT_EQ(raster.Row(3)[1], 0xBF);
  raster.FillSpanBlack(5, 3, 12);
  EXPECT_EQ(raster.Row(5)[0], 0xE0);
  EXPECT_EQ(raster.Row(5)[1], 0x07);
  raster.SetBlack(-1, 3);  // clipped, no effect
  raster.SetBlack(16, 3);
  raster.FillWhite();
  EXPECT_FALSE(raster.IsBlack(0, 3));
}

TEST(RasterMapping, RoundsHalvesAwayFromZeroAndCountsRowsDown) {
  const RasterMapping map{1000.0, 2000.0, 10.0, 480};
  struct Case {
    double x, y;
    std::int64_t c, r;
  };
  const Case cases[] = {
      {1000.0, 2000.0, 0, 480},  // the lower left corner lies just below the last row
      {1025.0, 2025.0, 3, 477},  // 2.5 cells: away from zero
      {1024.9, 2024.9, 2, 478}, {975.0, 1975.0, -3, 483},  // -2.5 cells
      {1000.0, 6800.0, 0, 0},                              // the top edge y0 + N cell is row 0
  };
  for (const Case& c : cases) {
    const RasterPoint p = map.Map(c.x, c.y);
    EXPECT_EQ(p.c, c.c) << c.x;
    EXPECT_EQ(p.r, c.r) << c.y;
  }
}

// The byte rules: all black adds eight, mixed adds the clear bits, white nothing; rows from
// rowTop to rowBottom, bytes from colMin / 8 until the first byte past colMax.
TEST(AccumulateRaster, FollowsTheByteRulesWithinTheBounds) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> black;  // column, row
    PaintBounds bounds;
    std::vector<std::pair<int, int>> counted;
  };
  const std::vector<Case> cases = {
      {"full byte",
       {{8, 2}, {9, 2}, {10, 2}, {11, 2}, {12, 2}, {13, 2}, {14, 2}, {15, 2}},
       {0, 31, 0, 31},
       {{8, 2}, {9, 2}, {10, 2}, {11, 2}, {12, 2}, {13, 2}, {14, 2}, {15, 2}}},
      {"mixed byte", {{0, 1}, {5, 1}}, {0, 31, 0, 31}, {{0, 1}, {5, 1}}},
      {"rows outside", {{4, 0}, {4, 5}, {4, 6}}, {0, 31, 1, 5}, {{4, 5}}},
      {"bytes before colMin / 8", {{7, 3}, {8, 3}}, {9, 31, 0, 31}, {{8, 3}}},
      // colMax 8: bytes 0, 1 and 2 are read (8 * 2 > 8 stops after byte 2), byte 3 is not.
      {"bytes past colMax", {{20, 3}, {24, 3}}, {0, 8, 0, 31}, {{20, 3}}},
  };
  std::vector<std::uint16_t> grid(2000u * 2000u, 0);
  for (const Case& c : cases) {
    BitRaster raster(32);
    for (auto [col, row] : c.black) raster.SetBlack(col, row);
    std::fill(grid.begin(), grid.begin() + 32 * 2000, std::uint16_t{0});
    AccumulateRaster(raster, c.bounds, grid);
    for (int r = 0; r < 32; ++r) {
      for (int col = 0; col < 32; ++col) {
        const bool counted =
            std::find(c.counted.begin(), c.counted.end(), std::pair{col, r}) != c.counted.end();
        EXPECT_EQ(GridCell(grid, r, col), counted ? 1 : 0)
            << c.name << " at column " << col << " row " << r;
      }
    }
  }
}

// The fill rule against its definition, checked in floating point: every pixel whose centre
// lies in the polygon is black, and every black pixel's square meets the polygon.
TEST(FillPolygonReference, CoversTheCentresInsideAndNothingFarOutside) {
  const std::vector<std::array<RasterPoint, 4>> quads = {
      {{{2, 2}, {12, 2}, {12, 9}, {2, 9}}},        // axis-aligned: exactly the centres
      {{{1, 1}, {20, 6}, {17, 20}, {3, 14}}},      // general convex
      {{{3, 3}, {25, 9}, {25, 9}, {3, 3}}},        // degenerate: a shallow segment
      {{{5, 1}, {7, 28}, {7, 28}, {5, 1}}},        // a steep segment
      {{{-5, -3}, {40, 10}, {20, 40}, {-8, 20}}},  // clipped by the raster
      {{{10, 10}, {10, 10}, {10, 10}, {10, 10}}},  // one pixel
  };
  for (const auto& q : quads) {
    const PixelPolygon p = HullOfCorners(q);
    BitRaster raster(32);
    FillPolygonReference(raster, p);
    const auto inside = [&](double x, double y) {
      if (p.count < 3) return false;
      for (int i = 0; i < p.count; ++i) {
        const RasterPoint& a = p.v[i];
        const RasterPoint& b = p.v[(i + 1) % p.count];
        if ((b.c - a.c) * (y - a.r) - (b.r - a.r) * (x - a.c) < -1e-9) return false;
      }
      return true;
    };
    const auto segmentMeetsSquare = [&](const RasterPoint& a, const RasterPoint& b, int c, int r) {
      for (int i = 0; i <= 2000; ++i) {
        const double x = a.c + (b.c - a.c) * i / 2000.0, y = a.r + (b.r - a.r) * i / 2000.0;
        if (std::fabs(x - c) <= 0.5 + 1e-9 && std::fabs(y - r) <= 0.5 + 1e-9) return true;
      }
      return false;
    };
    for (int r = 0; r < 32; ++r) {
      for (int c = 0; c < 32; ++c) {
        bool near = inside(c, r);
        for (int i = 0; i < p.count && !near; ++i) {
          near = segmentMeetsSquare(p.v[i], p.v[(i + 1) % p.count], c, r);
        }
        if (inside(c, r)) {
          EXPECT_TRUE(raster.IsBlack(c, r)) << c << "," << r;
        }
        if (raster.IsBlack(c, r)) {
          EXPECT_TRUE(near) << c << "," << r;
        }
      }
    }
    if (q[0].c == 2 && q[1].c == 12) {  // the axis-aligned one: nothing beyond its centres
      for (int r = 0; r < 32; ++r) {
        for (int c = 0; c < 32; ++c) {
          EXPECT_EQ(raster.IsBlack(c, r), c >= 2 && c <= 12 && r >= 2 && r <= 9);
        }
      }
    }
  }
}

TEST(Sampling, CountsInstantsWithoutThePeriodsEnds) {
  struct Case {
    double stepMinutes;
    int instants;
    double firstMinute;  // after 8:00
    double lastMinute;
  };
  const Case cases[] = {
      {1.0, 479, 1, 479},
      {2.0, 239, 2, 478},
      {10.0 / 60.0, 2879, 1.0 / 6, 480 - 1.0 / 6},
  };
  for (const Case& c : cases) {
    Sampling s;
    s.stepMinutes = c.stepMinutes;
    EXPECT_EQ(s.Count() - 1, c.instants);
    EXPECT_NEAR((s.Instant(1) - 8.0) * 60, c.firstMinute, 1e-9);
    EXPECT_NEAR((s.Instant(s.Count() - 1) - 8.0) * 60, c.lastMinute, 1e-9);
  }
}

TEST(PaintGroundShadows, EdgeWithOneEndAtThePlaneCastsNothing) {
  Workspace ws;
  SetTokyoSun(ws, 0, 90.0);
  TLineEnt e;
  e.st = {0, 0, 4000};  // at the plane
  e.ed = {10000, 0, 20000};
  ws.BuildingEdges.push_back(e);
  BitRaster raster(64);
  const auto bounds = PaintGroundShadows(ws, 12.0, 4000.0, -20000, -40000, 1000, raster);
  ASSERT_TRUE(bounds.has_value());
  for (int r = 0; r < 64; ++r) {
    for (int c = 0; c < 64; ++c) EXPECT_FALSE(raster.IsBlack(c, r));
  }
  // Nothing without a building, with a cell that is not positive, or without a sun.
  Workspace empty;
  EXPECT_FALSE(PaintGroundShadows(empty, 12.0, 0.0, 0, 0, 10, raster));
  e.st.z = 20000;
  ws.BuildingEdges[0] = e;
  EXPECT_FALSE(PaintGroundShadows(ws, 12.0, 0.0, 0, 0, -10, raster));
  EXPECT_FALSE(PaintGroundShadows(ws, 7.0, 0.0, 0, 0, 10, raster));
  EXPECT_TRUE(PaintGroundShadows(ws, 12.0, 0.0, -20000, -40000, 1000, raster));
}

struct AgreementCase {
  const char* name;
  std::vector<std::pair<Outline, double>> prisms;
  int season;
  double north;
  double stepMinutes;
  double plane;
  int n;
};

// The fast form gives the reference's counters exactly.
TEST(SampleDurations, FastFormGivesTheReferenceCounters) {
  const Outline lShape = {{0, 0},       {24000, 0},    {24000, 8000},
                          {9000, 8000}, {9000, 20000}, {0, 20000}};
  Outline round;
  for (int i = 0; i < 36; ++i) {
    round.push_back({30000 + 5000 * std::cos(i * kPi / 18), 5000 * std::sin(i * kPi / 18)});
  }
  const Outline slanted = {{0, 0}, {7000, 2500}, {3000, 12000}, {-4000, 6000}};
  const std::vector<AgreementCase> cases = {
      {"box winter", {{Rect(0, 0, 10000, 8000), 20000}}, 0, 90.0, 20.0, 4000, 96},
      {"L summer north 30", {{lShape, 30000}}, 2, 30.0, 15.0, 0, 200},
      {"two wings equinox north 200",
       {{Rect(0, 0, 6000, 20000), 15000}, {Rect(14000, 0, 6000, 20000), 25000}},
       1,
       200.0,
       30.0,
       1500,
       128},
      {"round tower and slanted block",
       {{round, 40000}, {slanted, 12000}},
       0,
       117.5,
       12.0,
       4000,
       160},
  };
  for (const AgreementCase& c : cases) {
    Workspace ws;
    SetTokyoSun(ws, c.season, c.north);
    for (const auto& [outline, height] : c.prisms) AddPrism(ws, outline, height);
    // A raster that the shadows overrun on every side, so clipping is exercised too.
    Sampling s;
    s.stepMinutes = c.stepMinutes;
    s.planeHeight = c.plane;
    s.map = RasterMapping{-60000, -50000, 110000.0 / c.n, c.n};
    int instants = 0;
    ClearDurationGrid(ws);
    ASSERT_TRUE(SampleDurations(ws, s, AccumulationMethod::kReference, [&](int, double) {
      ++instants;
      return true;
    }));
    const std::vector<std::uint16_t> reference = ws.DurationGrid;
    ClearDurationGrid(ws);
    int fastInstants = 0;
    ASSERT_TRUE(SampleDurations(ws, s, AccumulationMethod::kFast, [&](int, double) {
      ++fastInstants;
      return true;
    }));
    EXPECT_EQ(fastInstants, instants) << c.name;
    long shaded = 0;
    int differences = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
      shaded += reference[i] > 0;
      if (reference[i] != ws.DurationGrid[i] && ++differences <= 5) {
        ADD_FAILURE() << c.name << ": row " << i / 2000 << " column " << i % 2000 << " reference "
                      << reference[i] << " fast " << ws.DurationGrid[i];
      }
    }
    EXPECT_EQ(differences, 0) << c.name;
    EXPECT_GT(shaded, c.n * c.n / 50) << c.name << ": the case should shade a good part";
  }
}

TEST(SampleDurations, StopsWhenTheHookSaysSo) {
  Workspace ws;
  SetTokyoSun(ws, 0, 90.0);
  AddPrism(ws, Rect(0, 0, 10000, 8000), 20000);
  Sampling s;
  s.stepMinutes = 10.0;
  s.map = RasterMapping{-30000, -30000, 500, 120};
  for (AccumulationMethod m : {AccumulationMethod::kReference, AccumulationMethod::kFast}) {
    int seen = 0;
    EXPECT_FALSE(SampleDurations(ws, s, m, [&](int k, double) {
      ++seen;
      return k < 5;
    }));
    EXPECT_EQ(seen, 5);
  }
}

}  // namespace
}  // namespace vorn
