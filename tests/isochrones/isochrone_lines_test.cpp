#include "isochrones/isochrone_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "isochrones/isochrone_fixtures.h"
#include "shadows/hourly_diagram.h"

namespace vorn {
namespace {

using testing::AddPrism;
using testing::Rect;
using testing::ScriptedMonitor;
using testing::SetTokyoSun;

TEST(Levels, TextsDurationsAndColours) {
  const int colours[kLevelCount] = {2, 3, 4, 5, 6, 2, 3, 4, 5, 6, 2, 3, 4, 5};
  for (int i = 0; i < kLevelCount; ++i) {
    EXPECT_EQ(LevelColour(i), colours[i]) << i;
    EXPECT_DOUBLE_EQ(LevelDuration(LevelText(i)), 1.5 + 0.5 * i);
  }
  EXPECT_EQ(LevelText(0), "1.5Hr");
  EXPECT_EQ(LevelText(13), "8.0Hr");
}

TEST(Levels, ThresholdIsOneLessForALevelThatFillsThePeriod) {
  struct Case {
    double hours, stepMinutes, period, threshold;
  };
  const Case cases[] = {
      {1.5, 1.0, 8.0, 90},        {8.0, 1.0, 8.0, 479}, {4.0, 0.5, 8.0, 480},
      {2.0, 10.0 / 60, 8.0, 720}, {3.0, 1.0, 3.0, 179}, {3.5, 1.0, 3.0, 209},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(LevelThreshold(c.hours, c.stepMinutes, c.period), c.threshold) << c.hours;
  }
}

TEST(GetToujiHani, BoxOfTheCoarseCellsWithItsMargins) {
  Workspace ws;
  SetTokyoSun(ws, 0, 90.0);
  AddPrism(ws, Rect(0, 0, 20000, 12000), 25000);
  ToujiHaniParameters p;
  p.planeHeight = 4000;
  int instants = 0;
  const auto range = GetToujiHani(ws, p, [&](int, double) {
    ++instants;
    return true;
  });
  ASSERT_TRUE(range.has_value());
  EXPECT_EQ(instants, 239);

  // The same box worked out here from the counts the search leaves behind.
  const PlanBox box = *GetVornHani(ws, 8.0, 16.0, 4000);
  const double x0 = box.xmin - (box.xmax - box.xmin) * 0.025;
  const double y0 = box.ymin - (box.ymax - box.ymin) * 0.025;
  const double x1 = box.xmax + (box.xmax - x0) * 0.0244;
  const double y1 = box.ymax + (box.ymax - y0) * 0.0244;
  const double cell = std::max(x1 - x0, y1 - y0) / 480;
  int cMin = 480, cMax = -1, rMin = 480, rMax = -1;
  for (int r = 0; r < 480; ++r) {
    for (int c = 0; c < 480; ++c) {
      if (GridCell(ws.DurationGrid, r, c) >= 45) {
        cMin = std::min(cMin, c), cMax = std::max(cMax, c);
        rMin = std::min(rMin, r), rMax = std::max(rMax, r);
      }
    }
  }
  ASSERT_GE(cMax, cMin);
  EXPECT_NEAR(range->txmin, x0 + cell * (cMin - 10), 1e-6);
  EXPECT_NEAR(range->txmax, x0 + cell * (cMax + 10), 1e-6);
  EXPECT_NEAR(range->tymin, y0 + cell * (480 - rMax - 11), 1e-6);
  EXPECT_NEAR(range->tymax, y0 + cell * (480 - rMin + 9), 1e-6);
  // The building itself is shaded all day: it lies inside the range.
  EXPECT_LT(range->txmin, 0.0);
  EXPECT_GT(range->txmax, 20000.0);
  EXPECT_LT(range->tymin, 0.0);
  EXPECT_GT(range->tymax, 12000.0);

  // "8.0Hr" needs 240 of 239 instants: no cell, a reversed range.
  p.level = 8.0;
  const auto reversed = GetToujiHani(ws, p, [](int, double) { return true; });
  EXPECT_LT(reversed->txmax, reversed->txmin);
  EXPECT_LT(reversed->tymax, reversed->tymin);
  EXPECT_LT(reversed->CellFor(1200), 0.0);

  Workspace empty;
  EXPECT_FALSE(GetToujiHani(empty, p, [](int, double) { return true; }).has_value());
}

// A small grid drawn as text: '#' is a cell shaded for 100 instants, '.' none.
class TraceGrid : public ::testing::Test {
 protected:
  static constexpr int kN = 24;
  void Draw(const std::vector<std::string>& rows, int top = 0) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < rows[r].size(); ++c) {
        GridCell(grid, top + r, c) = rows[r][c] == '#' ? 100 : 0;
      }
    }
  }
  LevelTraceResult Trace(int n = kN) {
    LevelTraceParameters p;
    p.threshold = 50;
    p.n = n;
    p.cell = 1.0;
    p.levelText = "2.5Hr";
    p.smoothing = smoothing;
    BitRaster raster(n);
    return TraceLevelContours(
        grid, raster, p, monitor, [&](const std::string& m) { messages.push_back(m); },
        [&](const std::vector<TTempPoint>& c) { contours.push_back(c); });
  }
  int Reaching(int n = kN) const {
    int count = 0;
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) count += GridCell(grid, r, c) >= 50;
    }
    return count;
  }
  static bool HasPoint(const std::vector<TTempPoint>& contour, double x, double y) {
    return std::any_of(contour.begin(), contour.end(),
                       [&](const TTempPoint& p) { return p.pt.x == x && p.pt.y == y; });
  }

  std::vector<std::uint16_t> grid = std::vector<std::uint16_t>(2000u * 2000u, 0);
  ScriptedMonitor monitor;
  std::vector<std::string> messages;
  std::vector<std::vector<TTempPoint>> contours;
  std::optional<int> smoothing;
};

TEST_F(TraceGrid, SquareIsTracedCounterClockwiseAndConsumed) {
  Draw({"", "", "", "", "", ".....####", ".....####", ".....####", ".....####"});
  const LevelTraceResult result = Trace();
  ASSERT_EQ(contours.size(), 1u);
  EXPECT_EQ(result.contours, 1);
  const auto& c = contours[0];
  // Twelve boundary cells, the last traced one left off; x has half a cell, y none.
  ASSERT_EQ(c.size(), 11u);
  const double expected[][2] = {{5.5, 19}, {5.5, 18}, {5.5, 17}, {5.5, 16}, {6.5, 16}, {7.5, 16},
                                {8.5, 16}, {8.5, 17}, {8.5, 18}, {8.5, 19}, {7.5, 19}};
  for (std::size_t i = 0; i < c.size(); ++i) {
    EXPECT_EQ(c[i].pt.x, expected[i][0]) << i;
    EXPECT_EQ(c[i].pt.y, expected[i][1]) << i;
  }
  EXPECT_EQ(Reaching(), 0);
  EXPECT_EQ(GridCell(grid, 6, 6), 49) << "lowered to floor(T) - 1";
  EXPECT_TRUE(messages.empty());
}

TEST_F(TraceGrid, LShapeAndSpur) {
  Draw({"", "", "", "", "..####", "..####", "..########", "..##########", "..########"});
  Trace();
  ASSERT_EQ(contours.size(), 1u);
  // The spur's tip (column 11, row 7) is not part of the line, its base is; the inner corner
  // of the L is; everything is consumed.
  EXPECT_FALSE(HasPoint(contours[0], 11.5, 17));
  EXPECT_TRUE(HasPoint(contours[0], 10.5, 17));
  EXPECT_TRUE(HasPoint(contours[0], 5.5, 19));
  EXPECT_TRUE(HasPoint(contours[0], 6.5, 18));
  EXPECT_EQ(Reaching(), 0);
}

TEST_F(TraceGrid, TwoRegionsGiveTwoLines) {
  Draw({"", "", "", "..####", "..####", "..####", "", "", "", "", ".........#####",
        ".........#####", ".........#####"});
  Trace();
  EXPECT_EQ(contours.size(), 2u);
  EXPECT_EQ(Reaching(), 0);
}

TEST_F(TraceGrid, RegionAtTheBorderEndsTheLevelWithAMessage) {
  Draw({"", "", "", "", "", "...............####", "...............####", "...............####", "",
        "", "", "", "...####", "...####", "...####"});
  const LevelTraceResult result = Trace(20);
  EXPECT_TRUE(result.borderReached);
  EXPECT_TRUE(contours.empty());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "等時間：2.5Hr 時刻範囲を超えているため、作成しません．(1) ");
}

// A stray cell or two that the scan meets first no longer ends the level: they are cleared
// and the square after them still gets its line.
TEST_F(TraceGrid, StrayCellsBeforeARegionAreClearedAndTheSearchGoesOn) {
  const std::vector<std::vector<std::string>> pictures = {
      {"", "", "...#", "", "", "", "......####", "......####", "......####"},
      {"", "", "...##", "", "", "", "......####", "......####", "......####"},
      {"", "", "...###", "", "", "", "......####", "......####", "......####"},
      {"", "", "...#", "....#", "", "", "......####", "......####", "......####"},
  };
  for (const auto& picture : pictures) {
    std::fill(grid.begin(), grid.end(), 0);
    contours.clear();
    Draw(picture);
    const LevelTraceResult r = Trace();
    EXPECT_LE(r.strayRegions, 1) << picture[2];
    ASSERT_EQ(contours.size(), 1u) << picture[2];
    EXPECT_TRUE(HasPoint(contours[0], 6.5, 18)) << picture[2];
    EXPECT_EQ(Reaching(), 0) << picture[2];
  }
}

TEST_F(TraceGrid, MoreThanFiftyRegionsAreCutWithAMessage) {
  constexpr int n = 48;
  int squares = 0;
  for (int r = 2; r + 2 < n - 2 && squares < 51; r += 4) {
    for (int c = 2; c + 2 < n - 2 && squares < 51; c += 4, ++squares) {
      for (int dr = 0; dr < 2; ++dr) {
        for (int dc = 0; dc < 2; ++dc) GridCell(grid, r + dr, c + dc) = 100;
      }
    }
  }
  ASSERT_EQ(squares, 51);
  const LevelTraceResult result = Trace(n);
  EXPECT_EQ(result.contours, 50);
  EXPECT_TRUE(result.regionLimit);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("2.5Hr"), std::string::npos);
  EXPECT_NE(messages[0].find("50"), std::string::npos);
}

TEST_F(TraceGrid, StopEndsTheLevelWithoutOutput) {
  Draw({"", "", "", "", "", ".....####", ".....####", ".....####", ".....####"});
  monitor.stopAtPump = 10;
  const LevelTraceResult result = Trace();
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(contours.empty());
}

std::vector<TTempPoint> Points(const std::vector<std::pair<double, double>>& xy) {
  std::vector<TTempPoint> out;
  for (auto [x, y] : xy) out.push_back(TTempPoint{0, {x, y, 0}, {}});
  return out;
}

std::vector<std::pair<double, double>> Coordinates(const std::vector<TTempPoint>& points) {
  std::vector<std::pair<double, double>> out;
  for (const TTempPoint& p : points) out.push_back({p.pt.x, p.pt.y});
  return out;
}

TEST(SmoothContour, Cases) {
  using XY = std::vector<std::pair<double, double>>;
  XY square;  // counter-clockwise, unit steps, side 4
  for (int i = 0; i < 4; ++i) square.push_back({double(i), 0});
  for (int i = 0; i < 4; ++i) square.push_back({4, double(i)});
  for (int i = 0; i < 4; ++i) square.push_back({4.0 - i, 4});
  for (int i = 0; i < 4; ++i) square.push_back({0, 4.0 - i});
  // A notch one unit deep in the bottom side: the smoothing cuts across it.
  const XY notched = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {3, 1}, {3, 0}, {4, 0},
                      {5, 0}, {6, 0}, {6, 3}, {3, 3}, {0, 3}, {0, 2}, {0, 1}};
  struct Case {
    const char* name;
    XY in;
    int s;
    XY out;
  };
  const std::vector<Case> cases = {
      {"six points with coefficient 4 stay as traced", XY(square.begin(), square.begin() + 6), 4,
       XY(square.begin(), square.begin() + 6)},
      {"square keeps its corners and its last point",
       square,
       2,
       {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 2}}},
      {"notch is cut", notched, 4, {{0, 0}, {6, 0}, {6, 3}, {0, 3}, {0, 2}}},
  };
  for (const Case& c : cases) {
    std::vector<TTempPoint> contour = Points(c.in);
    SmoothContour(contour, c.s);
    EXPECT_EQ(Coordinates(contour), c.out) << c.name;
  }
}

TEST(IsochroneOutput, PolylineAndLabelInTheLevelColour) {
  DxfDocument doc;
  IsochroneOutput out;
  out.layer = "等時間";
  out.textHeight = "300";
  out.planeHeight = 4000;
  out.northDegrees = 90;
  AppendIsochroneContour(doc, Points({{0, 0}, {10, 0}, {10, 5}, {3, 5}}), 13, out);
  const std::vector<std::string> expected = {
      "  0\r\nPOLYLINE\r\n  8\r\n等時間", " 62\r\n5", " 66\r\n     1\r\n 10\r\n0.0",
      " 20\r\n0.0\r\n 30\r\n4000", " 70\r\n     1", "  0\r\nVERTEX\r\n  8\r\n等時間", " 10\r\n0",
      " 20\r\n0", "  0\r\nVERTEX\r\n  8\r\n等時間", " 10\r\n10", " 20\r\n0",
      "  0\r\nVERTEX\r\n  8\r\n等時間", " 10\r\n10", " 20\r\n5", "  0\r\nVERTEX\r\n  8\r\n等時間",
      " 10\r\n3", " 20\r\n5", "  0\r\nSEQEND",
      // the later of the two northmost vertices
      "  0\r\nTEXT\r\n  8\r\n等時間", " 62\r\n5", " 10\r\n3", " 20\r\n5", " 40\r\n300",
      "  1\r\n8.0Hr", " 41\r\n0.8"};
  EXPECT_EQ(doc.Items(), expected);

  DxfDocument mesh;
  AppendMeshSizeText(mesh, ToujiRange{-1500.5, 200, 0, 0}, 12.34, out);
  const std::vector<std::string> meshItems = {
      "  0\r\nTEXT\r\n  8\r\n等時間", " 10\r\n-1500.5", " 20\r\n200", " 40\r\n300",
      "  1\r\n12.3 mm/mesh",          " 41\r\n0.8"};
  EXPECT_EQ(mesh.Items(), meshItems);
}

TEST(IsochroneOutput, LabelSitsAtTheVertexFurthestTowardTrueNorth) {
  const auto pts = Points({{0, 0}, {10, 0}, {10, 5}, {0, 5}});
  EXPECT_EQ(NorthmostContourPoint(pts, 90).x, 0);        // greatest y, the later one
  EXPECT_EQ(NorthmostContourPoint(pts, 0).x, 10);        // north along +x
  const TAcadPoint p = NorthmostContourPoint(pts, 225);  // north toward -x, -y
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
}

}  // namespace
}  // namespace vorn
