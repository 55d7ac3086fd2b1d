#include "geometry/outline_kernel.h"

#include <cmath>
#include <utility>

#include "geometry/outline_kernel_internal.h"
#include "geometry/point_ops.h"

namespace vorn {

using kernel_detail::AllFinite;
using kernel_detail::AppendPieces;
using kernel_detail::ExtendedCopies;
using kernel_detail::KeepMarked;
using kernel_detail::kEps;
using kernel_detail::kPointChunk;
using kernel_detail::kSegmentChunk;
using kernel_detail::Length;
using kernel_detail::MergesWith;
using kernel_detail::PushChunked;
using kernel_detail::Same;
using kernel_detail::SameEnds;
using kernel_detail::StepProgress;
using kernel_detail::WayOn;

namespace reference {

void MergeCollinear(Workspace& ws) {
  LineList& lines = ws.AryLine;
  const std::size_t n = lines.size();
  if (n == 0) return;
  StepProgress progress(ws.KernelProgress, n);
  ws.AryMerge.clear();
  for (std::size_t b = 0; b + 1 < n; ++b) {
    progress.Advance(b);
    const TLineEnt base = lines[b];
    const double length = Length(base);
    if (length <= kEps) continue;
    bool merged = false;
    for (std::size_t h = b + 1; h < n && !merged; ++h) {
      TLineEnt& later = lines[h];
      if (!MergesWith(base, length, later)) continue;
      const TAcadPoint st = later.st;
      const TAcadPoint ed = later.ed;
      FarthestPair(base.st, base.ed, st, ed, later.st, later.ed);
      merged = true;
    }
    if (!merged) PushChunked(ws.AryMerge, base, kSegmentChunk);
  }
  PushChunked(ws.AryMerge, lines[n - 1], kSegmentChunk);
  lines.assign(ws.AryMerge.begin(), ws.AryMerge.end());
}

void GetBuildingSpan(Workspace& ws) {
  const LineList& lines = ws.AryLine;
  double span = 0.0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      const TLineEnt& a = lines[i];
      const TLineEnt& b = lines[j];
      for (double d : {PointDist(a.st, b.ed), PointDist(a.st, b.st), PointDist(a.ed, b.ed),
                       PointDist(a.ed, b.st)}) {
        if (d > span) span = d;
      }
    }
  }
  ws.BuildingSpan = span;
}

void SortPointsByDist(std::vector<TTempPoint>& points, const TAcadPoint& from) {
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    double d = PointDist(from, points[i].pt);
    for (std::size_t j = i + 1; j < points.size(); ++j) {
      const double dj = PointDist(from, points[j].pt);
      if (d > dj) {
        std::swap(points[i], points[j]);
        d = dj;
      }
    }
  }
}

void SplitSegments(Workspace& ws) {
  const LineList& lines = ws.AryLine;
  const std::size_t n = lines.size();
  const LineList extended = ExtendedCopies(lines);
  StepProgress progress(ws.KernelProgress, n);
  ws.ArySeg.clear();
  ws.ArySeg.reserve(kSegmentChunk);
  std::vector<TTempPoint>& points = ws.AryPoint;
  for (std::size_t i = 0; i < n; ++i) {
    progress.Advance(i);
    points.clear();
    points.reserve(kPointChunk);
    PushChunked(points, TTempPoint{0, lines[i].st, {}}, kPointChunk);
    for (std::size_t k = 0; k < n; ++k) {
      TAcadPoint crossing;
      if (k != i && CrossPoint(extended[i].st, extended[i].ed, extended[k].st, extended[k].ed, true,
                               crossing)) {
        PushChunked(points, TTempPoint{0, crossing, {}}, kPointChunk);
      }
    }
    PushChunked(points, TTempPoint{0, lines[i].ed, {}}, kPointChunk);
    reference::SortPointsByDist(points, lines[i].st);
    AppendPieces(points, ws.ArySeg);
  }
}

void RemoveDuplicates(Workspace& ws) {
  LineList& segs = ws.ArySeg;
  const std::size_t n = segs.size();
  if (n == 0) return;
  StepProgress progress(ws.KernelProgress, n);
  LineList& kept = ws.AryLine;
  kept.clear();
  for (std::size_t b = 0; b + 1 < n; ++b) {
    progress.Advance(b);
    bool repeated = false;
    for (std::size_t g = b + 1; g < n && !repeated; ++g) repeated = SameEnds(segs[b], segs[g]);
    if (!repeated) PushChunked(kept, segs[b], kSegmentChunk);
  }
  PushChunked(kept, segs[n - 1], kSegmentChunk);
  segs.assign(kept.begin(), kept.end());
  kept.clear();
}

}  // namespace reference

void GetMinCorner(Workspace& ws) {
  const LineList& segs = ws.ArySeg;
  if (segs.empty()) return;
  TAcadPoint corner{segs[0].st.x, segs[0].st.y, segs[0].st.z};
  for (const TLineEnt& s : segs) {
    for (const TAcadPoint* p : {&s.st, &s.ed}) {
      if (p->x < corner.x) corner.x = p->x;
      if (p->y < corner.y) corner.y = p->y;
    }
  }
  ws.MinCorner = corner;
}

TAcadPoint FindTraceStart(const Workspace& ws) {
  TAcadPoint best = ws.MinCorner;
  bool found = false;
  double bestDist = 0.0;
  for (const TLineEnt& s : ws.ArySeg) {
    for (const TAcadPoint* p : {&s.st, &s.ed}) {
      if (!(std::fabs(p->x - ws.MinCorner.x) < kEps)) continue;
      const double d = PointDist(*p, ws.MinCorner);
      if (!found || d < bestDist) {
        best = *p;
        bestDist = d;
        found = true;
      }
    }
  }
  return best;
}

double TurnAngle(const TAcadPoint& prev, const TAcadPoint& vertex, const TAcadPoint& candidate) {
  double t = PointAngle(vertex, candidate) - PointAngle(vertex, prev);
  if (t < 0) t += 2 * kPi;
  if (t >= 2 * kPi) t -= 2 * kPi;
  return t;
}

namespace reference {

bool TraceOutline(Workspace& ws) {
  const LineList& segs = ws.ArySeg;
  return kernel_detail::WalkOutline(ws, [&segs](const TAcadPoint& prev, const TAcadPoint& cur) {
    WayOn way(prev, cur);
    for (const TLineEnt& s : segs) way.Offer(s);
    return way;
  });
}

}  // namespace reference

namespace reference {

namespace {

// The first ray direction, in steps of half a degree, that passes through no segment end.
double ClearRayDirection(const TAcadPoint& p, const LineList& segments) {
  const double step = kPi / 360.0;
  for (int k = 0; k < 720; ++k) {
    const double f = k * step;
    bool clear = true;
    for (const TLineEnt& s : segments) {
      if (std::fabs(PointAngle(p, s.st) - f) < kEps || std::fabs(PointAngle(p, s.ed) - f) < kEps) {
        clear = false;
        break;
      }
    }
    if (clear) return f;
  }
  return 2 * kPi;
}

}  // namespace

bool PointInOutline(const TAcadPoint& p, double reach, const LineList& segments) {
  const double f = ClearRayDirection(p, segments);
  const TAcadPoint far = PolarPoint(p, f, reach * 1000.0);
  std::vector<TAcadPoint> crossings;
  for (const TLineEnt& s : segments) {
    if (Same(p, s.st) || Same(p, s.ed)) return true;
    const TAcadPoint w = PolarPoint(p, PointAngle(s.st, s.ed) + kPi / 2, 100.0);
    TAcadPoint foot;
    if (CrossPoint(p, w, s.st, s.ed, false, foot) && Same(foot, p) && IsOnSegment(p, s.st, s.ed)) {
      return true;
    }
    TAcadPoint x;
    if (!CrossPoint(p, far, s.st, s.ed, true, x)) continue;
    if (Same(x, p)) return true;
    bool known = false;
    for (const TAcadPoint& c : crossings) known = known || Same(c, x);
    if (!known) crossings.push_back(x);
  }
  return crossings.size() % 2 == 1;
}

void RemoveEnclosed(Workspace& ws) {
  for (TLineEnt& s : ws.ArySeg) {
    s.id = 0;
    if (reference::PointInOutline(s.st, ws.BuildingSpan, ws.AryLine) ||
        reference::PointInOutline(s.ed, ws.BuildingSpan, ws.AryLine)) {
      s.id = -1;
    }
  }
  KeepMarked(ws.ArySeg, ws.AryKeep);
}

}  // namespace reference

namespace reference {

void PruneDangling(Workspace& ws) {
  LineList& segs = ws.ArySeg;
  for (TLineEnt& s : segs) s.id = -2;
  for (std::size_t i = 0; i < segs.size(); ++i) {
    bool stConnected = false;
    bool edConnected = false;
    for (std::size_t j = 0; j < segs.size(); ++j) {
      if (j == i) continue;
      stConnected = stConnected || Same(segs[i].st, segs[j].st) || Same(segs[i].st, segs[j].ed);
      edConnected = edConnected || Same(segs[i].ed, segs[j].st) || Same(segs[i].ed, segs[j].ed);
      if (stConnected && edConnected) {
        segs[i].id = 0;
        break;
      }
    }
  }
  KeepMarked(segs, ws.AryKeep);
}

void RemoveReversePairs(Workspace& ws) {
  LineList& lines = ws.AryLine;
  if (lines.size() < 2) return;
  for (TLineEnt& s : lines) s.id = 0;
  bool marked = false;
  for (std::size_t j = 0; j < lines.size(); ++j) {
    for (std::size_t k = j + 1; k < lines.size(); ++k) {
      if (Same(lines[j].st, lines[k].ed) && Same(lines[j].ed, lines[k].st)) {
        lines[j].id = -1;
        lines[k].id = -1;
        marked = true;
        break;
      }
    }
  }
  if (marked) KeepMarked(lines, ws.AryKeep);
}

}  // namespace reference

void AppendFootprints(const LineList& edges, LineList& out) {
  for (const TLineEnt& e : edges) {
    TLineEnt footprint;
    footprint.st = {e.st.x, e.st.y, 0.0};
    footprint.ed = {e.ed.x, e.ed.y, 0.0};
    PushChunked(out, footprint, kSegmentChunk);
  }
}

void AppendEdgeShadow(const TLineEnt& edge, double h, double direction, double ratio,
                      LineList& out) {
  TLineEnt shadow;
  shadow.st = ShadowPoint(edge.st, h, direction, ratio);
  shadow.ed = ShadowPoint(edge.ed, h, direction, ratio);
  TLineEnt startSide;
  startSide.st = shadow.st;
  startSide.ed = {edge.st.x, edge.st.y, 0.0};
  TLineEnt endSide;
  endSide.st = shadow.ed;
  endSide.ed = {edge.ed.x, edge.ed.y, 0.0};
  PushChunked(out, shadow, kSegmentChunk);
  PushChunked(out, startSide, kSegmentChunk);
  PushChunked(out, endSide, kSegmentChunk);
}

namespace {

// The steps the sequences below are made of: the fast forms or the straightforward ones.
struct FastSteps {
  static void MergeCollinear(Workspace& ws) { vorn::MergeCollinear(ws); }
  static void GetBuildingSpan(Workspace& ws) { vorn::GetBuildingSpan(ws); }
  static void SplitSegments(Workspace& ws) { vorn::SplitSegments(ws); }
  static void RemoveDuplicates(Workspace& ws) { vorn::RemoveDuplicates(ws); }
  static bool TraceOutline(Workspace& ws) { return vorn::TraceOutline(ws); }
  static void RemoveEnclosed(Workspace& ws) { vorn::RemoveEnclosed(ws); }
  static void PruneDangling(Workspace& ws) { vorn::PruneDangling(ws); }
};

struct ReferenceSteps {
  static void MergeCollinear(Workspace& ws) { reference::MergeCollinear(ws); }
  static void GetBuildingSpan(Workspace& ws) { reference::GetBuildingSpan(ws); }
  static void SplitSegments(Workspace& ws) { reference::SplitSegments(ws); }
  static void RemoveDuplicates(Workspace& ws) { reference::RemoveDuplicates(ws); }
  static bool TraceOutline(Workspace& ws) { return reference::TraceOutline(ws); }
  static void RemoveEnclosed(Workspace& ws) { reference::RemoveEnclosed(ws); }
  static void PruneDangling(Workspace& ws) { reference::PruneDangling(ws); }
};

template <typename Steps>
bool PrepareSegmentsWith(Workspace& ws) {
  if (!AllFinite(ws.AryLine)) {
    ws.AryLine.clear();
    ws.ArySeg.clear();
    return false;
  }
  Steps::MergeCollinear(ws);
  Steps::GetBuildingSpan(ws);
  ws.BuildingSpan *= 1000.0;
  ws.ArySeg.clear();
  Steps::SplitSegments(ws);
  Steps::RemoveDuplicates(ws);
  return true;
}

template <typename Steps>
bool TraceNextOutlineWith(Workspace& ws) {
  GetMinCorner(ws);
  ws.TraceFrom = ws.MinCorner;
  ws.TraceStart = FindTraceStart(ws);
  ws.AryLine.clear();
  return Steps::TraceOutline(ws);
}

template <typename Steps>
void DropTracedRegionWith(Workspace& ws) {
  Steps::RemoveEnclosed(ws);
  Steps::PruneDangling(ws);
  std::size_t before = 0;
  do {
    before = ws.ArySeg.size();
    if (before <= 3) break;
    Steps::PruneDangling(ws);
  } while (ws.ArySeg.size() != before);
}

template <typename Steps>
RegionTrace TraceAllRegionsWith(Workspace& ws, const std::function<bool()>& keepGoing,
                                const std::function<void(const LineList& outline)>& onOutline) {
  RegionTrace result;
  while (true) {
    if (!keepGoing()) {
      result.stopped = true;
      break;
    }
    if (!TraceNextOutlineWith<Steps>(ws)) {
      result.traceFailed = true;
      break;
    }
    onOutline(ws.AryLine);
    ++result.outlines;
    const std::size_t before = ws.ArySeg.size();
    DropTracedRegionWith<Steps>(ws);
    // Every traced outline removes its own segments; a set that did not shrink would be
    // traced again forever.
    if (ws.ArySeg.size() >= before) {
      result.traceFailed = true;
      break;
    }
    if (ws.ArySeg.size() < 3) break;
  }
  result.segmentsLeft = ws.ArySeg.size();
  return result;
}

template <typename Steps>
OutlineResult MakeShadowOutlineWith(Workspace& ws, double t, double h) {
  if (ws.BuildingEdges.empty()) return OutlineResult::NoBuilding;
  if (!AllFinite(ws.BuildingEdges) || !std::isfinite(h)) return OutlineResult::NotFinite;
  const SunPos sun = GetSunPos(ws.sun, t, ws.sun.SunDeclination);
  if (!sun.ok) return OutlineResult::InvalidTime;
  ws.AryLine.clear();
  ws.AryLine.reserve(ws.BuildingEdges.size() * 4 + kSegmentChunk);
  AppendFootprints(ws.BuildingEdges, ws.AryLine);
  const double direction = ShadowDirection(ws.sun, sun);
  for (const TLineEnt& edge : ws.BuildingEdges) {
    AppendEdgeShadow(edge, h, direction, sun.ratio, ws.AryLine);
  }
  if (!PrepareSegmentsWith<Steps>(ws)) return OutlineResult::NotFinite;
  return TraceNextOutlineWith<Steps>(ws) ? OutlineResult::Traced : OutlineResult::TraceFailed;
}

}  // namespace

bool PrepareSegments(Workspace& ws) { return PrepareSegmentsWith<FastSteps>(ws); }
bool TraceNextOutline(Workspace& ws) { return TraceNextOutlineWith<FastSteps>(ws); }
void DropTracedRegion(Workspace& ws) { DropTracedRegionWith<FastSteps>(ws); }
RegionTrace TraceAllRegions(Workspace& ws, const std::function<bool()>& keepGoing,
                            const std::function<void(const LineList& outline)>& onOutline) {
  return TraceAllRegionsWith<FastSteps>(ws, keepGoing, onOutline);
}
OutlineResult MakeShadowOutline(Workspace& ws, double t, double h) {
  return MakeShadowOutlineWith<FastSteps>(ws, t, h);
}

namespace reference {

bool PrepareSegments(Workspace& ws) { return PrepareSegmentsWith<ReferenceSteps>(ws); }
bool TraceNextOutline(Workspace& ws) { return TraceNextOutlineWith<ReferenceSteps>(ws); }
void DropTracedRegion(Workspace& ws) { DropTracedRegionWith<ReferenceSteps>(ws); }
RegionTrace TraceAllRegions(Workspace& ws, const std::function<bool()>& keepGoing,
                            const std::function<void(const LineList& outline)>& onOutline) {
  return TraceAllRegionsWith<ReferenceSteps>(ws, keepGoing, onOutline);
}
OutlineResult MakeShadowOutline(Workspace& ws, double t, double h) {
  return MakeShadowOutlineWith<ReferenceSteps>(ws, t, h);
}

}  // namespace reference

}  // namespace vorn
