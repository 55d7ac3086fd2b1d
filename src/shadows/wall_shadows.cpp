#include "shadows/wall_shadows.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "dxf/number_format.h"
#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"
#include "geometry/sun_position.h"

namespace vorn {

namespace {

bool HasFraction(double t) { return t - std::trunc(t) > 0.0; }

// The shadow direction of the wall runs: reduced below 2*pi, and 0 within 1e-5 of it.
double WallShadowDirection(const SunState& sun, const SunPos& pos) {
  double d = 4.5 * kPi - (pos.azimuth + sun.NorthAngle);
  while (d >= 2 * kPi) d -= 2 * kPi;
  if (std::fabs(d) < 1e-5) d = 0.0;
  return d;
}

// Does the ground shadow of some edge end reach the wall's line prolonged each way?
bool ReachesWall(const LineList& edges, const TLineEnt& wall, double d, double ratio) {
  const double m = WallLength(wall);
  const TAcadPoint e1 = PolarPoint(wall.st, PointAngle(wall.ed, wall.st), 100 * m);
  const TAcadPoint e2 = PolarPoint(wall.ed, PointAngle(wall.st, wall.ed), 100 * m);
  TAcadPoint hit;
  for (const TLineEnt& e : edges) {
    for (const TAcadPoint* p : {&e.st, &e.ed}) {
      TAcadPoint s = PolarPoint(*p, d, p->z * ratio);
      s.z = 0.0;
      if (CrossPoint(*p, s, e1, e2, true, hit)) return true;
    }
  }
  return false;
}

// Where the sun ray through the top end p meets the wall plane, at its height there.
bool WallHit(const TAcadPoint& p, const TLineEnt& wall, double d, double tanAltitude,
             TAcadPoint& out) {
  if (!CrossPoint(p, PolarPoint(p, d, 100), wall.st, wall.ed, false, out)) return false;
  out.z = p.z - PointDist(out, p) * tanAltitude;
  return true;
}

void AddSegment(LineList& list, const TAcadPoint& a, const TAcadPoint& b) {
  TLineEnt s;
  s.st = a;
  s.ed = b;
  list.push_back(s);
}

// Moves the end `p` (outside the limit) onto the line through a and b.
void MoveOnto(TLineEnt& s, TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b) {
  TAcadPoint crossing;
  if (CrossPoint(s.st, s.ed, a, b, false, crossing)) {
    crossing.z = 0.0;
    p = crossing;
  }
}

// One limit of the wall face: drops the segment when both ends are beyond it, moves the end
// beyond it onto it otherwise. False when dropped.
template <class Beyond>
bool ClipAt(TLineEnt& s, Beyond beyond, const TAcadPoint& a, const TAcadPoint& b) {
  const bool st = beyond(s.st);
  const bool ed = beyond(s.ed);
  if (st && ed) return false;
  if (st) MoveOnto(s, s.st, a, b);
  if (ed) MoveOnto(s, s.ed, a, b);
  return true;
}

std::string FrameLine(const WallDiagramParameters& params) {
  return "  0\r\nLINE\r\n  8\r\n" + params.frameLayer;
}

}  // namespace

std::optional<TLineEnt> OrientWall(const TLineEnt& picked, const TAcadPoint& buildingPoint) {
  TLineEnt wall = picked;
  const double a = PointAngle(wall.st, wall.ed);
  const TAcadPoint p = PolarPoint(buildingPoint, a + kPi / 2, 100);
  TAcadPoint foot;
  if (!CrossPoint(wall.st, wall.ed, buildingPoint, p, false, foot)) return std::nullopt;
  const double towardBuilding = PointAngle(foot, buildingPoint);
  const TAcadPoint middle{(wall.st.x + wall.ed.x) / 2, (wall.st.y + wall.ed.y) / 2, 0.0};
  const TAcadPoint q = PolarPoint(middle, towardBuilding, 100);
  if (TurnAngle(q, middle, wall.st) - kPi / 2 < 1e-5) std::swap(wall.st, wall.ed);
  return wall;
}

TLineEnt WallWithHeights(TLineEnt wall, double gbzmax, double thickness) {
  for (TAcadPoint* end : {&wall.st, &wall.ed}) {
    // The thickness drawn with the wall says how high it is; only a wall drawn with neither
    // height nor thickness stands as high as the building.
    if (thickness > end->z) end->z = thickness;
    if (end->z == 0.0) end->z = gbzmax;
  }
  return wall;
}

double WallLength(const TLineEnt& wall) { return PointDist(wall.st, wall.ed); }

double WallHeight(const TLineEnt& wall) {
  if (wall.st.z > 0.0 || wall.ed.z > 0.0) return std::max(wall.st.z, wall.ed.z);
  return kDefaultWallHeight;
}

TAcadPoint ToWallElevation(const TLineEnt& wall, const TAcadPoint& p) {
  const double w = PointAngle(wall.st, wall.ed);
  const TAcadPoint r = PolarPoint(wall.st, w - PointAngle(wall.st, p), PointDist(p, wall.st));
  return {r.x - wall.st.x, p.z, 0.0};
}

void BuildWallQuads(Workspace& ws, double t, bool reachTest) {
  const SunPos sun = GetSunPos(ws.sun, t, ws.sun.SunDeclination);
  if (!sun.ok) return;  // no sun, no shadow
  const double d = WallShadowDirection(ws.sun, sun);
  const double tanAltitude = 1.0 / sun.ratio;
  const TLineEnt& wall = ws.WallLine;
  if (reachTest && !ReachesWall(ws.BuildingEdges, wall, d, sun.ratio)) return;
  for (const TLineEnt& e : ws.BuildingEdges) {
    TAcadPoint a, b;
    if (!WallHit(e.st, wall, d, tanAltitude, a) || !WallHit(e.ed, wall, d, tanAltitude, b)) {
      continue;
    }
    TAcadPoint aFoot = a, bFoot = b;
    aFoot.z -= e.st.z;
    bFoot.z -= e.ed.z;
    AddSegment(ws.AryLine, a, b);
    AddSegment(ws.AryLine, a, aFoot);
    AddSegment(ws.AryLine, b, bFoot);
    AddSegment(ws.AryLine, aFoot, bFoot);
  }
}

double WallNorthAngle(double northDegrees) {
  double angle = 4.5 * kPi - northDegrees * kPi / 180.0;
  if (!std::isfinite(angle)) return angle;
  while (angle >= 2 * kPi) angle -= 2 * kPi;
  if (std::fabs(angle) < 1e-5) angle = 0.0;
  return angle;
}

bool MakeKabeLine(Workspace& ws, double northDegrees, double t, bool reachTest) {
  ws.AryLine.clear();
  if (ws.BuildingEdges.empty()) return false;
  ws.sun.NorthAngle = WallNorthAngle(northDegrees);
  BuildWallQuads(ws, t, reachTest);
  for (TLineEnt& s : ws.AryLine) {
    s.st = ToWallElevation(ws.WallLine, s.st);
    s.ed = ToWallElevation(ws.WallLine, s.ed);
  }
  if (ws.AryLine.empty() || !PrepareSegments(ws)) return false;
  return TraceNextOutline(ws) && !ws.AryLine.empty();
}

void GetKabeHani(Workspace& ws, double firstHour, double lastHour, ElevationBox& box) {
  if (ws.BuildingEdges.empty()) return;
  for (double t = firstHour; t <= lastHour; t += 1.0) {
    ws.AryLine.clear();
    BuildWallQuads(ws, t, true);
    for (const TLineEnt& s : ws.AryLine) {
      for (const TAcadPoint& p : {s.st, s.ed}) {
        const TAcadPoint e = ToWallElevation(ws.WallLine, p);
        box.xmin = std::min(box.xmin, e.x);
        box.ymin = std::min(box.ymin, e.y);
        box.xmax = std::max(box.xmax, e.x);
        box.ymax = std::max(box.ymax, e.y);
      }
    }
  }
  ws.AryLine.clear();
}

LineList ClipToWallRect(const LineList& segments, double m, double H) {
  LineList kept;
  for (TLineEnt s : segments) {
    if (SamePoint2D(s.st, s.ed, kSamePointTol)) continue;
    if (!ClipAt(s, [](const TAcadPoint& p) { return p.y < 0.0; }, {0, 0, 0}, {100, 0, 0})) {
      continue;
    }
    if (H > 0.0 &&
        !ClipAt(s, [H](const TAcadPoint& p) { return p.y > H; }, {0, H, 0}, {100, H, 0})) {
      continue;
    }
    if (!ClipAt(s, [](const TAcadPoint& p) { return p.x < 0.0; }, {0, 0, 0}, {0, 100, 0})) {
      continue;
    }
    if (!ClipAt(s, [m](const TAcadPoint& p) { return p.x > m; }, {m, 0, 0}, {m, 100, 0})) {
      continue;
    }
    kept.push_back(s);
  }
  return kept;
}

std::vector<std::vector<TAcadPoint>> WallChains(const LineList& kept) {
  std::vector<std::vector<TAcadPoint>> chains;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i == 0 || !SamePoint2D(kept[i].st, kept[i - 1].ed, kSamePointTol)) {
      chains.push_back({kept[i].st});
    }
    chains.back().push_back(kept[i].ed);
  }
  return chains;
}

void AppendWallFrame(DxfDocument& doc, double m, double H, const WallDiagramParameters& params) {
  const std::string colour = " 62\r\n" + std::to_string(kWallFrameColour);
  const int firstHeight = params.onWallLine ? 1 : 0;
  const int heights = static_cast<int>(std::trunc(H / 1000.0));
  for (int i = firstHeight; i <= heights; ++i) {
    doc.Add(FrameLine(params));
    doc.Add(colour);
    if (i % 2 == 1) doc.Add("  6\r\nHIDDEN2");
    doc.Add(" 10\r\n0.0");
    doc.Add(DxfGroup(20, 1000.0 * i));
    doc.Add(" 30\r\n0.0");
    doc.Add(DxfGroup(11, m));
    doc.Add(DxfGroup(21, 1000.0 * i));
    doc.Add(" 31\r\n0.0");
  }
  const auto vertical = [&](double u) {
    doc.Add(FrameLine(params));
    doc.Add(colour);
    doc.Add(DxfGroup(10, u));
    doc.Add(DxfGroup(20, 0.0));
    doc.Add(" 30\r\n0.0");
    doc.Add(DxfGroup(11, u));
    doc.Add(DxfGroup(21, H));
    doc.Add(" 31\r\n0.0");
  };
  const int lengths = static_cast<int>(std::trunc(m / 5000.0));
  for (int i = 0; i <= lengths; ++i) vertical(5000.0 * i);
  vertical(m);
}

void AppendWallOutline(DxfDocument& doc, const LineList& outline, double t, double m, double H,
                       const WallDiagramParameters& params) {
  const std::vector<std::vector<TAcadPoint>> chains = WallChains(ClipToWallRect(outline, m, H));
  DxfLineStyle style;
  style.hidden2 = HasFraction(t);
  bool first = true;
  for (const std::vector<TAcadPoint>& chain : chains) {
    if (chain.size() <= 1) continue;
    std::vector<DxfVertex> vertices;
    for (const TAcadPoint& p : chain) vertices.push_back({p.x, p.y, std::nullopt});
    AddDxfPolyline(doc, params.layer, vertices, false, style);
    const TAcadPoint at =
        PolarPoint(first ? chain.back() : chain.front(), -kPi / 4, 0.2 * params.textHeightValue);
    first = false;
    doc.Add("  0\r\nTEXT\r\n  8\r\n" + params.layer);
    doc.Add(DxfGroup(10, at.x));
    doc.Add(DxfGroup(20, at.y));
    doc.Add(DxfGroup(11, at.x));
    doc.Add(DxfGroup(21, at.y));
    doc.Add(" 40\r\n" + params.textHeight);
    doc.Add("  1\r\n" + TimeToHM(t));
    doc.Add(" 41\r\n0.8");
    doc.Add(" 50\r\n0.0");
    doc.Add(" 72\r\n0");
    doc.Add(" 73\r\n3");
  }
}

bool DrawKabeLine(Workspace& ws, const WallDiagramParameters& params, RunMonitor& monitor,
                  DxfDocument& doc) {
  if (ws.BuildingEdges.empty()) return false;
  const double m = WallLength(ws.WallLine);
  const double H = WallHeight(ws.WallLine);
  AppendWallFrame(doc, m, H, params);
  for (double t = params.firstHour; t <= params.lastHour; t += params.stepHours) {
    monitor.AdvanceProgress();
    monitor.ProcessMessages();
    if (!MakeKabeLine(ws, params.northDegrees, t, true)) continue;
    while (true) {
      const LineList outline = ws.AryLine;
      const std::size_t before = ws.ArySeg.size();
      DropTracedRegion(ws);
      AppendWallOutline(doc, outline, t, m, H, params);
      // A set that did not shrink would be traced again forever; a trace that fails leaves
      // no outline worth drawing.
      if (ws.ArySeg.size() < 3 || ws.ArySeg.size() >= before) break;
      if (!TraceNextOutline(ws)) break;
    }
  }
  ws.AryLine.clear();
  ws.AryKeep.clear();
  return true;
}

}  // namespace vorn
