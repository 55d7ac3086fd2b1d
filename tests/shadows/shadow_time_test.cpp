// The shadow time at points: the step and sample rules, the shadow test of one quadrilateral,
// the period bookkeeping, the fast form against the reference, and the run against an
// independent oracle (textbook sun, shapely union) for buildings with separate wings.
#include "shadows/shadow_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/form_fixture.h"
#include "dxf/number_format.h"
#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"
#include "python_checks.h"

namespace vorn {
namespace {

using Plan = std::vector<std::pair<double, double>>;

// A prism over a closed plan outline: bottom, top and vertical edges, as acquisition makes
// them from a thick closed polyline.
void AddPrism(LineList& edges, const Plan& outline, double height, double base = 0.0) {
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const auto [x1, y1] = outline[i];
    const auto [x2, y2] = outline[(i + 1) % outline.size()];
    TLineEnt bottom, top, side;
    bottom.st = {x1, y1, base};
    bottom.ed = {x2, y2, base};
    top.st = {x1, y1, base + height};
    top.ed = {x2, y2, base + height};
    side.st = {x1, y1, base};
    side.ed = {x1, y1, base + height};
    edges.push_back(bottom);
    edges.push_back(top);
    edges.push_back(side);
  }
}

Plan Box(double x, double y, double w, double d) {
  return {{x, y}, {x + w, y}, {x + w, y + d}, {x, y + d}};
}

Plan Rotated(const Plan& plan, double cx, double cy, double degrees) {
  const double a = degrees * kPi / 180.0;
  Plan out;
  for (const auto& [x, y] : plan) {
    out.push_back({cx + (x - cx) * std::cos(a) - (y - cy) * std::sin(a),
                   cy + (x - cx) * std::sin(a) + (y - cy) * std::cos(a)});
  }
  return out;
}

Plan Polygon(double cx, double cy, double r, int sides) {
  Plan out;
  for (int i = 0; i < sides; ++i) {
    const double a = 2 * kPi * i / sides;
    out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return out;
}

struct Sky {
  double latitude;  // degrees
  int season;       // 0 winter, 1 equinox, 2 summer
  double north;     // degrees
};

SunState SunFor(const Sky& sky) {
  SunState sun;
  SetSunState(sun, SeasonDeclination(sky.season), LatitudeRadians(sky.latitude, 0, 0), sky.north);
  return sun;
}

TEST(ShadowTimeSteps, StepItemsTenthAndTheZeroRule) {
  struct Case {
    int item;
    bool tenth;
    double minutes;
  };
  const Case cases[] = {
      {0, false, 10 / 60.0}, {1, false, 0.5}, {2, false, 1.0},         {3, false, 2.0},
      {0, true, 1 / 60.0},   {1, true, 0.05}, {-1, false, 1.0 / 60.0}, {4, true, 1.0 / 60.0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(EvaluationStepMinutes(c.item, c.tenth), c.minutes) << c.item << c.tenth;
  }
}

TEST(ShadowTimeSteps, SampleCountsOfTheFullDay) {
  EXPECT_EQ(PointTimeSampleCount(8, 16, EvaluationStepMinutes(2, false)), 480);
  EXPECT_EQ(PointTimeSampleCount(8, 16, EvaluationStepMinutes(0, false)), 2880);
  EXPECT_EQ(PointTimeSampleCount(8, 16, EvaluationStepMinutes(0, true)), 28800);
  EXPECT_EQ(PointTimeSampleCount(9, 9, 0.5), 0);
  EXPECT_EQ(PointTimeSampleCount(10, 9, 0.5), 0);
  EXPECT_DOUBLE_EQ(PointTimeSample(8, 0.5, 3), 8.025);
}

TEST(ShadowQuadTest, InsideOnTheEdgeAndOutside) {
  // A wall from (0,0) to (10,0), 10 high, shadow thrown 20 along +y.
  TLineEnt edge;
  edge.st = {0, 0, 10};
  edge.ed = {10, 0, 10};
  const ShadowQuad q = MakeShadowQuad(edge, 0.0, kPi / 2, 2.0);
  struct Case {
    TAcadPoint p;
    bool inside;
  };
  const Case cases[] = {
      {{5, 10, 0}, true},        {{0, 0, 0}, true},         {{10, 20, 0}, true},
      {{5, 0, 0}, true},         {{5, 20, 0}, true},        {{0, 7, 0}, true},
      {{5, 20.000005, 0}, true},  // within the tolerance of the shadow edge
      {{5, 20.00002, 0}, false}, {{-0.00002, 5, 0}, false}, {{11, 5, 0}, false},
      {{5, -1, 0}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PointInShadowQuad(c.p, q), c.inside) << c.p.x << "," << c.p.y;
  }
}

TEST(ShadowQuadTest, DegenerateQuadrilateralsHoldOnlyTheirSegment) {
  // A vertical edge: footprint a point, the shadow a segment from it.
  TLineEnt pole;
  pole.st = {0, 0, 0};
  pole.ed = {0, 0, 10};
  const ShadowQuad q = MakeShadowQuad(pole, 0.0, 0.0, 1.0);
  EXPECT_TRUE(PointInShadowQuad({5, 0, 0}, q));
  EXPECT_TRUE(PointInShadowQuad({10, 0, 0}, q));
  EXPECT_FALSE(PointInShadowQuad({10.001, 0, 0}, q));
  EXPECT_FALSE(PointInShadowQuad({-0.001, 0, 0}, q));
  EXPECT_FALSE(PointInShadowQuad({5, 0.001, 0}, q));
  // An edge lying along the shadow direction: everything collinear.
  TLineEnt along;
  along.st = {0, 0, 10};
  along.ed = {4, 0, 10};
  const ShadowQuad line = MakeShadowQuad(along, 0.0, 0.0, 1.0);
  EXPECT_TRUE(PointInShadowQuad({13, 0, 0}, line));
  EXPECT_FALSE(PointInShadowQuad({15, 0, 0}, line));
  EXPECT_FALSE(PointInShadowQuad({-1, 0, 0}, line));
  // Below the plane: only the footprint.
  TLineEnt low;
  low.st = {0, 0, 1};
  low.ed = {10, 0, 1};
  const ShadowQuad footprint = MakeShadowQuad(low, 2.0, kPi / 2, 1.0);
  EXPECT_TRUE(PointInShadowQuad({3, 0, 0}, footprint));
  EXPECT_FALSE(PointInShadowQuad({3, 0.5, 0}, footprint));
}

std::vector<std::string> Times(const PointShadowRecord& r) {
  return {r.cells.begin() + 1, r.cells.end()};
}

TEST(ShadowRecordTest, PeriodsEntriesExitsAndTheClosingTime) {
  // Samples at 8:00, 8:30, ... with W = 30 minutes; state string per sample.
  struct Case {
    const char* states;
    const char* total;
    std::vector<std::string> times;
  };
  const Case cases[] = {
      {"0000", "00:00'00\"", {"", "", "", "", "", ""}},
      {"1111", "02:00'00\"", {"08:00'00\"", "10:00'00\"", "", "", "", ""}},
      {"0110", "01:00'00\"", {"08:30'00\"", "09:30'00\"", "", "", "", ""}},
      {"1010101",
       "02:00'00\"",
       {"08:00'00\"", "08:30'00\"", "09:00'00\"", "09:30'00\"", "10:00'00\"", "10:30'00\""}},
      // A fourth period counts in the total but is not listed.
      {"10101011",
       "02:30'00\"",
       {"08:00'00\"", "08:30'00\"", "09:00'00\"", "09:30'00\"", "10:00'00\"", "10:30'00\""}},
      {"0101", "01:00'00\"", {"08:30'00\"", "09:00'00\"", "09:30'00\"", "10:00'00\"", "", ""}},
  };
  for (const Case& c : cases) {
    PointShadowRecord r;
    const std::string states = c.states;
    for (std::size_t i = 0; i < states.size(); ++i) {
      const double t = PointTimeSample(8.0, 30.0, static_cast<int>(i));
      RecordShadowSample(r, states[i] == '1', TimeToHMS(t));
      if (i + 1 == states.size()) CloseShadowRecord(r, 30.0, t);
    }
    EXPECT_EQ(r.cells[0], c.total) << c.states;
    EXPECT_EQ(Times(r), c.times) << c.states;
  }
}

// The monitor of a run in a test: counts, and stops after `stopAfter` samples.
class CountingMonitor final : public RunMonitor {
 public:
  explicit CountingMonitor(int stopAfter = -1) : stopAfter_(stopAfter) {}
  bool Running() override { return stopAfter_ < 0 || asked_++ < stopAfter_; }
  void AdvanceProgress() override { ++progress; }
  void ProcessMessages() override { ++pumped; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  int progress = 0;
  int pumped = 0;
  std::vector<std::string> messages;

 private:
  int stopAfter_;
  int asked_ = 0;
};

std::vector<PointTimeRow> Rows(const std::vector<TAcadPoint>& points) {
  std::vector<PointTimeRow> rows;
  for (const TAcadPoint& p : points) rows.push_back({true, p, {}});
  return rows;
}

struct Site {
  const char* name;
  LineList edges;
  std::vector<TAcadPoint> points;
};

// Points around the buildings: a ring around each footprint vertex and edge midpoint at
// several distances, the vertices and midpoints themselves (on the outline), and a spread
// of points north of the site.
std::vector<TAcadPoint> PointsAround(const LineList& edges, unsigned seed) {
  std::vector<TAcadPoint> points;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> spread(-30000.0, 30000.0);
  for (const TLineEnt& e : edges) {
    if (e.st.z != 0.0 || e.ed.z != 0.0) continue;
    points.push_back({e.st.x, e.st.y, 0});
    points.push_back({(e.st.x + e.ed.x) / 2, (e.st.y + e.ed.y) / 2, 0});
    if (points.size() > 12) break;
  }
  double cx = 0, cy = 0;
  for (const TLineEnt& e : edges) {
    cx += e.st.x / static_cast<double>(edges.size());
    cy += e.st.y / static_cast<double>(edges.size());
  }
  for (int i = 0; i < 12; ++i) points.push_back({cx + spread(random), cy + spread(random), 0});
  return points;
}

std::vector<Site> Sites() {
  std::vector<Site> sites;
  {
    Site s{"box", {}, {}};
    AddPrism(s.edges, Box(10000, 10000, 20000, 10000), 15000);
    sites.push_back(s);
  }
  {
    Site s{"two wings", {}, {}};
    AddPrism(s.edges, Box(10000, 10000, 10000, 30000), 12000);
    AddPrism(s.edges, Box(40000, 10000, 10000, 30000), 20000);
    sites.push_back(s);
  }
  {
    Site s{"L and tower on podium", {}, {}};
    AddPrism(s.edges,
             {{25000, 20000},
              {55000, 20000},
              {55000, 30000},
              {35000, 30000},
              {35000, 40000},
              {25000, 40000}},
             15000);
    AddPrism(s.edges, Box(60000, 20000, 12000, 12000), 8000);
    AddPrism(s.edges, Box(63000, 23000, 6000, 6000), 30000, 8000);
    sites.push_back(s);
  }
  {
    Site s{"rotated block and round tower", {}, {}};
    AddPrism(s.edges, Rotated(Box(10000, 10000, 25000, 8000), 20000, 14000, 27), 18000);
    AddPrism(s.edges, Polygon(50000, 15000, 3000, 36), 25000);
    sites.push_back(s);
  }
  for (std::size_t i = 0; i < sites.size(); ++i) {
    sites[i].points = PointsAround(sites[i].edges, static_cast<unsigned>(i + 1));
  }
  return sites;
}

const Sky kSkies[] = {{35.68, 0, 90}, {43.0, 1, 75}, {26.2, 2, 120}};

TEST(ShadowStateForms, FastStatesEqualTheReferenceOnVariedSites) {
  for (const Site& site : Sites()) {
    for (const Sky& sky : kSkies) {
      const SunState sun = SunFor(sky);
      std::vector<double> times;
      for (int i = 0; i < 25; ++i) times.push_back(PointTimeSample(8.0, 20.0, i));
      times.push_back(7.5);  // no sun: no shadow in either form
      for (const double h : {0.0, 4000.0}) {
        std::vector<uint8_t> reference, fast1, fast3;
        ShadowStatesReference(site.edges, sun, h, times, site.points, reference);
        ShadowStatesFast(site.edges, sun, h, times, site.points, fast1, 1);
        ShadowStatesFast(site.edges, sun, h, times, site.points, fast3, 3);
        EXPECT_EQ(fast1, reference) << site.name << " " << sky.latitude << " h " << h;
        EXPECT_EQ(fast3, reference) << site.name << " " << sky.latitude << " h " << h;
        int inside = 0;
        for (uint8_t s : reference) inside += s;
        EXPECT_GT(inside, 0) << site.name;
        EXPECT_LT(inside, static_cast<int>(reference.size())) << site.name;
        EXPECT_EQ(reference.back() + 0, 0);
      }
    }
  }
}

TEST(ShadowStateForms, RunsOfBothFormsGiveIdenticalRecords) {
  const Site site = Sites()[1];
  Workspace ws;
  ws.BuildingEdges = site.edges;
  ws.sun = SunFor(kSkies[0]);
  PointTimeParameters params;
  params.stepMinutes = 2.0;
  params.planeHeight = 1500.0;
  std::vector<PointTimeRow> fast = Rows(site.points);
  std::vector<PointTimeRow> reference = fast;
  CountingMonitor m1, m2;
  EXPECT_EQ(RunPointTimes(ws, params, m1, fast), PointTimeRunEnd::kCompleted);
  params.referenceForm = true;
  EXPECT_EQ(RunPointTimes(ws, params, m2, reference), PointTimeRunEnd::kCompleted);
  for (std::size_t k = 0; k < fast.size(); ++k) {
    EXPECT_EQ(fast[k].record.cells, reference[k].record.cells) << k;
  }
  EXPECT_EQ(m1.pumped, 240);
  EXPECT_EQ(m1.progress, 239);
}

TEST(ShadowTimeRun, StoppedRunKeepsWhatItFoundAndWritesNoTotals) {
  LineList edges;
  AddPrism(edges, Box(0, 0, 10000, 10000), 20000);
  Workspace ws;
  ws.BuildingEdges = edges;
  ws.sun = SunFor(kSkies[0]);
  PointTimeParameters params;
  params.stepMinutes = 30.0;
  std::vector<PointTimeRow> rows = Rows({{5000, 10000, 0}, {5000, 5000000, 0}});
  rows.insert(rows.begin() + 1, PointTimeRow{});  // a row without coordinates
  CountingMonitor monitor(3);
  EXPECT_EQ(RunPointTimes(ws, params, monitor, rows), PointTimeRunEnd::kStopped);
  EXPECT_EQ(monitor.pumped, 3);
  EXPECT_EQ(rows[0].record.time(0), "08:00'00\"");
  EXPECT_EQ(rows[0].record.total(), "");
  EXPECT_EQ(rows[0].record.time(1), "");
  for (const auto& cell : rows[1].record.cells) EXPECT_EQ(cell, "");
  EXPECT_EQ(rows[2].record.time(0), "");
}

TEST(ShadowTimeRun, TenthStepRoundsEntryTimesUpToFiveSeconds) {
  // A pole's shadow sweeps over a point: with a one-second step the entry falls at any second
  // and is shown rounded up to a multiple of five.
  LineList edges;
  AddPrism(edges, Box(0, 0, 200, 200), 30000);
  Workspace ws;
  ws.BuildingEdges = edges;
  ws.sun = SunFor(kSkies[0]);
  PointTimeParameters params;
  params.firstHour = 9.0;
  params.lastHour = 12.0;
  params.stepMinutes = EvaluationStepMinutes(0, true);
  std::vector<PointTimeRow> rows = Rows({{-9000, 40000, 0}, {-7000, 45000, 0}});
  CountingMonitor monitor;
  RunPointTimes(ws, params, monitor, rows);
  for (const PointTimeRow& row : rows) {
    const std::string entry = row.record.time(0);
    ASSERT_EQ(entry.size(), 9u);
    EXPECT_EQ((entry[7] - '0') % 5, 0) << entry;
    // The entry is the first whole second in shadow, rounded up.
    std::vector<uint8_t> states;
    int first = -1;
    std::vector<double> times;
    for (int i = 0; i < 3 * 3600; ++i) times.push_back(PointTimeSample(9.0, params.stepMinutes, i));
    ShadowStatesFast(edges, ws.sun, 0.0, times, {row.p}, states, 2);
    for (std::size_t i = 0; i < states.size() && first < 0; ++i) {
      if (states[i]) first = static_cast<int>(i);
    }
    ASSERT_GT(first, 0);
    EXPECT_EQ(entry, TimeToHMS(times[static_cast<std::size_t>(first)]));
    // Rounded up to five seconds from the second TimeToHMS reads, which its truncation may
    // put one below the sample's own second.
    const int shown = std::stoi(entry.substr(3, 2)) * 60 + std::stoi(entry.substr(6, 2));
    const int sampled =
        static_cast<int>(std::lround((times[static_cast<std::size_t>(first)] -
                                      std::trunc(times[static_cast<std::size_t>(first)])) *
                                     3600.0));
    EXPECT_GE(shown, sampled - 1);
    EXPECT_LT(shown, sampled + 5);
  }
}

TEST(ShadowTimeRun, FourPeriodsAreCountedAndThreeListed) {
  // Four slim towers south of the point, at sun azimuths -40, -15, 15 and 40 degrees.
  LineList edges;
  for (const double az : {-40.0, -15.0, 15.0, 40.0}) {
    const double a = az * kPi / 180.0;
    const double x = -10000.0 * std::sin(a);
    const double y = -10000.0 * std::cos(a);
    AddPrism(edges, Box(x - 500, y - 500, 1000, 1000), 40000);
  }
  Workspace ws;
  ws.BuildingEdges = edges;
  ws.sun = SunFor(kSkies[0]);
  PointTimeParameters params;
  params.stepMinutes = 1.0;
  std::vector<PointTimeRow> rows = Rows({{0, 0, 0}});
  CountingMonitor monitor;
  RunPointTimes(ws, params, monitor, rows);
  const PointShadowRecord& r = rows[0].record;
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(r.cells[static_cast<std::size_t>(i + 1)].empty()) << i;
  // The total holds the fourth period too: more than the three listed ones.
  const auto minutes = [](const std::string& s) {
    return std::stoi(s.substr(0, 2)) * 60 + std::stoi(s.substr(3, 2));
  };
  int listed = 0;
  for (int i = 0; i < 3; ++i) listed += minutes(r.cells[2 + 2 * i]) - minutes(r.cells[1 + 2 * i]);
  EXPECT_GT(minutes(r.cells[0]), listed);
}

TEST(ShadowTimeRun, PointsNeverAndAlwaysInShadow) {
  LineList edges;
  AddPrism(edges, Box(0, 0, 10000, 10000), 20000);
  Workspace ws;
  ws.BuildingEdges = edges;
  ws.sun = SunFor(kSkies[0]);
  PointTimeParameters params;
  params.stepMinutes = 10.0;
  // Far south never; on the north wall (the outline itself) always.
  std::vector<PointTimeRow> rows = Rows({{5000, -50000, 0}, {5000, 10000, 0}});
  CountingMonitor monitor;
  RunPointTimes(ws, params, monitor, rows);
  EXPECT_EQ(rows[0].record.total(), "00:00'00\"");
  EXPECT_EQ(Times(rows[0].record), std::vector<std::string>(6));
  EXPECT_EQ(rows[1].record.total(), "08:00'00\"");
  EXPECT_EQ(Times(rows[1].record),
            (std::vector<std::string>{"08:00'00\"", "16:00'00\"", "", "", "", ""}));
}

// The fault the per-point test mends: the traced outline holds only the region at the lower
// left, so a point in the shadow of a second, separate building read as lit; a courtyard that
// the shadow encloses read as shaded.
TEST(ShadowTimeRun, SecondRegionIsShadowAndAnEnclosedCourtyardIsLit) {
  const SunState sun = SunFor(kSkies[0]);
  const double noon = 12.0;
  {
    Workspace ws;
    ws.sun = sun;
    AddPrism(ws.BuildingEdges, Box(0, 0, 10000, 10000), 20000);
    AddPrism(ws.BuildingEdges, Box(60000, 0, 10000, 10000), 20000);
    const TAcadPoint p{65000, 15000, 0};
    ASSERT_EQ(MakeShadowOutline(ws, noon, 0.0), OutlineResult::Traced);
    EXPECT_FALSE(PointInOutline(p, 100 * ws.BuildingSpan, ws.AryLine)) << "the old reading";
    std::vector<uint8_t> states;
    ShadowStatesFast(ws.BuildingEdges, sun, 0.0, {noon}, {p}, states, 1);
    EXPECT_EQ(states, std::vector<uint8_t>{1});
  }
  {
    // A low ring of buildings around a wide courtyard: the ring's shadows enclose the
    // courtyard's southern half, which the sun still reaches.
    Workspace ws;
    ws.sun = sun;
    AddPrism(ws.BuildingEdges, Box(0, 0, 60000, 5000), 3000);
    AddPrism(ws.BuildingEdges, Box(0, 55000, 60000, 5000), 3000);
    AddPrism(ws.BuildingEdges, Box(0, 5000, 5000, 50000), 3000);
    AddPrism(ws.BuildingEdges, Box(55000, 5000, 5000, 50000), 3000);
    const TAcadPoint courtyard{30000, 20000, 0};
    ASSERT_EQ(MakeShadowOutline(ws, noon, 0.0), OutlineResult::Traced);
    EXPECT_TRUE(PointInOutline(courtyard, 100 * ws.BuildingSpan, ws.AryLine)) << "the old reading";
    std::vector<uint8_t> states;
    ShadowStatesFast(ws.BuildingEdges, sun, 0.0, {noon}, {courtyard, {30000, 6000, 0}}, states, 1);
    EXPECT_EQ(states, (std::vector<uint8_t>{0, 1}));
  }
}

// The oracle: the same runs computed independently in Python from the textbook sun and
// shapely's union of the shadow quadrilaterals and footprints.
TEST(ShadowTimeOracle, EntryExitTimesAndTotalsMatchTheUnion) {
  VORN_SKIP_WITHOUT_PYTHON();
  testing::TempFolder temp;
  const Sky skies[] = {{35.68, 0, 90}, {34.0, 2, 100}};
  const std::vector<Site> sites = Sites();
  std::vector<std::vector<PointTimeRow>> runs;
  std::ostringstream json;
  json.precision(17);
  json << "[";
  for (std::size_t si = 0; si < 3; ++si) {
    const Site& site = sites[si];
    const Sky& sky = skies[si % 2];
    Workspace ws;
    ws.BuildingEdges = site.edges;
    ws.sun = SunFor(sky);
    PointTimeParameters params;
    params.firstHour = 8.5;
    params.lastHour = 15.5;
    params.stepMinutes = 5.0;
    params.planeHeight = si == 1 ? 4000.0 : 0.0;
    runs.push_back(Rows(site.points));
    CountingMonitor monitor;
    RunPointTimes(ws, params, monitor, runs.back());

    json << (si ? ", " : "") << "{\"lat\": " << sky.latitude
         << ", \"decl\": " << SeasonDeclination(sky.season) << ", \"north\": " << sky.north
         << ", \"plane\": " << params.planeHeight << ", \"first\": " << params.firstHour
         << ", \"last\": " << params.lastHour << ", \"step\": " << params.stepMinutes
         << ", \"edges\": [";
    for (std::size_t i = 0; i < site.edges.size(); ++i) {
      const TLineEnt& e = site.edges[i];
      json << (i ? ", " : "") << "[" << e.st.x << ", " << e.st.y << ", " << e.st.z << ", " << e.ed.x
           << ", " << e.ed.y << ", " << e.ed.z << "]";
    }
    json << "], \"points\": [";
    for (std::size_t i = 0; i < site.points.size(); ++i) {
      json << (i ? ", " : "") << "[" << site.points[i].x << ", " << site.points[i].y << "]";
    }
    json << "]}";
  }
  json << "]";
  const auto input = temp.path() / "cases.json";
  const auto output = temp.path() / "expected.tsv";
  testing::WriteFile(input, json.str());
  const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR +
                              "/tests/shadows/point_times_oracle.py " + input.string() + " > " +
                              output.string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << testing::ReadFile(output);
  std::istringstream lines(testing::ReadFile(output));
  for (std::size_t si = 0; si < runs.size(); ++si) {
    int shaded = 0;
    for (const PointTimeRow& row : runs[si]) {
      std::string line;
      ASSERT_TRUE(std::getline(lines, line)) << sites[si].name;
      std::string got;
      for (std::size_t c = 0; c < row.record.cells.size(); ++c) {
        got += (c ? "\t" : "") + row.record.cells[c];
      }
      EXPECT_EQ(got, line) << sites[si].name << " point " << row.p.x << "," << row.p.y;
      if (!row.record.time(0).empty()) ++shaded;
    }
    EXPECT_GT(shaded, 3) << sites[si].name;
  }
}

}  // namespace
}  // namespace vorn
