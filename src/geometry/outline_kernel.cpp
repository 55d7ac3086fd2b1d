#include "geometry/outline_kernel.h"

#include <cmath>
#include <utility>

#include "geometry/point_ops.h"

namespace vorn {

namespace {

constexpr double kEps = kSamePointTol;
constexpr std::size_t kSegmentChunk = 1000;
constexpr std::size_t kPointChunk = 100;

bool Same(const TAcadPoint& p, const TAcadPoint& q) { return SamePoint2D(p, q, kEps); }

double Length(const TLineEnt& s) { return PointDist(s.st, s.ed); }

// Grows a list in the chunks the steps allocate in, so a step allocates a bounded number of
// times however long its output gets.
template <typename T>
void PushChunked(std::vector<T>& list, T value, std::size_t chunk) {
  if (list.size() == list.capacity()) list.reserve(list.capacity() + chunk);
  list.push_back(std::move(value));
}

// Progress of one pass over a list: one advance per element for short lists, otherwise one
// per hundredth. Only while the workspace has a progress sink.
class StepProgress {
 public:
  StepProgress(ProgressSink* sink, std::size_t length) : sink_(sink) {
    if (sink_ == nullptr) return;
    every_ = length <= 100 ? 1 : length / 100;
    sink_->SetMaximum(static_cast<int>(length <= 100 ? length : 100));
  }
  ~StepProgress() {
    if (sink_ != nullptr) sink_->SetPosition(0);
  }
  StepProgress(const StepProgress&) = delete;
  StepProgress& operator=(const StepProgress&) = delete;

  void Advance(std::size_t index) {
    if (sink_ == nullptr || (index + 1) % every_ != 0) return;
    sink_->SetPosition(sink_->Position() + 1);
    sink_->ProcessMessages();
  }

 private:
  ProgressSink* sink_;
  std::size_t every_ = 1;
};

bool OneEndWithin(const TLineEnt& b, const TAcadPoint& p, double length) {
  return std::fabs(PointDist(b.st, p) + PointDist(b.ed, p) - length) < kEps;
}

// Rebuilds `list` from the elements marked 0, keeping their order, through `keep`.
void KeepMarked(LineList& list, LineList& keep) {
  keep.clear();
  for (const TLineEnt& s : list) {
    if (s.id == 0) PushChunked(keep, s, kSegmentChunk);
  }
  list.assign(keep.begin(), keep.end());
}

bool IsFinite(const TAcadPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool AllFinite(const LineList& lines) {
  for (const TLineEnt& s : lines) {
    if (!IsFinite(s.st) || !IsFinite(s.ed)) return false;
  }
  return true;
}

}  // namespace

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
      if (!IsOnLine(base.st, base.ed, later.st, later.ed)) continue;
      if (!OneEndWithin(base, later.st, length) && !OneEndWithin(base, later.ed, length)) continue;
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
  // Extending each segment by epsilon at both ends makes crossings at shared endpoints and
  // T-junctions count; the slivers this creates near the ends are dropped below.
  LineList extended(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = PointAngle(lines[i].st, lines[i].ed);
    extended[i].st = PolarPoint(lines[i].st, a, -kEps);
    extended[i].ed = PolarPoint(lines[i].ed, a, kEps);
  }
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
    SortPointsByDist(points, lines[i].st);
    for (std::size_t j = 0; j + 1 < points.size(); ++j) {
      if (Same(points[j].pt, points[j + 1].pt)) continue;
      TLineEnt piece;
      piece.st = points[j].pt;
      piece.ed = points[j + 1].pt;
      PushChunked(ws.ArySeg, piece, kSegmentChunk);
    }
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
    for (std::size_t g = b + 1; g < n && !repeated; ++g) {
      repeated = (Same(segs[b].st, segs[g].st) && Same(segs[b].ed, segs[g].ed)) ||
                 (Same(segs[b].st, segs[g].ed) && Same(segs[b].ed, segs[g].st));
    }
    if (!repeated) PushChunked(kept, segs[b], kSegmentChunk);
  }
  PushChunked(kept, segs[n - 1], kSegmentChunk);
  segs.assign(kept.begin(), kept.end());
  kept.clear();
}

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

namespace {

// The trace's progress: thirty turns of the bar per segment (at most a hundred), wrapping.
class TraceProgress {
 public:
  TraceProgress(ProgressSink* sink, std::size_t count) : sink_(sink) {
    if (sink_ == nullptr) return;
    maximum_ = 30 * static_cast<int>(count < 100 ? count : 100);
    sink_->SetMaximum(maximum_);
  }
  ~TraceProgress() {
    if (sink_ != nullptr) sink_->SetPosition(0);
  }
  TraceProgress(const TraceProgress&) = delete;
  TraceProgress& operator=(const TraceProgress&) = delete;

  void Advance() {
    if (sink_ == nullptr) return;
    const int next = sink_->Position() + 1;
    sink_->SetPosition(next >= maximum_ ? 0 : next);
    sink_->ProcessMessages();
  }

 private:
  ProgressSink* sink_;
  int maximum_ = 0;
};

// One step of the walk: the way on from cur with the smallest counter-clockwise turn from
// the way back to prev. Equal turns keep the first segment in list order.
struct WayOn {
  TAcadPoint next;
  TAcadPoint match;
};

WayOn FindWayOn(const LineList& segs, const TAcadPoint& prev, const TAcadPoint& cur) {
  WayOn way{prev, cur};
  double best = 2 * kPi;
  for (const TLineEnt& s : segs) {
    if (Same(s.st, cur) && !Same(s.ed, prev)) {
      const double t = TurnAngle(prev, cur, s.ed);
      if (best > t) way = {s.ed, s.st}, best = t;
    } else if (Same(s.ed, cur) && !Same(s.st, prev)) {
      const double t = TurnAngle(prev, cur, s.st);
      if (best > t) way = {s.st, s.ed}, best = t;
    }
  }
  return way;
}

}  // namespace

bool TraceOutline(Workspace& ws) {
  LineList& outline = ws.AryLine;
  LineList& segs = ws.ArySeg;
  TAcadPoint cur = ws.TraceStart;
  TAcadPoint prev = ws.TraceFrom;
  outline.clear();
  outline.reserve(kSegmentChunk);
  const std::size_t count = segs.size();
  for (TLineEnt& s : segs) s.id = 0;
  if (count == 0) return false;

  TraceProgress progress(ws.KernelProgress, count);
  bool closed = false;
  for (std::size_t i = 0; i <= count; ++i) {
    progress.Advance();
    const WayOn way = FindWayOn(segs, prev, cur);
    if (Same(way.next, cur)) return false;
    if (Same(way.match, cur) && Same(way.next, prev)) {
      // A dead end: walk back and take back the segment that led here.
      if (!outline.empty()) outline.pop_back();
    } else {
      TLineEnt piece;
      piece.st = cur;
      piece.ed = way.next;
      PushChunked(outline, piece, kSegmentChunk);
    }
    cur = way.next;
    prev = way.match;
    if (Same(cur, ws.TraceStart)) {
      closed = true;
      break;
    }
  }
  if (!closed) return false;
  if (outline.size() >= 2 && Same(outline.front().st, outline.back().ed) &&
      Same(outline.front().ed, outline.back().st)) {
    outline.pop_back();
    outline.erase(outline.begin());
  }
  return outline.size() >= 3;
}

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
    if (PointInOutline(s.st, ws.BuildingSpan, ws.AryLine) ||
        PointInOutline(s.ed, ws.BuildingSpan, ws.AryLine)) {
      s.id = -1;
    }
  }
  KeepMarked(ws.ArySeg, ws.AryKeep);
}

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

bool PrepareSegments(Workspace& ws) {
  if (!AllFinite(ws.AryLine)) {
    ws.AryLine.clear();
    ws.ArySeg.clear();
    return false;
  }
  MergeCollinear(ws);
  GetBuildingSpan(ws);
  ws.BuildingSpan *= 1000.0;
  ws.ArySeg.clear();
  SplitSegments(ws);
  RemoveDuplicates(ws);
  return true;
}

bool TraceNextOutline(Workspace& ws) {
  GetMinCorner(ws);
  ws.TraceFrom = ws.MinCorner;
  ws.TraceStart = FindTraceStart(ws);
  ws.AryLine.clear();
  return TraceOutline(ws);
}

void DropTracedRegion(Workspace& ws) {
  RemoveEnclosed(ws);
  PruneDangling(ws);
  std::size_t before = 0;
  do {
    before = ws.ArySeg.size();
    if (before <= 3) break;
    PruneDangling(ws);
  } while (ws.ArySeg.size() != before);
}

RegionTrace TraceAllRegions(Workspace& ws, const std::function<bool()>& keepGoing,
                            const std::function<void(const LineList& outline)>& onOutline) {
  RegionTrace result;
  while (true) {
    if (!keepGoing()) {
      result.stopped = true;
      break;
    }
    if (!TraceNextOutline(ws)) {
      result.traceFailed = true;
      break;
    }
    onOutline(ws.AryLine);
    ++result.outlines;
    const std::size_t before = ws.ArySeg.size();
    DropTracedRegion(ws);
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

OutlineResult MakeShadowOutline(Workspace& ws, double t, double h) {
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
  if (!PrepareSegments(ws)) return OutlineResult::NotFinite;
  return TraceNextOutline(ws) ? OutlineResult::Traced : OutlineResult::TraceFailed;
}

}  // namespace vorn
