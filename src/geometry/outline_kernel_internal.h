// Pieces the straightforward and the fast forms of the outline kernel share, so that both
// compute every value the same way, bit for bit.
#pragma once

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"
#include "geometry/records.h"
#include "geometry/workspace.h"

namespace vorn::kernel_detail {

inline constexpr double kEps = kSamePointTol;
inline constexpr std::size_t kSegmentChunk = 1000;
inline constexpr std::size_t kPointChunk = 100;

// SamePoint2D at epsilon, spelled out so the hot loops can inline it.
inline bool Same(const TAcadPoint& p, const TAcadPoint& q) {
  return kEps > std::fabs(p.x - q.x) && kEps > std::fabs(p.y - q.y);
}

inline double Length(const TLineEnt& s) { return PointDist(s.st, s.ed); }

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

inline bool OneEndWithin(const TLineEnt& b, const TAcadPoint& p, double length) {
  return std::fabs(PointDist(b.st, p) + PointDist(b.ed, p) - length) < kEps;
}

// Whether a later segment merges into the earlier segment `base` of the given length.
inline bool MergesWith(const TLineEnt& base, double length, const TLineEnt& later) {
  if (!IsOnLine(base.st, base.ed, later.st, later.ed)) return false;
  return OneEndWithin(base, later.st, length) || OneEndWithin(base, later.ed, length);
}

inline bool SameEnds(const TLineEnt& a, const TLineEnt& b) {
  return (Same(a.st, b.st) && Same(a.ed, b.ed)) || (Same(a.st, b.ed) && Same(a.ed, b.st));
}

// Rebuilds `list` from the elements marked 0, keeping their order, through `keep`.
inline void KeepMarked(LineList& list, LineList& keep) {
  keep.clear();
  for (const TLineEnt& s : list) {
    if (s.id == 0) PushChunked(keep, s, kSegmentChunk);
  }
  list.assign(keep.begin(), keep.end());
}

inline bool IsFinite(const TAcadPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

inline bool AllFinite(const LineList& lines) {
  for (const TLineEnt& s : lines) {
    if (!IsFinite(s.st) || !IsFinite(s.ed)) return false;
  }
  return true;
}

// Every segment lengthened by epsilon at both ends, so that crossings at shared endpoints and
// T-junctions count when the segments are split.
inline LineList ExtendedCopies(const LineList& lines) {
  LineList extended(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const double a = PointAngle(lines[i].st, lines[i].ed);
    extended[i].st = PolarPoint(lines[i].st, a, -kEps);
    extended[i].ed = PolarPoint(lines[i].ed, a, kEps);
  }
  return extended;
}

// Appends the pieces between consecutive split points that are not the same point.
inline void AppendPieces(const std::vector<TTempPoint>& points, LineList& out) {
  for (std::size_t j = 0; j + 1 < points.size(); ++j) {
    if (Same(points[j].pt, points[j + 1].pt)) continue;
    TLineEnt piece;
    piece.st = points[j].pt;
    piece.ed = points[j + 1].pt;
    PushChunked(out, piece, kSegmentChunk);
  }
}

// One step of the walk: the way on from cur with the smallest counter-clockwise turn from
// the way back to prev. Equal turns keep the first segment in list order, so candidates must
// be offered in list order.
struct WayOn {
  WayOn(const TAcadPoint& from, const TAcadPoint& at)
      : prev(from), cur(at), next(from), match(at) {}

  void Offer(const TLineEnt& s) {
    if (Same(s.st, cur) && !Same(s.ed, prev)) {
      const double t = TurnAngle(prev, cur, s.ed);
      if (best > t) next = s.ed, match = s.st, best = t;
    } else if (Same(s.ed, cur) && !Same(s.st, prev)) {
      const double t = TurnAngle(prev, cur, s.st);
      if (best > t) next = s.st, match = s.ed, best = t;
    }
  }

  TAcadPoint prev;
  TAcadPoint cur;
  TAcadPoint next;
  TAcadPoint match;
  double best = 2 * kPi;
};

// The walk around the outside of ArySeg, with the way on at each vertex found by
// findWayOn(prev, cur). A segment with the outside on both of its sides (a spike, or a bridge
// between two parts that touch nowhere else, such as the horizon arc between two buildings of
// a sky diagram) is walked out and back, so the walk around a closed outline takes up to twice
// as many steps as there are segments; only a walk longer than that cannot come back.
template <typename FindWayOn>
bool WalkOutline(Workspace& ws, FindWayOn&& findWayOn) {
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
  for (std::size_t i = 0; i <= 2 * count; ++i) {
    progress.Advance();
    const WayOn way = findWayOn(prev, cur);
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

}  // namespace vorn::kernel_detail
