#include "isochrones/wall_isochrones.h"

#include <algorithm>
#include <cmath>

#include "dxf/number_format.h"
#include "geometry/point_ops.h"
#include "geometry/sun_position.h"

namespace vorn {

namespace {

constexpr double kRadToDeg = 57.29577951308232;
constexpr double kWallRangeLevelHours = 1.0;  // the shortest wall level

struct ElevationExtent {
  double xmin = 0.0, ymin = 0.0, xmax = 0.0, ymax = 0.0;
  bool any = false;
  void Add(double x, double y) {
    if (!any) {
      *this = {x, y, x, y, true};
      return;
    }
    xmin = std::min(xmin, x);
    ymin = std::min(ymin, y);
    xmax = std::max(xmax, x);
    ymax = std::max(ymax, y);
  }
};

Sampling WallSampling(double firstHour, double lastHour, double stepMinutes, double x0, double y0,
                      double cell, int n) {
  Sampling s;
  s.firstHour = firstHour;
  s.lastHour = lastHour;
  s.stepMinutes = stepMinutes;
  s.map = RasterMapping{x0, y0, cell, n};
  return s;
}

void WriteText(DxfDocument& doc, const WallDiagramParameters& params, const TAcadPoint& at,
               int colour, const std::string& text, double degrees) {
  doc.Add("  0\r\nTEXT\r\n  8\r\n" + params.layer);
  doc.Add(DxfGroup(10, at.x));
  doc.Add(DxfGroup(20, at.y));
  doc.Add(" 62\r\n" + std::to_string(colour));
  doc.Add(" 40\r\n" + params.textHeight);
  doc.Add("  1\r\n" + text);
  doc.Add(" 41\r\n0.8");
  doc.Add(" 50\r\n" + FormatFixed(degrees, 4));
  doc.Add(" 72\r\n0");
  doc.Add(" 73\r\n0");
}

}  // namespace

int WallLevelColor(int K) {
  static constexpr int kColours[kWallLevelCount] = {5, 3, 6, 4, 2, 5, 3, 6};
  return K >= 0 && K < kWallLevelCount ? kColours[K] : 7;
}

std::optional<PaintBounds> WallShadowPolygons(const Workspace& ws, double t,
                                              const RasterMapping& map,
                                              std::vector<PixelPolygon>& polygons) {
  if (ws.BuildingEdges.empty() || !(map.cell > 0.0)) return std::nullopt;
  const SunPos sun = GetSunPos(ws.sun, t, ws.sun.SunDeclination);
  if (!sun.ok) return std::nullopt;
  const double d = 4.5 * kPi - (sun.azimuth + ws.sun.NorthAngle);
  const TLineEnt& wall = ws.WallLine;
  const double w = PointAngle(wall.st, wall.ed);
  const double m = WallLength(wall);
  const TAcadPoint e1 = PolarPoint(wall.st, w, -100 * m);
  const TAcadPoint e2 = PolarPoint(wall.ed, w, 100 * m);
  ElevationExtent extent;
  for (const TLineEnt& e : ws.BuildingEdges) {
    if (!(e.st.z > 0.0 || e.ed.z > 0.0)) continue;
    const TAcadPoint h1 = PolarPoint(e.st, d, e.st.z * sun.ratio);
    const TAcadPoint h2 = PolarPoint(e.ed, d, e.ed.z * sun.ratio);
    TAcadPoint c1, c2;
    if (!CrossPoint(h1, e.st, e1, e2, false, c1) || !CrossPoint(h2, e.ed, e1, e2, false, c2)) {
      continue;
    }
    if (!IsOnSegment(c1, h1, e.st) && !IsOnSegment(c2, h2, e.ed)) continue;
    const double u1 = ToWallElevation(wall, c1).x, u2 = ToWallElevation(wall, c2).x;
    const double v1 = e.st.z - PointDist(e.st, c1) / sun.ratio;
    const double v2 = e.ed.z - PointDist(e.ed, c2) / sun.ratio;
    const double v1Foot = v1 - e.st.z, v2Foot = v2 - e.ed.z;
    polygons.push_back(HullOfCorners(
        {map.Map(u1, v1), map.Map(u2, v2), map.Map(u2, v2Foot), map.Map(u1, v1Foot)}));
    extent.Add(u1, v1);
    extent.Add(u2, v2);
    extent.Add(u1, v1Foot);
    extent.Add(u2, v2Foot);
  }
  if (!extent.any) return std::nullopt;
  const auto clampTo = [&](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, map.n - 1));
  };
  return PaintBounds{clampTo(map.Column(extent.xmin)), clampTo(map.Column(extent.xmax)),
                     clampTo(map.RowOf(extent.ymax)), clampTo(map.RowOf(extent.ymin))};
}

std::optional<PaintBounds> PaintWallShadows(const Workspace& ws, double t, double x0, double y0,
                                            double cell, BitRaster& raster) {
  std::vector<PixelPolygon> polygons;
  const auto bounds =
      WallShadowPolygons(ws, t, RasterMapping{x0, y0, cell, raster.Size()}, polygons);
  if (!bounds) return std::nullopt;
  for (const PixelPolygon& p : polygons) FillPolygonReference(raster, p);
  return bounds;
}

bool SampleWallDurations(Workspace& ws, const Sampling& sampling, AccumulationMethod method,
                         const InstantHook& hook) {
  const InstantPolygons polygonsAt = [&ws, &sampling](double t, std::vector<PixelPolygon>& out) {
    return WallShadowPolygons(ws, t, sampling.map, out);
  };
  return SampleShadowDurations(ws, sampling, polygonsAt, method, hook);
}

ToujiRange GetKabeToujiHani(Workspace& ws, double firstHour, double lastHour,
                            const InstantHook& hook, AccumulationMethod method) {
  ClearDurationGrid(ws);
  const int n = kRangeRasterSize;
  ElevationBox box;
  GetKabeHani(ws, firstHour, lastHour, box);
  const double w = box.xmax - box.xmin, h = box.ymax - box.ymin;
  const double x0 = box.xmin - 0.025 * w, y0 = box.ymin - 0.025 * h;
  const double x1 = box.xmax + 0.025 * w, y1 = box.ymax + 0.025 * h;
  const double cell = (x1 - x0 > y1 - y0 ? x1 - x0 : y1 - y0) / n;
  SampleWallDurations(ws, WallSampling(firstHour, lastHour, kRangeStepMinutes, x0, y0, cell, n),
                      method, hook);
  const double threshold = kWallRangeLevelHours * 60.0 / kRangeStepMinutes;
  int cMin = n - 1, rMin = n - 1, cMax = 0, rMax = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (GridCell(ws.DurationGrid, r, c) < threshold - 1e-5) continue;
      cMin = std::min(cMin, c);
      cMax = std::max(cMax, c);
      rMin = std::min(rMin, r);
      rMax = std::max(rMax, r);
    }
  }
  return ToujiRange{x0 + cell * (cMin - 10), y0 + cell * (n - rMax - 11), x0 + cell * (cMax + 10),
                    y0 + cell * (n - rMin + 9)};
}

void AppendWallContour(DxfDocument& doc, const std::vector<TTempPoint>& contour, int K, double m,
                       double H, const WallDiagramParameters& params) {
  LineList segments;
  for (std::size_t i = 0; i < contour.size(); ++i) {
    TLineEnt s;
    s.st = contour[i].pt;
    s.ed = contour[(i + 1) % contour.size()].pt;
    segments.push_back(s);
  }
  const int colour = WallLevelColor(K);
  const std::string text = FormatFixed(kWallLevelCount - K, 1) + "Hr";
  DxfLineStyle style;
  style.colour = colour;
  bool first = true;
  for (const std::vector<TAcadPoint>& chain : WallChains(ClipToWallRect(segments, m, H))) {
    if (chain.size() <= 1) continue;
    std::vector<DxfVertex> vertices;
    for (const TAcadPoint& p : chain) vertices.push_back({p.x, p.y, std::nullopt});
    AddDxfPolyline(doc, params.layer, vertices, false, style);
    // The first chain is labelled at its end, facing back along its last segment; later ones
    // at their start, along their first segment.
    const TAcadPoint& from = first ? chain.back() : chain.front();
    const double a =
        first ? PointAngle(chain.back(), chain[chain.size() - 2]) : PointAngle(chain[0], chain[1]);
    first = false;
    WriteText(doc, params, PolarPoint(from, a + kPi / 4, 0.2 * params.textHeightValue), colour,
              text, a * kRadToDeg);
  }
}

WallIsochroneEnd DrawKabeTouji(Workspace& ws, const WallIsochroneParameters& params,
                               RunMonitor& monitor, const WallIsochroneView& view,
                               DxfDocument& doc) {
  const ElapsedTime elapsed;
  const double H = WallHeight(ws.WallLine);
  const double m = WallLength(ws.WallLine);
  const ToujiRange range =
      GetKabeToujiHani(ws, params.firstHour, params.lastHour, {}, params.sampling);
  view.progress(0, 0);
  const double stepMinutes = EvalSecondsFor(params.stepItem) / 60.0;
  ClearDurationGrid(ws);
  const int n = MeshSizeFor(params.stepItem);
  const double cell = range.CellFor(n);
  view.meshLabel("ﾒｯｼｭｻｲｽﾞ :" + FormatFixed(cell, 1));
  view.progressLabel("");
  if (!(cell > 0.0)) return WallIsochroneEnd::kNoRange;

  BitRaster raster(n);
  const Sampling sampling = WallSampling(params.firstHour, params.lastHour, stepMinutes,
                                         range.txmin, range.tymin, cell, n);
  const int count = sampling.Count();
  const bool sampled = SampleWallDurations(ws, sampling, params.sampling, [&](int k, double t) {
    view.progressLabel("時刻：" + TimeToHM(t));
    view.progress(count, k + 1);
    monitor.ProcessMessages();
    return monitor.Running();
  });
  int written = 0;
  bool stopped = !sampled;
  if (sampled) {
    view.progress(kWallLevelCount, 0);
    for (int K = 0; K < kWallLevelCount; ++K) {
      const double hours = kWallLevelCount - K;
      view.progress(kWallLevelCount, K + 1);
      view.progressLabel("時間：" + std::to_string(kWallLevelCount - K) + ".0Hr");
      monitor.ProcessMessages();
      if (!monitor.Running()) {
        stopped = true;
        break;
      }
      LevelTraceParameters level;
      // As on the ground: a level that fills the period is reached by the cells shaded at
      // every sampled instant, the period's two ends never being sampled.
      level.threshold = LevelThreshold(hours, stepMinutes, params.lastHour - params.firstHour);
      level.n = n;
      level.x0 = range.txmin;
      level.y0 = range.tymin;
      level.cell = cell;
      level.borderMessage = false;
      level.levelText = FormatFixed(hours, 1) + "Hr";
      level.smoothing = params.smoothing;  // the ground's smoothing box plays no part here
      const LevelTraceResult traced = TraceLevelContours(
          ws.DurationGrid, raster, level, monitor, [](const std::string&) {},
          [&](const std::vector<TTempPoint>& contour) {
            if (!monitor.Running() || contour.size() < 2) return;
            AppendWallContour(doc, contour, K, m, H, params.drawing);
            ++written;
          });
      if (traced.stopped) {
        stopped = true;
        break;
      }
    }
  }
  view.progress(kWallLevelCount, 0);
  view.progressLabel("所要時間 : " + elapsed.Text());
  view.meshLabel("ﾒｯｼｭｻｲｽﾞ : " + FormatFixed(cell, 1));
  if (stopped || !monitor.Running()) return WallIsochroneEnd::kStopped;
  return written > 0 ? WallIsochroneEnd::kDrawn : WallIsochroneEnd::kNothingDrawn;
}

}  // namespace vorn
