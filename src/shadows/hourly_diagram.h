// The hourly shadow diagram: for each time step of the day, the outline of every separate
// shadow region on the measurement plane as a closed polyline with a time label, written into
// a DXF document; and the extent of the building with its whole-hour shadows.
#pragma once

#include <optional>
#include <string>

#include "dxf/dxf_document.h"
#include "geometry/outline_kernel.h"
#include "geometry/run_monitor.h"
#include "geometry/sun_position.h"
#include "geometry/workspace.h"

namespace vorn {

struct HourlyDiagramParameters {
  double firstHour = 8.0;
  double lastHour = 16.0;
  double stepHours = 1.0;
  double planeHeight = 4000.0;  // mm
  double northDegrees = 90.0;   // true north, counter-clockwise from +x
  std::string layer = "VORN_JIKOKU";
  std::string textHeight = "300.0";  // written as the user typed it
  bool timeOnly = true;              // label without the sun's azimuth
};

inline constexpr const char* kShadowFailed = "日影作成に失敗しました．";
inline constexpr const char* kHourRangeMessage = "時刻は8.0から16.0までの範囲で指定して下さい．";
inline constexpr const char* kHourStepMessage =
    "時間間隔には1分（0.0167）以上の値を指定して下さい．";
// The smallest step: finer steps only pile up outlines, and a step near 0 would never end.
inline constexpr double kMinimumHourStep = 1.0 / 60.0 - 1e-9;

// Why the times cannot be drawn: a first or last time outside 8-16 h has no sun position, and a
// step below one minute is refused. Empty when they are fine.
std::optional<std::string> CheckHourlyTimes(double firstHour, double lastHour, double stepHours);

// The number of times of the run, as the progress bar counts them.
int HourlyTimeCount(double firstHour, double lastHour, double stepHours);

// The outline vertex furthest toward true north (the last of equal ones).
TAcadPoint NorthmostPoint(const LineList& outline, double northDegrees);

std::string HourlyLabel(double t, const SunPos& sun, bool timeOnly);

// One traced outline and its label.
void AppendHourlyOutline(DxfDocument& doc, const LineList& outline, double t, const SunPos& sun,
                         const HourlyDiagramParameters& params);

enum class HourlyRunEnd { kCompleted, kStopped, kFailed };

// Every time from the first to the last in steps (the sun values in ws.sun already set): the
// shadow regions traced one by one into `doc`. A failing trace is reported per time and the run
// goes on; any other failure is reported and ends the loop.
HourlyRunEnd AppendHourlyOutlines(Workspace& ws, const HourlyDiagramParameters& params,
                                  RunMonitor& monitor, DxfDocument& doc);

struct PlanBox {
  double xmin = 0.0, ymin = 0.0, xmax = 0.0, ymax = 0.0;
};

// The bounding box of every building edge end and of the shadows of the ends above the plane
// at the whole hours from firstHour while not after lastHour. Nothing without a building.
std::optional<PlanBox> GetVornHani(const Workspace& ws, double firstHour, double lastHour,
                                   double planeHeight);

}  // namespace vorn
