#include "shadows/hourly_diagram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
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

class ScriptedMonitor final : public RunMonitor {
 public:
  bool Running() override { return running; }
  void AdvanceProgress() override {
    ++advances;
    if (advances == stopAtAdvance) running = false;
  }
  void ProcessMessages() override { ++pumps; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  bool running = true;
  int advances = 0;
  int stopAtAdvance = -1;
  int pumps = 0;
  std::vector<std::string> messages;
};

Workspace BoxesAtTokyo(std::vector<std::pair<double, double>> origins) {
  Workspace ws;
  SetSunState(ws.sun, SeasonDeclination(0), LatitudeRadians(35, 41, 0), 90.0);
  for (const auto& [x0, y0] : origins) {
    const double xs[] = {x0, x0 + 10000, x0 + 10000, x0};
    const double ys[] = {y0, y0, y0 + 8000, y0 + 8000};
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      for (double z : {0.0, 20000.0}) {
        TLineEnt e;
        e.st = {xs[i], ys[i], z};
        e.ed = {xs[j], ys[j], z};
        ws.BuildingEdges.push_back(e);
      }
      TLineEnt v;
      v.st = {xs[i], ys[i], 0};
      v.ed = {xs[i], ys[i], 20000};
      ws.BuildingEdges.push_back(v);
    }
  }
  return ws;
}

int CountItems(const DxfDocument& doc, const std::string& item) {
  int n = 0;
  for (const std::string& i : doc.Items()) n += i.rfind(item, 0) == 0 ? 1 : 0;
  return n;
}

TEST(HourlyTimes, RangeAndStepAreChecked) {
  EXPECT_FALSE(CheckHourlyTimes(8.0, 16.0, 1.0));
  EXPECT_FALSE(CheckHourlyTimes(9.5, 9.5, 0.25));
  EXPECT_EQ(CheckHourlyTimes(7.5, 16.0, 1.0), std::string(kHourRangeMessage));
  EXPECT_EQ(CheckHourlyTimes(8.0, 16.5, 1.0), std::string(kHourRangeMessage));
  EXPECT_EQ(CheckHourlyTimes(8.0, 16.0, 0.0), std::string(kHourStepMessage));
  EXPECT_EQ(CheckHourlyTimes(8.0, 16.0, -1.0), std::string(kHourStepMessage));
  EXPECT_EQ(CheckHourlyTimes(8.0, 16.0, 1e-12), std::string(kHourStepMessage));
  EXPECT_FALSE(CheckHourlyTimes(8.0, 16.0, 1.0 / 60.0));
  EXPECT_EQ(HourlyTimeCount(8, 16, 1.0), 9);
  EXPECT_EQ(HourlyTimeCount(8, 16, 0.5), 17);
}

TEST(NorthmostPoint, TurnsTrueNorthUpAndTakesTheLastOfEqualVertices) {
  const LineList square = {Seg(0, 0, 10, 0), Seg(10, 0, 10, 10), Seg(10, 10, 0, 10),
                           Seg(0, 10, 0, 0)};
  // North up: the top edge's vertices tie; the later one, (0,10), wins.
  EXPECT_EQ(NorthmostPoint(square, 90.0), (TAcadPoint{0, 10, 0}));
  // North toward +x: the right edge; (10,10) comes after (10,0) in the walk.
  EXPECT_EQ(NorthmostPoint(square, 0.0), (TAcadPoint{10, 10, 0}));
  // North toward the lower left.
  EXPECT_EQ(NorthmostPoint(square, 225.0), (TAcadPoint{0, 0, 0}));
}

TEST(HourlyLabel, TimeOnlyOrWithTheAzimuthFromSouth) {
  SunPos sun;
  sun.ok = true;
  sun.azimuth = -0.72;
  EXPECT_EQ(HourlyLabel(9.0, sun, true), "09:00");
  EXPECT_EQ(HourlyLabel(9.5, sun, false), "09:30 -41.25%%d");
}

TEST(HourlyOutlines, EveryTimeGetsItsOutlinesAndHalfHoursAreDashed) {
  Workspace ws = BoxesAtTokyo({{0, 0}});
  HourlyDiagramParameters params;
  params.stepHours = 0.5;
  ScriptedMonitor monitor;
  DxfDocument doc;
  EXPECT_EQ(AppendHourlyOutlines(ws, params, monitor, doc), HourlyRunEnd::kCompleted);
  EXPECT_EQ(monitor.advances, 17);
  EXPECT_TRUE(monitor.messages.empty());
  EXPECT_EQ(CountItems(doc, "  0\r\nPOLYLINE\r\n  8\r\nVORN_JIKOKU"), 17);
  EXPECT_EQ(CountItems(doc, "  0\r\nTEXT\r\n  8\r\nVORN_JIKOKU"), 17);
  EXPECT_EQ(CountItems(doc, "  6\r\nHIDDEN2"), 8);
  EXPECT_EQ(CountItems(doc, " 30\r\n4000"), 17);   // the labels' height is the plane's
  EXPECT_EQ(CountItems(doc, " 40\r\n300.0"), 17);  // the text height as typed
  EXPECT_EQ(CountItems(doc, "  1\r\n08:30"), 1);
}

TEST(HourlyOutlines, SeparateShadowsGetSeparateOutlinesAndLabels) {
  Workspace ws = BoxesAtTokyo({{0, 0}, {200000, 0}});
  HourlyDiagramParameters params;
  params.firstHour = params.lastHour = 12.0;
  ScriptedMonitor monitor;
  DxfDocument doc;
  AppendHourlyOutlines(ws, params, monitor, doc);
  EXPECT_EQ(CountItems(doc, "  0\r\nPOLYLINE"), 2);
  EXPECT_EQ(CountItems(doc, "  1\r\n12:00"), 2);
}

TEST(HourlyOutlines, BuildingBelowThePlaneGivesItsFootprint) {
  Workspace ws = BoxesAtTokyo({{0, 0}});
  HourlyDiagramParameters params;
  params.planeHeight = 25000;
  params.firstHour = params.lastHour = 10.0;
  ScriptedMonitor monitor;
  DxfDocument doc;
  AppendHourlyOutlines(ws, params, monitor, doc);
  ASSERT_EQ(CountItems(doc, "  0\r\nPOLYLINE"), 1);
  EXPECT_EQ(CountItems(doc, "  0\r\nVERTEX"), 4);
  EXPECT_EQ(CountItems(doc, " 10\r\n10000"), 2);
}

TEST(HourlyOutlines, StopEndsTheRunWithoutMessages) {
  Workspace ws = BoxesAtTokyo({{0, 0}});
  HourlyDiagramParameters params;
  ScriptedMonitor monitor;
  monitor.stopAtAdvance = 3;
  DxfDocument doc;
  EXPECT_EQ(AppendHourlyOutlines(ws, params, monitor, doc), HourlyRunEnd::kStopped);
  EXPECT_EQ(CountItems(doc, "  0\r\nPOLYLINE"), 2);
  EXPECT_TRUE(monitor.messages.empty());
  EXPECT_TRUE(ws.AryLine.empty());
}

TEST(HourlyOutlines, CoordinatesThatAreNotNumbersEndTheRunWithTheFailureMessage) {
  Workspace ws = BoxesAtTokyo({{0, 0}});
  ws.BuildingEdges[3].ed.x = std::nan("");
  HourlyDiagramParameters params;
  ScriptedMonitor monitor;
  DxfDocument doc;
  EXPECT_EQ(AppendHourlyOutlines(ws, params, monitor, doc), HourlyRunEnd::kFailed);
  EXPECT_EQ(monitor.messages, std::vector<std::string>{kShadowFailed});
}

TEST(GetVornHani, BuildingAndItsWholeHourShadows) {
  Workspace empty;
  EXPECT_FALSE(GetVornHani(empty, 8, 16, 4000));
  Workspace ws = BoxesAtTokyo({{0, 0}});
  const auto box = GetVornHani(ws, 8.0, 16.0, 4000);
  ASSERT_TRUE(box);
  // Morning shadows reach west, afternoon ones east, all of them north.
  EXPECT_LT(box->xmin, 0);
  EXPECT_GT(box->xmax, 10000);
  EXPECT_EQ(box->ymin, 0);
  const SunPos noon = GetSunPos(ws.sun, 12.0, ws.sun.SunDeclination);
  EXPECT_GT(box->ymax, 8000 + 16000 * noon.ratio - 1e-6);
  // Only whole hours from the first time count: 8.5 to 9.4 covers 8.5 alone.
  const auto narrow = GetVornHani(ws, 8.5, 9.4, 4000);
  ASSERT_TRUE(narrow);
  EXPECT_GT(narrow->xmin, box->xmin);
}

}  // namespace
}  // namespace vorn
