#include "shadows/hourly_diagram.h"

#include <cmath>
#include <exception>

#include "dxf/number_format.h"
#include "geometry/point_ops.h"

namespace vorn {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

bool HasFraction(double t) { return t - std::trunc(t) > 0.0; }

void Extend(PlanBox& box, const TAcadPoint& p) {
  box.xmin = std::min(box.xmin, p.x);
  box.ymin = std::min(box.ymin, p.y);
  box.xmax = std::max(box.xmax, p.x);
  box.ymax = std::max(box.ymax, p.y);
}

// The input segments of one time: footprints, then each edge's shadow and sides. False when
// the run was stopped meanwhile (AryLine is then empty).
bool FillShadowSegments(Workspace& ws, const SunPos& sun, double h, RunMonitor& monitor) {
  ws.AryLine.clear();
  AppendFootprints(ws.BuildingEdges, ws.AryLine);
  const double direction = ShadowDirection(ws.sun, sun);
  for (const TLineEnt& edge : ws.BuildingEdges) {
    if (!monitor.Running()) {
      ws.AryLine.clear();
      return false;
    }
    monitor.ProcessMessages();
    AppendEdgeShadow(edge, h, direction, sun.ratio, ws.AryLine);
  }
  return true;
}

}  // namespace

std::optional<std::string> CheckHourlyTimes(double firstHour, double lastHour, double stepHours) {
  if (!(stepHours >= kMinimumHourStep)) return std::string(kHourStepMessage);
  if (!IsSunTime(firstHour) || !IsSunTime(lastHour)) return std::string(kHourRangeMessage);
  return std::nullopt;
}

int HourlyTimeCount(double firstHour, double lastHour, double stepHours) {
  return static_cast<int>(std::trunc((lastHour - firstHour) / stepHours)) + 1;
}

TAcadPoint NorthmostPoint(const LineList& outline, double northDegrees) {
  const double turn = northDegrees * kPi / 180.0 - kPi / 2;
  const TAcadPoint origin{};
  const auto rotatedY = [&](const TAcadPoint& v) {
    return PolarPoint(origin, PointAngle(origin, v) - turn, PointDist(origin, v)).y;
  };
  TAcadPoint best;
  bool found = false;
  double bestY = 0.0;
  for (const TLineEnt& s : outline) {
    const double y = rotatedY(s.st);
    if (!found || y >= bestY) {
      best = s.st;
      bestY = y;
      found = true;
      continue;
    }
    const double yEnd = rotatedY(s.ed);
    if (yEnd >= bestY) {
      best = s.ed;
      bestY = yEnd;
    }
  }
  return best;
}

std::string HourlyLabel(double t, const SunPos& sun, bool timeOnly) {
  if (timeOnly) return TimeToHM(t);
  return TimeToHM(t) + " " + FormatFixed(sun.azimuth * kRadToDeg, 2) + "%%d";
}

void AppendHourlyOutline(DxfDocument& doc, const LineList& outline, double t, const SunPos& sun,
                         const HourlyDiagramParameters& params) {
  std::vector<DxfVertex> vertices;
  for (const TLineEnt& s : outline) vertices.push_back({s.st.x, s.st.y, std::nullopt});
  DxfLineStyle style;
  style.hidden2 = HasFraction(t);
  AddDxfPolyline(doc, params.layer, vertices, true, style, params.planeHeight);

  const TAcadPoint label = NorthmostPoint(outline, params.northDegrees);
  doc.Add("  0\r\nTEXT\r\n  8\r\n" + params.layer);
  doc.Add(DxfGroup(10, label.x));
  doc.Add(DxfGroup(20, label.y));
  doc.Add(DxfGroup(30, params.planeHeight));
  doc.Add(" 40\r\n" + params.textHeight);
  doc.Add("  1\r\n" + HourlyLabel(t, sun, params.timeOnly));
  doc.Add(" 41\r\n0.8");
}

HourlyRunEnd AppendHourlyOutlines(Workspace& ws, const HourlyDiagramParameters& params,
                                  RunMonitor& monitor, DxfDocument& doc) {
  const double h = params.planeHeight;
  for (double t = params.firstHour; t <= params.lastHour; t += params.stepHours) {
    try {
      monitor.AdvanceProgress();
      if (!monitor.Running()) {
        ws.AryLine.clear();
        return HourlyRunEnd::kStopped;
      }
      monitor.ProcessMessages();
      const SunPos sun = GetSunPos(ws.sun, t, ws.sun.SunDeclination);
      if (!FillShadowSegments(ws, sun, h, monitor)) continue;
      if (!PrepareSegments(ws)) {
        monitor.ShowMessage(kShadowFailed);  // a coordinate that is not a number
        return HourlyRunEnd::kFailed;
      }
      const RegionTrace trace = TraceAllRegions(
          ws, [&] { return monitor.Running(); },
          [&](const LineList& outline) { AppendHourlyOutline(doc, outline, t, sun, params); });
      if (trace.traceFailed && monitor.Running() && trace.segmentsLeft > 3) {
        monitor.ShowMessage(TimeToHMS(t) + " " + kShadowFailed);
      }
    } catch (const std::exception&) {
      monitor.ShowMessage(kShadowFailed);
      return HourlyRunEnd::kFailed;
    }
  }
  return monitor.Running() ? HourlyRunEnd::kCompleted : HourlyRunEnd::kStopped;
}

std::optional<PlanBox> GetVornHani(const Workspace& ws, double firstHour, double lastHour,
                                   double planeHeight) {
  if (ws.BuildingEdges.empty()) return std::nullopt;
  const TAcadPoint first = ws.BuildingEdges.front().st;
  PlanBox box{first.x, first.y, first.x, first.y};
  for (const TLineEnt& e : ws.BuildingEdges) {
    Extend(box, e.st);
    Extend(box, e.ed);
  }
  for (double t = firstHour; t <= lastHour; t += 1.0) {
    const SunPos sun = GetSunPos(ws.sun, t, ws.sun.SunDeclination);
    if (!sun.ok) continue;  // no shadow without a sun position
    const double direction = ShadowDirection(ws.sun, sun);
    for (const TLineEnt& e : ws.BuildingEdges) {
      for (const TAcadPoint* p : {&e.st, &e.ed}) {
        if (p->z > planeHeight) Extend(box, ShadowPoint(*p, planeHeight, direction, sun.ratio));
      }
    }
  }
  return box;
}

}  // namespace vorn
