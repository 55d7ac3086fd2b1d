#include "geometry/outline_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "geometry/point_ops.h"

namespace vorn {
namespace {

TLineEnt Seg(double x1, double y1, double x2, double y2) {
  TLineEnt s;
  s.st = {x1, y1, 0};
  s.ed = {x2, y2, 0};
  return s;
}

void AddSquare(LineList& out, double x, double y, double size) {
  out.push_back(Seg(x, y, x + size, y));
  out.push_back(Seg(x + size, y, x + size, y + size));
  out.push_back(Seg(x + size, y + size, x, y + size));
  out.push_back(Seg(x, y + size, x, y));
}

using Vertices = std::vector<std::pair<double, double>>;

void ExpectVertices(const LineList& outline, const Vertices& expected) {
  ASSERT_EQ(outline.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(outline[i].st.x, expected[i].first, 1e-9) << "vertex " << i;
    EXPECT_NEAR(outline[i].st.y, expected[i].second, 1e-9) << "vertex " << i;
    // Consecutive segments join up and the last closes the loop.
    EXPECT_TRUE(SamePoint2D(outline[i].ed, outline[(i + 1) % expected.size()].st, 1e-9));
  }
}

// The standard sequence on the given segments; AryLine holds the first outline.
bool TraceFirst(Workspace& ws, const LineList& input) {
  ws.AryLine = input;
  return PrepareSegments(ws) && TraceNextOutline(ws);
}

std::vector<LineList> TraceAll(Workspace& ws, const LineList& input, RegionTrace* trace = nullptr) {
  ws.AryLine = input;
  std::vector<LineList> outlines;
  if (!PrepareSegments(ws)) return outlines;
  const RegionTrace result = TraceAllRegions(
      ws, [] { return true; }, [&](const LineList& outline) { outlines.push_back(outline); });
  if (trace != nullptr) *trace = result;
  return outlines;
}

TEST(TraceOutline, SquareWithADiagonalIsTracedCounterClockwiseFromItsLowerLeftCorner) {
  LineList input;
  AddSquare(input, 0, 0, 10);
  input.push_back(Seg(0, 0, 10, 10));
  Workspace ws;
  ASSERT_TRUE(TraceFirst(ws, input));
  ExpectVertices(ws.AryLine, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
}

TEST(TraceOutline, TwoSquaresSharingAnEdgeGiveTheCombinedRectangle) {
  LineList input;
  AddSquare(input, 0, 0, 10);
  AddSquare(input, 10, 0, 10);
  Workspace ws;
  ws.AryLine = input;
  MergeCollinear(ws);
  // One copy of the shared edge is left, and the bottom and top sides are joined.
  EXPECT_EQ(ws.AryLine.size(), 5u);
  ws.AryLine = input;
  ASSERT_TRUE(TraceFirst(ws, input));
  // The split step cuts the joined sides where the shared edge meets them; the outline keeps
  // those cut points but not the shared edge.
  ExpectVertices(ws.AryLine, {{0, 0}, {10, 0}, {20, 0}, {20, 10}, {10, 10}, {0, 10}});
}

TEST(TraceOutline, SpikeIsWalkedOutAndBackAndDropped) {
  LineList input;
  AddSquare(input, 0, 0, 10);
  input.push_back(Seg(10, 5, 15, 5));
  Workspace ws;
  ASSERT_TRUE(TraceFirst(ws, input));
  ExpectVertices(ws.AryLine, {{0, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}});
}

TEST(TraceOutline, ABridgeBetweenTwoPartsIsWalkedOutAndBackInBothForms) {
  // Two squares joined only by a bent bridge: the walk takes the bridge there and back, more
  // steps than the set has segments (12).
  LineList input;
  AddSquare(input, 0, 0, 10);
  AddSquare(input, 20, 0, 10);
  input.push_back(Seg(10, 5, 15, 8));
  input.push_back(Seg(15, 8, 20, 5));
  const Vertices expected = {{0, 0},   {10, 0},  {10, 5}, {15, 8}, {20, 5}, {20, 0},  {30, 0},
                             {30, 10}, {20, 10}, {20, 5}, {15, 8}, {10, 5}, {10, 10}, {0, 10}};
  Workspace fast;
  ASSERT_TRUE(TraceFirst(fast, input));
  ExpectVertices(fast.AryLine, expected);
  Workspace slow;
  slow.AryLine = input;
  ASSERT_TRUE(reference::PrepareSegments(slow));
  ASSERT_TRUE(reference::TraceNextOutline(slow));
  ExpectVertices(slow.AryLine, expected);
}

TEST(TraceOutline, FourSpikesAreAllWalkedOff) {
  LineList input;
  AddSquare(input, 0, 0, 10);
  for (const TLineEnt& spike :
       {Seg(10, 3, 14, 3), Seg(10, 7, 14, 7), Seg(3, 10, 3, 14), Seg(7, 10, 7, 14)}) {
    input.push_back(spike);
  }
  Workspace ws;
  ASSERT_TRUE(TraceFirst(ws, input));
  ExpectVertices(ws.AryLine,
                 {{0, 0}, {10, 0}, {10, 3}, {10, 7}, {10, 10}, {7, 10}, {3, 10}, {0, 10}});
}

TEST(TraceOutline, EmptySegmentSetFailsAtOnce) {
  Workspace ws;
  EXPECT_FALSE(TraceOutline(ws));
  EXPECT_TRUE(ws.AryLine.empty());
  EXPECT_FALSE(TraceFirst(ws, {}));
}

TEST(TraceOutline, OpenChainFailsWithoutHanging) {
  Workspace ws;
  EXPECT_FALSE(TraceFirst(ws, {Seg(0, 0, 10, 0), Seg(10, 0, 10, 10)}));
}

TEST(SplitSegments, TJunctionIsSplitWhereTheEndMeetsTheInterior) {
  Workspace ws;
  ws.AryLine = {Seg(0, 0, 10, 0), Seg(5, 0, 5, 5)};
  SplitSegments(ws);
  ASSERT_EQ(ws.ArySeg.size(), 3u);
  EXPECT_NEAR(ws.ArySeg[0].ed.x, 5, 1e-9);
  EXPECT_NEAR(ws.ArySeg[1].st.x, 5, 1e-9);
  EXPECT_NEAR(ws.ArySeg[2].st.y, 0, 1e-9);
  EXPECT_NEAR(ws.ArySeg[2].ed.y, 5, 1e-9);
}

struct MergeCase {
  const char* name;
  LineList input;
  LineList expected;
};

TEST(MergeCollinear, OverlapsMergeOnlyWhenALaterEndLiesWithinTheEarlierSegment) {
  const MergeCase cases[] = {
      {"chain of overlaps",
       {Seg(0, 0, 2, 0), Seg(1, 0, 3, 0), Seg(2.5, 0, 4, 0)},
       {Seg(0, 0, 4, 0)}},
      {"short before long stays",
       {Seg(2, 0, 3, 0), Seg(0, 0, 10, 0)},
       {Seg(2, 0, 3, 0), Seg(0, 0, 10, 0)}},
      {"long before short merges", {Seg(0, 0, 10, 0), Seg(2, 0, 3, 0)}, {Seg(0, 0, 10, 0)}},
      {"zero length dropped but the last kept",
       {Seg(1, 1, 1, 1), Seg(0, 0, 5, 5), Seg(9, 0, 9, 0)},
       {Seg(0, 0, 5, 5), Seg(9, 0, 9, 0)}},
      {"parallel but apart",
       {Seg(0, 0, 4, 0), Seg(1, 0.02, 3, 0.02)},
       {Seg(0, 0, 4, 0), Seg(1, 0.02, 3, 0.02)}},
  };
  for (const MergeCase& c : cases) {
    Workspace ws;
    ws.AryLine = c.input;
    MergeCollinear(ws);
    ASSERT_EQ(ws.AryLine.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(ws.AryLine[i].st, c.expected[i].st) << c.name << " " << i;
      EXPECT_EQ(ws.AryLine[i].ed, c.expected[i].ed) << c.name << " " << i;
    }
  }
}

TEST(RemoveDuplicates, OnlyTheLastCopyOfARepeatedSegmentSurvives) {
  Workspace ws;
  TLineEnt first = Seg(0, 0, 1, 0);
  first.id = 7;
  ws.ArySeg = {first, Seg(5, 5, 6, 6), Seg(1, 0, 0, 0), Seg(0, 0, 1, 0.000001)};
  RemoveDuplicates(ws);
  ASSERT_EQ(ws.ArySeg.size(), 2u);
  EXPECT_EQ(ws.ArySeg[0].st, (TAcadPoint{5, 5, 0}));
  EXPECT_EQ(ws.ArySeg[1].ed, (TAcadPoint{1, 0.000001, 0}));
  EXPECT_TRUE(ws.AryLine.empty());
}

TEST(PointInOutline, BoundaryCountsAsInsideAndVerticesDoNotConfuseTheRay) {
  LineList square;
  AddSquare(square, 0, 0, 10);
  struct Case {
    TAcadPoint p;
    bool inside;
  };
  const Case cases[] = {
      {{5, 5}, true},
      {{5, 0}, true},
      {{0, 0}, true},
      {{10, 10}, true},
      {{10.001, 5}, false},
      {{-0.001, 5}, false},
      {{5, 10.001}, false},
      {{0, 5}, true},
      // The ray at angle 0 from (-5, 0) would run along the bottom edge through both
      // corners; the direction is stepped off it.
      {{-5, 0}, false},
      {{5, -0.5}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PointInOutline(c.p, 1000, square), c.inside) << c.p.x << "," << c.p.y;
  }
  // Ray from the centre of a diamond at angle 0 passes exactly through its right vertex.
  const LineList diamond = {Seg(0, -5, 5, 0), Seg(5, 0, 0, 5), Seg(0, 5, -5, 0), Seg(-5, 0, 0, -5)};
  EXPECT_TRUE(PointInOutline({0, 0}, 1000, diamond));
  EXPECT_FALSE(PointInOutline({-8, 0}, 1000, diamond));
}

TEST(TraceAllRegions, TwoSquaresFarApartAreTracedLeftmostFirst) {
  LineList input;
  AddSquare(input, 100, 0, 10);
  AddSquare(input, 0, 50, 20);
  Workspace ws;
  RegionTrace trace;
  const std::vector<LineList> outlines = TraceAll(ws, input, &trace);
  ASSERT_EQ(outlines.size(), 2u);
  EXPECT_FALSE(trace.traceFailed);
  ExpectVertices(outlines[0], {{0, 50}, {20, 50}, {20, 70}, {0, 70}});
  ExpectVertices(outlines[1], {{100, 0}, {110, 0}, {110, 10}, {100, 10}});
}

TEST(TraceAllRegions, InnerSegmentsAndIslandsInsideAnOutlineAreDropped) {
  LineList input;
  AddSquare(input, 0, 0, 100);
  AddSquare(input, 40, 40, 10);          // an island inside the first square
  input.push_back(Seg(0, 0, 100, 100));  // a diagonal through both
  Workspace ws;
  const std::vector<LineList> outlines = TraceAll(ws, input);
  ASSERT_EQ(outlines.size(), 1u);
  ExpectVertices(outlines[0], {{0, 0}, {100, 0}, {100, 100}, {0, 100}});
}

TEST(TraceAllRegions, StopsWhenAskedBeforeTheFirstTrace) {
  LineList input;
  AddSquare(input, 0, 0, 10);
  Workspace ws;
  ws.AryLine = input;
  ASSERT_TRUE(PrepareSegments(ws));
  int calls = 0;
  const RegionTrace trace = TraceAllRegions(
      ws, [] { return false; }, [&](const LineList&) { ++calls; });
  EXPECT_TRUE(trace.stopped);
  EXPECT_EQ(calls, 0);
}

TEST(PruneDangling, KeepsOnlySegmentsConnectedAtBothEnds) {
  Workspace ws;
  AddSquare(ws.ArySeg, 0, 0, 10);
  ws.ArySeg.push_back(Seg(10, 10, 20, 20));
  ws.ArySeg.push_back(Seg(30, 30, 40, 40));
  PruneDangling(ws);
  EXPECT_EQ(ws.ArySeg.size(), 4u);
}

TEST(RemoveReversePairs, MutuallyReversedSegmentsGoInPairs) {
  Workspace ws;
  ws.AryLine = {Seg(0, 0, 1, 0), Seg(1, 0, 1, 1), Seg(1, 0, 0, 0), Seg(1, 1, 1, 0)};
  RemoveReversePairs(ws);
  EXPECT_TRUE(ws.AryLine.empty());
  ws.AryLine = {Seg(0, 0, 1, 0), Seg(0, 0, 1, 0)};  // same direction: kept
  RemoveReversePairs(ws);
  EXPECT_EQ(ws.AryLine.size(), 2u);
}

TEST(BuildingSpan, LargestDistanceBetweenEndsOfDifferentSegments) {
  Workspace ws;
  ws.AryLine = {Seg(0, 0, 100, 0)};
  GetBuildingSpan(ws);
  EXPECT_EQ(ws.BuildingSpan, 0.0);  // one segment's own ends are not compared
  ws.AryLine = {Seg(0, 0, 1, 0), Seg(3, 4, 2, 2)};
  GetBuildingSpan(ws);
  EXPECT_DOUBLE_EQ(ws.BuildingSpan, 5.0);
}

TEST(Kernel, NotFiniteCoordinatesFailCleanly) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {nan, inf, -inf}) {
    LineList input;
    AddSquare(input, 0, 0, 10);
    input.push_back(Seg(bad, 0, 5, 5));
    Workspace ws;
    EXPECT_FALSE(TraceFirst(ws, input));
    EXPECT_TRUE(ws.ArySeg.empty());

    Workspace building;
    building.sun.SinLat = std::sin(0.6);
    building.sun.CosLat = std::cos(0.6);
    building.BuildingEdges = input;
    building.BuildingEdges[0].st.z = bad;
    EXPECT_EQ(MakeShadowOutline(building, 12.0, 0.0), OutlineResult::NotFinite);
  }
}

Workspace BoxBuilding(double height) {
  Workspace ws;
  SetSunState(ws.sun, SeasonDeclination(0), 36 * kPi / 180, 90.0);
  const double xs[] = {0, 10000, 10000, 0};
  const double ys[] = {0, 0, 8000, 8000};
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4;
    for (double z : {0.0, height}) {
      TLineEnt e;
      e.st = {xs[i], ys[i], z};
      e.ed = {xs[j], ys[j], z};
      ws.BuildingEdges.push_back(e);
    }
    TLineEnt vertical;
    vertical.st = {xs[i], ys[i], 0};
    vertical.ed = {xs[i], ys[i], height};
    ws.BuildingEdges.push_back(vertical);
  }
  return ws;
}

TEST(MakeShadowOutline, NoonShadowOfABoxReachesDueNorth) {
  Workspace ws = BoxBuilding(20000);
  ASSERT_EQ(MakeShadowOutline(ws, 12.0, 4000), OutlineResult::Traced);
  const SunPos noon = GetSunPos(ws.sun, 12.0, ws.sun.SunDeclination);
  double maxY = -1e300;
  for (const TLineEnt& s : ws.AryLine) maxY = std::max(maxY, s.st.y);
  EXPECT_NEAR(maxY, 8000 + 16000 * noon.ratio, 1e-6);
  // The outline is the rectangle from the footprint's south side to the shadow's north
  // side, counter-clockwise from the lower-left corner.
  EXPECT_NEAR(ws.AryLine.front().st.x, 0, 1e-9);
  EXPECT_NEAR(ws.AryLine.front().st.y, 0, 1e-9);
  double twiceArea = 0;
  for (const TLineEnt& s : ws.AryLine) {
    twiceArea += s.st.x * s.ed.y - s.ed.x * s.st.y;
    EXPECT_TRUE(std::fabs(s.st.x) < 1e-9 || std::fabs(s.st.x - 10000) < 1e-9 ||
                std::fabs(s.st.y) < 1e-9 || std::fabs(s.st.y - maxY) < 1e-9);
  }
  EXPECT_NEAR(twiceArea / 2, 10000 * maxY, 1e-3);
}

TEST(MakeShadowOutline, RefusesTimesWithoutASunAndMissingBuildings) {
  Workspace ws = BoxBuilding(20000);
  EXPECT_EQ(MakeShadowOutline(ws, 7.5, 4000), OutlineResult::InvalidTime);
  EXPECT_EQ(MakeShadowOutline(ws, 16.5, 4000), OutlineResult::InvalidTime);
  Workspace empty;
  EXPECT_EQ(MakeShadowOutline(empty, 12.0, 4000), OutlineResult::NoBuilding);
}

class RecordingProgress : public ProgressSink {
 public:
  void SetMaximum(int m) override { maxima.push_back(m); }
  void SetPosition(int p) override {
    position = p;
    highest = std::max(highest, p);
  }
  int Position() const override { return position; }
  void ProcessMessages() override { ++pumps; }
  std::vector<int> maxima;
  int position = 0;
  int highest = 0;
  int pumps = 0;
};

TEST(KernelProgress, StepsDriveTheBarOnlyWhenASinkIsSet) {
  Workspace ws = BoxBuilding(20000);
  ASSERT_EQ(MakeShadowOutline(ws, 10.0, 4000), OutlineResult::Traced);
  const LineList quiet = ws.AryLine;

  RecordingProgress progress;
  ws.KernelProgress = &progress;
  ASSERT_EQ(MakeShadowOutline(ws, 10.0, 4000), OutlineResult::Traced);
  // Merge, split, de-duplicate and trace each set a maximum and leave the bar at 0.
  ASSERT_EQ(progress.maxima.size(), 4u);
  EXPECT_LE(progress.maxima[0], 100);
  EXPECT_EQ(progress.maxima[3] % 30, 0);
  EXPECT_EQ(progress.position, 0);
  EXPECT_GT(progress.pumps, 0);
  // Progress does not change the result.
  ASSERT_EQ(ws.AryLine.size(), quiet.size());
  for (std::size_t i = 0; i < quiet.size(); ++i) EXPECT_EQ(ws.AryLine[i].st, quiet[i].st);
}

}  // namespace
}  // namespace vorn
