// The fast forms of the kernel's quadratic steps. Each finds its partners through a spatial
// index that returns a superset of every pair the straightforward form could act on, then
// applies that form's own predicate to them in its order, so the lists come out the same, bit
// for bit. Inputs that are not finite numbers go to the straightforward forms.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <queue>
#include <tuple>
#include <unordered_map>

#include "geometry/outline_kernel.h"
#include "geometry/outline_kernel_internal.h"
#include "geometry/point_ops.h"
#include "geometry/spatial_index.h"

namespace vorn {

using kernel_detail::AllFinite;
using kernel_detail::AppendPieces;
using kernel_detail::ExtendedCopies;
using kernel_detail::KeepMarked;
using kernel_detail::kEps;
using kernel_detail::kPointChunk;
using kernel_detail::kSegmentChunk;
using kernel_detail::Length;
using kernel_detail::PushChunked;
using kernel_detail::Same;
using kernel_detail::SameEnds;
using kernel_detail::StepProgress;
using kernel_detail::WayOn;

namespace {

constexpr std::size_t kMaxItems = std::numeric_limits<int32_t>::max() / 4;

struct Bounds {
  double minX = std::numeric_limits<double>::infinity();
  double minY = std::numeric_limits<double>::infinity();
  double maxX = -std::numeric_limits<double>::infinity();
  double maxY = -std::numeric_limits<double>::infinity();
  double totalLength = 0.0;
  double longest = 0.0;

  void Add(const TAcadPoint& p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
  }
  double Largest() const {
    return std::fmax(std::fmax(std::fabs(minX), std::fabs(maxX)),
                     std::fmax(std::fabs(minY), std::fabs(maxY)));
  }
};

Bounds BoundsOf(const LineList& lines) {
  Bounds b;
  for (const TLineEnt& s : lines) {
    b.Add(s.st);
    b.Add(s.ed);
    const double length = Length(s);
    b.totalLength += length;
    b.longest = std::fmax(b.longest, length);
  }
  return b;
}

// A grid whose cells are a fraction of the mean segment wide, at most a few cells per segment.
UniformGrid GridFor(const Bounds& b, std::size_t n, double fraction, std::size_t cellsPerSegment) {
  const double mean = n > 0 ? b.totalLength / static_cast<double>(n) : 1.0;
  return UniformGrid(b.minX, b.minY, b.maxX, b.maxY, mean * fraction, cellsPerSegment * n + 16);
}

// Whether p lies within r of the segment a-b (round-off far below the margins callers add).
bool WithinOfSegment(const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b, double r) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = 0.0;
  if (length2 > 0.0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
  const double ex = p.x - (a.x + t * dx);
  const double ey = p.y - (a.y + t * dy);
  return ex * ex + ey * ey <= r * r;
}

// Whether q may pass IsOnLine against a-b (of the given length): within r of the line, with
// room for PointAngle's snapping of a direction within 1e-5 of an axis, which turns the line
// about a by up to 2e-5/length.
bool MayBeOnLine(const TAcadPoint& q, const TAcadPoint& a, const TAcadPoint& b, double length,
                 double r) {
  if (length <= 2e-5) return true;
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double qx = q.x - a.x;
  const double qy = q.y - a.y;
  const double cross = dx * qy - dy * qx;
  return std::fabs(cross) <= r * length + 3e-5 * std::sqrt(qx * qx + qy * qy);
}

// Lists of item numbers per element, each ascending.
struct Adjacency {
  std::vector<uint32_t> begin{0};
  std::vector<uint32_t> items;

  std::span<const uint32_t> Of(std::size_t i) const {
    return {items.data() + begin[i], static_cast<std::size_t>(begin[i + 1] - begin[i])};
  }
};

// Marks items as seen for one element at a time, without clearing between elements.
class SeenStamps {
 public:
  explicit SeenStamps(std::size_t n) : stamp_(n, kNever) {}
  bool FirstTime(uint32_t item, std::size_t owner) {
    if (stamp_[item] == owner) return false;
    stamp_[item] = owner;
    return true;
  }

 private:
  static constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();
  std::vector<std::size_t> stamp_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// MergeCollinear: a later segment merges only when one of its ends lies within the earlier
// one (inside the ellipse of sum of distances below length + epsilon) and both of its ends lie
// within 0.01 of its line; such an end is within about 0.0101 of the segment. The ends of the
// segments are kept in a grid (a merge files the new ends of the segment it changes); the
// later segments with an end within a generous reach of the earlier one are tried in list
// order.

namespace {

// The ends of the segments by grid cell: the ends the list starts with in one packed array,
// ends that merges give later in short lists per cell. An end that a merge has replaced stays
// filed; it can only add a candidate, which the exact predicate then turns down.
// MergesWith with the cheap half of its conjunction first; the same answer.
bool MergesWithCheapFirst(const TLineEnt& base, double length, const TLineEnt& later) {
  if (!kernel_detail::OneEndWithin(base, later.st, length) &&
      !kernel_detail::OneEndWithin(base, later.ed, length)) {
    return false;
  }
  return IsOnLine(base.st, base.ed, later.st, later.ed);
}

class EndGrid {
 public:
  EndGrid(const UniformGrid& grid, const LineList& lines)
      : grid_(grid), begin_(grid.CellCount() + 1, 0), moved_(grid.CellCount(), -1) {
    std::vector<uint32_t> cells(2 * lines.size());
    for (std::size_t h = 0; h < lines.size(); ++h) {
      cells[2 * h] = static_cast<uint32_t>(grid.CellOf(lines[h].st));
      cells[2 * h + 1] = static_cast<uint32_t>(grid.CellOf(lines[h].ed));
    }
    for (uint32_t c : cells) ++begin_[c + 1];
    for (std::size_t c = 0; c + 1 < begin_.size(); ++c) begin_[c + 1] += begin_[c];
    std::vector<uint32_t> fill(begin_.begin(), begin_.end() - 1);
    packed_.resize(cells.size());
    for (std::size_t e = 0; e < cells.size(); ++e) {
      const TLineEnt& s = lines[e / 2];
      packed_[fill[cells[e]]++] = {e % 2 == 0 ? s.st : s.ed, static_cast<uint32_t>(e / 2)};
    }
  }

  void FileMoved(uint32_t seg, const TLineEnt& s) {
    for (const TAcadPoint& p : {s.st, s.ed}) {
      const std::size_t cell = grid_.CellOf(p);
      extra_.push_back({{p, seg}, moved_[cell]});
      moved_[cell] = static_cast<int32_t>(extra_.size() - 1);
    }
  }

  // Calls f(seg, end point) for the filed ends of segments after `after` in the cells within r
  // of the segment a-b.
  template <typename F>
  void ForEachEndNear(const TAcadPoint& a, const TAcadPoint& b, double r, std::size_t after,
                      F&& f) const {
    grid_.ForEachCellNear(a, b, r, [&](std::size_t cell) {
      for (uint32_t e = begin_[cell]; e < begin_[cell + 1]; ++e) {
        if (packed_[e].seg > after) f(packed_[e].seg, packed_[e].pt);
      }
      for (int32_t e = moved_[cell]; e >= 0; e = extra_[static_cast<std::size_t>(e)].next) {
        const End& end = extra_[static_cast<std::size_t>(e)].end;
        if (end.seg > after) f(end.seg, end.pt);
      }
    });
  }

 private:
  struct End {
    TAcadPoint pt;
    uint32_t seg;
  };
  struct Moved {
    End end;
    int32_t next;
  };

  const UniformGrid& grid_;
  std::vector<uint32_t> begin_;
  std::vector<End> packed_;
  std::vector<int32_t> moved_;
  std::vector<Moved> extra_;
};

}  // namespace

void MergeCollinear(Workspace& ws) {
  LineList& lines = ws.AryLine;
  const std::size_t n = lines.size();
  if (n == 0) return;
  if (!AllFinite(lines) || n > kMaxItems) {
    reference::MergeCollinear(ws);
    return;
  }
  const Bounds bounds = BoundsOf(lines);
  const UniformGrid grid = GridFor(bounds, n, 0.25, 8);
  EndGrid ends(grid, lines);
  // Twice the collinearity tolerance, plus room for the round-off of huge coordinates.
  const double slack = 1e-12 * bounds.Largest();
  SeenStamps seen(n);
  std::vector<uint32_t> candidates;

  StepProgress progress(ws.KernelProgress, n);
  ws.AryMerge.clear();
  ws.AryMerge.reserve(n);
  for (std::size_t b = 0; b + 1 < n; ++b) {
    progress.Advance(b);
    const TLineEnt base = lines[b];
    const double length = Length(base);
    if (length <= kEps) continue;
    const double reach = 0.02 + slack + 1e-12 * length;
    const double left = std::min(base.st.x, base.ed.x) - reach;
    const double right = std::max(base.st.x, base.ed.x) + reach;
    const double bottom = std::min(base.st.y, base.ed.y) - reach;
    const double top = std::max(base.st.y, base.ed.y) + reach;
    candidates.clear();
    // One end within reach of the segment, both near its line.
    ends.ForEachEndNear(base.st, base.ed, reach, b, [&](uint32_t seg, const TAcadPoint& p) {
      if (p.x < left || p.x > right || p.y < bottom || p.y > top) return;
      if (!WithinOfSegment(p, base.st, base.ed, reach)) return;
      const TLineEnt& later = lines[seg];
      if (MayBeOnLine(later.st, base.st, base.ed, length, reach) &&
          MayBeOnLine(later.ed, base.st, base.ed, length, reach) && seen.FirstTime(seg, b)) {
        candidates.push_back(seg);
      }
    });
    std::sort(candidates.begin(), candidates.end());
    bool merged = false;
    for (uint32_t h : candidates) {
      TLineEnt& later = lines[h];
      if (!MergesWithCheapFirst(base, length, later)) continue;
      const TAcadPoint st = later.st;
      const TAcadPoint ed = later.ed;
      FarthestPair(base.st, base.ed, st, ed, later.st, later.ed);
      ends.FileMoved(h, later);
      merged = true;
      break;
    }
    if (!merged) PushChunked(ws.AryMerge, base, kSegmentChunk);
  }
  PushChunked(ws.AryMerge, lines[n - 1], kSegmentChunk);
  lines.assign(ws.AryMerge.begin(), ws.AryMerge.end());
}

// ---------------------------------------------------------------------------------------------
// GetBuildingSpan: the largest distance between ends of different segments. The ends go into
// a k-d tree; pairs of boxes are opened largest bound first, and a pair whose bound (with room
// for round-off) cannot beat the largest distance found so far is never opened. The result is
// the maximum of the same PointDist values.

namespace {

struct SpanEnd {
  TAcadPoint pt;
  uint32_t seg;
};

struct SpanNode {
  double minX, minY, maxX, maxY;
  uint32_t begin, end;
  int32_t left = -1;
  int32_t right = -1;
};

constexpr uint32_t kLeafSize = 8;

int32_t BuildSpanTree(std::vector<SpanEnd>& ends, std::vector<SpanNode>& nodes, uint32_t begin,
                      uint32_t end) {
  SpanNode node{ends[begin].pt.x, ends[begin].pt.y, ends[begin].pt.x, ends[begin].pt.y, begin, end};
  for (uint32_t i = begin; i < end; ++i) {
    node.minX = std::min(node.minX, ends[i].pt.x);
    node.minY = std::min(node.minY, ends[i].pt.y);
    node.maxX = std::max(node.maxX, ends[i].pt.x);
    node.maxY = std::max(node.maxY, ends[i].pt.y);
  }
  const auto index = static_cast<int32_t>(nodes.size());
  nodes.push_back(node);
  if (end - begin <= kLeafSize) return index;
  const uint32_t mid = begin + (end - begin) / 2;
  const bool alongX = node.maxX - node.minX >= node.maxY - node.minY;
  std::nth_element(ends.begin() + begin, ends.begin() + mid, ends.begin() + end,
                   [alongX](const SpanEnd& a, const SpanEnd& b) {
                     return alongX ? a.pt.x < b.pt.x : a.pt.y < b.pt.y;
                   });
  const int32_t left = BuildSpanTree(ends, nodes, begin, mid);
  const int32_t right = BuildSpanTree(ends, nodes, mid, end);
  nodes[index].left = left;
  nodes[index].right = right;
  return index;
}

// At least every PointDist between a point of one box and a point of the other.
double FarthestBound(const SpanNode& a, const SpanNode& b) {
  const double dx = std::max(a.maxX - b.minX, b.maxX - a.minX);
  const double dy = std::max(a.maxY - b.minY, b.maxY - a.minY);
  return std::sqrt(dx * dx + dy * dy) * (1.0 + 1e-12);
}

}  // namespace

void GetBuildingSpan(Workspace& ws) {
  const LineList& lines = ws.AryLine;
  if (!AllFinite(lines) || lines.size() > kMaxItems) {
    reference::GetBuildingSpan(ws);
    return;
  }
  double span = 0.0;
  if (lines.size() >= 2) {
    std::vector<SpanEnd> ends;
    ends.reserve(2 * lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      ends.push_back({lines[i].st, static_cast<uint32_t>(i)});
      ends.push_back({lines[i].ed, static_cast<uint32_t>(i)});
    }
    std::vector<SpanNode> nodes;
    nodes.reserve(ends.size() / 2);
    BuildSpanTree(ends, nodes, 0, static_cast<uint32_t>(ends.size()));

    using Pair = std::tuple<double, int32_t, int32_t>;
    std::priority_queue<Pair> open;
    open.emplace(FarthestBound(nodes[0], nodes[0]), 0, 0);
    const auto push = [&](int32_t a, int32_t b) {
      const double bound = FarthestBound(nodes[a], nodes[b]);
      if (bound > span) open.emplace(bound, a, b);
    };
    while (!open.empty()) {
      const auto [bound, a, b] = open.top();
      open.pop();
      if (!(bound > span)) break;
      const SpanNode& na = nodes[a];
      const SpanNode& nb = nodes[b];
      const bool leafA = na.left < 0;
      const bool leafB = nb.left < 0;
      if (leafA && leafB) {
        for (uint32_t i = na.begin; i < na.end; ++i) {
          for (uint32_t j = (a == b ? i + 1 : nb.begin); j < nb.end; ++j) {
            if (ends[i].seg == ends[j].seg) continue;
            const double d = PointDist(ends[i].pt, ends[j].pt);
            if (d > span) span = d;
          }
        }
      } else if (a == b) {
        push(na.left, na.left);
        push(na.left, na.right);
        push(na.right, na.right);
      } else if (!leafA && (leafB || na.end - na.begin >= nb.end - nb.begin)) {
        push(na.left, b);
        push(na.right, b);
      } else {
        push(a, nb.left);
        push(a, nb.right);
      }
    }
  }
  ws.BuildingSpan = span;
}

// ---------------------------------------------------------------------------------------------
// SortPointsByDist: the exchange sort leaves equal distances in an order of its own. A stable
// sort by distance gives the same list whenever every run of equal distances holds copies of
// one record; otherwise, and for short lists, the exchange sort itself runs.

namespace {

bool SameRecord(const TTempPoint& a, const TTempPoint& b) {
  const auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
  return a.id == b.id && bits(a.pt.x) == bits(b.pt.x) && bits(a.pt.y) == bits(b.pt.y) &&
         bits(a.pt.z) == bits(b.pt.z) && a.Name == b.Name;
}

}  // namespace

void SortPointsByDist(std::vector<TTempPoint>& points, const TAcadPoint& from) {
  constexpr std::size_t kShort = 24;
  const std::size_t m = points.size();
  if (m <= kShort || m > kMaxItems) {
    reference::SortPointsByDist(points, from);
    return;
  }
  std::vector<std::pair<double, uint32_t>> keyed(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double d = PointDist(from, points[i].pt);
    if (std::isnan(d)) {
      reference::SortPointsByDist(points, from);
      return;
    }
    keyed[i] = {d, static_cast<uint32_t>(i)};
  }
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t j = 1; j < m; ++j) {
    if (keyed[j].first == keyed[j - 1].first &&
        !SameRecord(points[keyed[j].second], points[keyed[j - 1].second])) {
      reference::SortPointsByDist(points, from);
      return;
    }
  }
  std::vector<TTempPoint> sorted;
  sorted.reserve(points.capacity());
  for (const auto& [d, i] : keyed) sorted.push_back(std::move(points[i]));
  points.swap(sorted);
}

// ---------------------------------------------------------------------------------------------
// SplitSegments. The crossing of two extended copies is computed as
//   d = Bx*Ay - Ax*By, ua = (Bx*Cy - By*Cx)/d, ub = (Ax*Cy - Ay*Cx)/d
// (A, B the copies' directions, C from the first start to the second start) and counts when
// |d| > 1e-12 and ua, ub lie in [1e-12, 1]. The round-off of these products is below
// 10u|A||B| and 10u|B||C| (u = 2^-53), which bounds how far apart the two points at ua and ub
// can be: for copies at an angle theta, at most 10u(|A| + |B| + 2|C|)/sin(theta), that is
// below 4e-9(|A| + |B|) when sin(theta) >= 1e-6. So a crossing needs
//   - for copies at an angle of 1e-6 or more: the copies come within 1e-8 of their lengths of
//     each other; each copy is filed in the grid cells within 1e-7 of its length;
//   - for nearly parallel copies: the two lie along nearly the same line, possibly far apart
//     (round-off can then place a crossing anywhere on the first). These are found by
//     direction and offset from a common centre.
// Two copies that both run exactly along x (or both exactly along y) give d = 0 and never
// cross.

namespace {

struct LineKey {
  double angle;   // direction in [0, pi]
  double offset;  // signed distance of the line from the centre
};

Adjacency CrossingCandidates(const LineList& ext) {
  const std::size_t n = ext.size();
  const Bounds bounds = BoundsOf(ext);
  const UniformGrid grid = GridFor(bounds, n, 0.5, 4);

  // Segment -> cells (segment order) and cell -> segments (ascending).
  std::vector<uint32_t> segCellBegin(n + 1, 0);
  std::vector<uint32_t> segCells;
  segCells.reserve(4 * n);
  for (std::size_t i = 0; i < n; ++i) {
    grid.ForEachCellNear(ext[i].st, ext[i].ed, 1e-7 * Length(ext[i]), [&](std::size_t cell) {
      segCells.push_back(static_cast<uint32_t>(cell));
    });
    segCellBegin[i + 1] = static_cast<uint32_t>(segCells.size());
  }
  std::vector<uint32_t> cellBegin(grid.CellCount() + 1, 0);
  for (uint32_t cell : segCells) ++cellBegin[cell + 1];
  for (std::size_t c = 0; c < grid.CellCount(); ++c) cellBegin[c + 1] += cellBegin[c];
  std::vector<uint32_t> cellSegs(segCells.size());
  {
    std::vector<uint32_t> fill(cellBegin.begin(), cellBegin.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
      for (uint32_t k = segCellBegin[i]; k < segCellBegin[i + 1]; ++k) {
        cellSegs[fill[segCells[k]]++] = static_cast<uint32_t>(i);
      }
    }
  }

  // Nearly parallel copies by direction and offset.
  const double centreX = bounds.minX / 2 + bounds.maxX / 2;
  const double centreY = bounds.minY / 2 + bounds.maxY / 2;
  const double radius = std::hypot(bounds.maxX - bounds.minX, bounds.maxY - bounds.minY);
  constexpr double kAngleCell = 2e-6;
  const double offsetCell = 2e-6 * (bounds.longest + 2 * radius) + 1e-300;
  std::vector<LineKey> keys(n);
  std::vector<uint8_t> axis(n);  // 1: exactly along x, 2: exactly along y
  std::vector<CellHash::Entry> lineEntries;
  lineEntries.reserve(n);
  const auto angleCell = [](double a) { return static_cast<int64_t>(std::floor(a / kAngleCell)); };
  const auto offsetCellOf = [&](double o) {
    return static_cast<int64_t>(std::floor(o / offsetCell));
  };
  for (std::size_t i = 0; i < n; ++i) {
    double dx = ext[i].ed.x - ext[i].st.x;
    double dy = ext[i].ed.y - ext[i].st.y;
    axis[i] = dy == 0.0 ? 1 : (dx == 0.0 ? 2 : 0);
    if (dy < 0 || (dy == 0 && dx < 0)) dx = -dx, dy = -dy;
    const double length = std::hypot(dx, dy);
    const double mx = ext[i].st.x / 2 + ext[i].ed.x / 2 - centreX;
    const double my = ext[i].st.y / 2 + ext[i].ed.y / 2 - centreY;
    keys[i] = {std::atan2(dy, dx), (dx * my - dy * mx) / length};
    const auto item = static_cast<uint32_t>(i);
    lineEntries.push_back({angleCell(keys[i].angle), offsetCellOf(keys[i].offset), item});
    // Directions near 0 and near pi are nearly parallel too.
    if (keys[i].angle < kAngleCell) {
      lineEntries.push_back({angleCell(keys[i].angle + kPi), offsetCellOf(-keys[i].offset), item});
    }
    if (keys[i].angle > kPi - kAngleCell) {
      lineEntries.push_back({angleCell(keys[i].angle - kPi), offsetCellOf(-keys[i].offset), item});
    }
  }
  const CellHash lines(lineEntries);

  Adjacency near;
  near.begin.reserve(n + 1);
  SeenStamps seen(n);
  std::vector<uint32_t> found;
  for (std::size_t i = 0; i < n; ++i) {
    found.clear();
    for (uint32_t k = segCellBegin[i]; k < segCellBegin[i + 1]; ++k) {
      const uint32_t cell = segCells[k];
      for (uint32_t c = cellBegin[cell]; c < cellBegin[cell + 1]; ++c) {
        const uint32_t other = cellSegs[c];
        if (other != i && seen.FirstTime(other, i)) found.push_back(other);
      }
    }
    const int64_t a0 = angleCell(keys[i].angle);
    const int64_t o0 = offsetCellOf(keys[i].offset);
    for (int64_t a = a0 - 1; a <= a0 + 1; ++a) {
      for (int64_t o = o0 - 1; o <= o0 + 1; ++o) {
        for (uint32_t other : lines.Items(a, o)) {
          if (other == i || (axis[i] != 0 && axis[i] == axis[other])) continue;
          if (seen.FirstTime(other, i)) found.push_back(other);
        }
      }
    }
    std::sort(found.begin(), found.end());
    near.items.insert(near.items.end(), found.begin(), found.end());
    near.begin.push_back(static_cast<uint32_t>(near.items.size()));
  }
  return near;
}

}  // namespace

void SplitSegments(Workspace& ws) {
  const LineList& lines = ws.AryLine;
  const std::size_t n = lines.size();
  const LineList extended = ExtendedCopies(lines);
  if (!AllFinite(extended) || n > kMaxItems) {
    reference::SplitSegments(ws);
    return;
  }
  const Adjacency near = CrossingCandidates(extended);
  StepProgress progress(ws.KernelProgress, n);
  ws.ArySeg.clear();
  // Room for every piece at once: growing by chunks would copy the list over and over.
  ws.ArySeg.reserve(n + near.items.size() + 1);
  std::vector<TTempPoint>& points = ws.AryPoint;
  for (std::size_t i = 0; i < n; ++i) {
    progress.Advance(i);
    points.clear();
    points.reserve(near.Of(i).size() + 2);
    PushChunked(points, TTempPoint{0, lines[i].st, {}}, kPointChunk);
    for (uint32_t k : near.Of(i)) {
      TAcadPoint crossing;
      if (CrossPoint(extended[i].st, extended[i].ed, extended[k].st, extended[k].ed, true,
                     crossing)) {
        PushChunked(points, TTempPoint{0, crossing, {}}, kPointChunk);
      }
    }
    PushChunked(points, TTempPoint{0, lines[i].ed, {}}, kPointChunk);
    SortPointsByDist(points, lines[i].st);
    AppendPieces(points, ws.ArySeg);
  }
}

// ---------------------------------------------------------------------------------------------
// The same-point searches: RemoveDuplicates, TraceOutline, PruneDangling, RemoveReversePairs.

namespace {

enum class Ends { Starts, EndsOnly, Both };

// Item numbers: the segment index for Starts and EndsOnly, 2 * index + (0 start, 1 end) for Both.
NearPointIndex IndexOfEnds(const LineList& segs, Ends which) {
  std::vector<NearPointIndex::Point> points;
  points.reserve(which == Ends::Both ? 2 * segs.size() : segs.size());
  for (std::size_t i = 0; i < segs.size(); ++i) {
    const auto item = static_cast<uint32_t>(i);
    switch (which) {
      case Ends::Starts:
        points.push_back({segs[i].st, item});
        break;
      case Ends::EndsOnly:
        points.push_back({segs[i].ed, item});
        break;
      case Ends::Both:
        points.push_back({segs[i].st, 2 * item});
        points.push_back({segs[i].ed, 2 * item + 1});
        break;
    }
  }
  return NearPointIndex(points, kEps);
}

bool AllFinitePoints(const LineList& segs, std::initializer_list<TAcadPoint> more) {
  for (const TAcadPoint& p : more) {
    if (!kernel_detail::IsFinite(p)) return false;
  }
  return AllFinite(segs);
}

}  // namespace

void RemoveDuplicates(Workspace& ws) {
  LineList& segs = ws.ArySeg;
  const std::size_t n = segs.size();
  if (n == 0) return;
  if (!AllFinite(segs) || n > kMaxItems) {
    reference::RemoveDuplicates(ws);
    return;
  }
  // A later repeat starts at this segment's start (same order) or at its end (reversed).
  const NearPointIndex starts = IndexOfEnds(segs, Ends::Starts);
  StepProgress progress(ws.KernelProgress, n);
  LineList& kept = ws.AryLine;
  kept.clear();
  kept.reserve(n);
  for (std::size_t b = 0; b + 1 < n; ++b) {
    progress.Advance(b);
    bool repeated = false;
    const auto check = [&](uint32_t g) {
      repeated = repeated || (g > b && SameEnds(segs[b], segs[g]));
    };
    starts.ForEachNear(segs[b].st, check);
    if (!repeated) starts.ForEachNear(segs[b].ed, check);
    if (!repeated) PushChunked(kept, segs[b], kSegmentChunk);
  }
  PushChunked(kept, segs[n - 1], kSegmentChunk);
  segs.assign(kept.begin(), kept.end());
  kept.clear();
}

bool TraceOutline(Workspace& ws) {
  const LineList& segs = ws.ArySeg;
  if (!AllFinitePoints(segs, {ws.TraceStart, ws.TraceFrom}) || segs.size() > kMaxItems) {
    return reference::TraceOutline(ws);
  }
  // Only segments with an end at the current vertex can be the way on; they are offered in
  // list order.
  const NearPointIndex ends = IndexOfEnds(segs, Ends::Both);
  SeenStamps seen(segs.size());
  std::size_t step = 0;
  std::vector<uint32_t> candidates;
  return kernel_detail::WalkOutline(ws, [&](const TAcadPoint& prev, const TAcadPoint& cur) {
    ++step;
    candidates.clear();
    ends.ForEachNear(cur, [&](uint32_t item) {
      if (seen.FirstTime(item / 2, step)) candidates.push_back(item / 2);
    });
    std::sort(candidates.begin(), candidates.end());
    WayOn way(prev, cur);
    for (uint32_t j : candidates) way.Offer(segs[j]);
    return way;
  });
}

// ---------------------------------------------------------------------------------------------
// PointInOutline and RemoveEnclosed. The straightforward test looks at every outline segment
// for every point: the direction of the ray from PointAngle to every outline end, the foot of
// the perpendicular (PointAngle, cosine and sine) and the ray's crossing. The fast form takes
// the same steps in the same order but leaves out what provably cannot count:
//   - an end whose direction from p differs from the tried ray direction by more than 0.05 (a
//     direction that PointAngle snaps to an axis is off by less than 0.012 once the end is a
//     millimetre away);
//   - the foot test of a segment whose box, widened by the half-width of the ellipse that
//     IsOnSegment accepts, does not hold p;
//   - the crossing with a segment whose two ends lie on one side of the ray's line, further
//     from it than round-off could move a crossing (10u(|B| + |C|), u = 2^-53);
// and RemoveEnclosed asks once per distinct point.

namespace {

class OutlineTester {
 public:
  OutlineTester(const LineList& outline, double reach) : outline_(outline), reach_(reach) {
    boxes_.reserve(outline.size());
    for (const TLineEnt& s : outline) {
      const double length = Length(s);
      const double largest =
          std::max({std::fabs(s.st.x), std::fabs(s.st.y), std::fabs(s.ed.x), std::fabs(s.ed.y)});
      // IsOnSegment accepts points inside the ellipse of sum of distances below length + 1e-5
      // (give or take round-off), whose half-width is below sqrt(length * e) + e.
      const double e = 2e-5 + 1e-14 * (length + largest);
      const double widen = std::sqrt(e * length) + e;
      boxes_.push_back({std::min(s.st.x, s.ed.x) - widen, std::min(s.st.y, s.ed.y) - widen,
                        std::max(s.st.x, s.ed.x) + widen, std::max(s.st.y, s.ed.y) + widen,
                        length});
    }
  }

  bool Inside(const TAcadPoint& p) {
    const double f = ClearRayDirection(p);
    const TAcadPoint far = PolarPoint(p, f, reach_ * 1000.0);
    const double ax = far.x - p.x;
    const double ay = far.y - p.y;
    const double rayLength = std::sqrt(ax * ax + ay * ay);
    crossings_.clear();
    for (std::size_t i = 0; i < outline_.size(); ++i) {
      const TLineEnt& s = outline_[i];
      if (Same(p, s.st) || Same(p, s.ed)) return true;
      const Box& box = boxes_[i];
      if (p.x >= box.minX && p.x <= box.maxX && p.y >= box.minY && p.y <= box.maxY) {
        const TAcadPoint w = PolarPoint(p, PointAngle(s.st, s.ed) + kPi / 2, 100.0);
        TAcadPoint foot;
        if (CrossPoint(p, w, s.st, s.ed, false, foot) && Same(foot, p) &&
            IsOnSegment(p, s.st, s.ed)) {
          return true;
        }
      }
      if (OneSideOfRay(p, ax, ay, rayLength, s, box.length)) continue;
      TAcadPoint x;
      if (!CrossPoint(p, far, s.st, s.ed, true, x)) continue;
      if (Same(x, p)) return true;
      bool known = false;
      for (const TAcadPoint& c : crossings_) known = known || Same(c, x);
      if (!known) crossings_.push_back(x);
    }
    return crossings_.size() % 2 == 1;
  }

 private:
  struct Box {
    double minX, minY, maxX, maxY, length;
  };

  // Both ends of s on one side of the ray's line, beyond any round-off of a crossing.
  static bool OneSideOfRay(const TAcadPoint& p, double ax, double ay, double rayLength,
                           const TLineEnt& s, double length) {
    const double sx = s.st.x - p.x;
    const double sy = s.st.y - p.y;
    const double ex = s.ed.x - p.x;
    const double ey = s.ed.y - p.y;
    const double crossSt = ax * sy - ay * sx;
    const double crossEd = ax * ey - ay * ex;
    const double reachOfP = std::sqrt(sx * sx + sy * sy);
    const double margin = 1e-12 * (length + reachOfP + std::fabs(p.x) + std::fabs(p.y)) * rayLength;
    return (crossSt > margin && crossEd > margin) || (crossSt < -margin && crossEd < -margin);
  }

  // The first ray direction, in steps of half a degree, that passes through no segment end.
  double ClearRayDirection(const TAcadPoint& p) const {
    const double step = kPi / 360.0;
    for (int k = 0; k < 720; ++k) {
      const double f = k * step;
      const double cf = std::cos(f);
      const double sf = std::sin(f);
      bool clear = true;
      for (const TLineEnt& s : outline_) {
        if (MayPointAlong(p, s.st, f, cf, sf) || MayPointAlong(p, s.ed, f, cf, sf)) {
          clear = false;
          break;
        }
      }
      if (clear) return f;
    }
    return 2 * kPi;
  }

  static bool MayPointAlong(const TAcadPoint& p, const TAcadPoint& q, double f, double cf,
                            double sf) {
    const double dx = q.x - p.x;
    const double dy = q.y - p.y;
    if (std::fabs(dx) + std::fabs(dy) >= 1e-3) {
      const double along = dx * cf + dy * sf;
      const double across = dx * sf - dy * cf;
      if (along <= 0 || across * across > 0.0025 * (dx * dx + dy * dy)) return false;
    }
    return std::fabs(PointAngle(p, q) - f) < kEps;
  }

  const LineList& outline_;
  double reach_;
  std::vector<Box> boxes_;
  std::vector<TAcadPoint> crossings_;
};

struct PointBits {
  uint64_t x, y, z;
  bool operator==(const PointBits&) const = default;
};

struct PointBitsHash {
  std::size_t operator()(const PointBits& b) const {
    return static_cast<std::size_t>((b.x * 0x9e3779b97f4a7c15ULL) ^ (b.y + 0x632be59bd9b4e019ULL) ^
                                    (b.z << 7));
  }
};

}  // namespace

bool PointInOutline(const TAcadPoint& p, double reach, const LineList& segments) {
  if (!kernel_detail::IsFinite(p) || !AllFinite(segments) || !std::isfinite(reach)) {
    return reference::PointInOutline(p, reach, segments);
  }
  OutlineTester tester(segments, reach);
  return tester.Inside(p);
}

void RemoveEnclosed(Workspace& ws) {
  if (!AllFinite(ws.ArySeg) || !AllFinite(ws.AryLine) || !std::isfinite(ws.BuildingSpan)) {
    reference::RemoveEnclosed(ws);
    return;
  }
  OutlineTester tester(ws.AryLine, ws.BuildingSpan);
  std::unordered_map<PointBits, bool, PointBitsHash> known;
  known.reserve(2 * ws.ArySeg.size());
  const auto inside = [&](const TAcadPoint& p) {
    const PointBits key{std::bit_cast<uint64_t>(p.x), std::bit_cast<uint64_t>(p.y),
                        std::bit_cast<uint64_t>(p.z)};
    const auto found = known.find(key);
    if (found != known.end()) return found->second;
    const bool result = tester.Inside(p);
    known.emplace(key, result);
    return result;
  };
  for (TLineEnt& s : ws.ArySeg) {
    s.id = 0;
    if (inside(s.st) || inside(s.ed)) s.id = -1;
  }
  ws.AryKeep.reserve(ws.ArySeg.size());
  KeepMarked(ws.ArySeg, ws.AryKeep);
}

void PruneDangling(Workspace& ws) {
  LineList& segs = ws.ArySeg;
  if (!AllFinite(segs) || segs.size() > kMaxItems) {
    reference::PruneDangling(ws);
    return;
  }
  const NearPointIndex ends = IndexOfEnds(segs, Ends::Both);
  const auto connected = [&](std::size_t i, const TAcadPoint& p) {
    bool found = false;
    ends.ForEachNear(p, [&](uint32_t item) {
      const std::size_t j = item / 2;
      if (found || j == i) return;
      found = Same(p, item % 2 == 0 ? segs[j].st : segs[j].ed);
    });
    return found;
  };
  for (std::size_t i = 0; i < segs.size(); ++i) {
    segs[i].id = connected(i, segs[i].st) && connected(i, segs[i].ed) ? 0 : -2;
  }
  ws.AryKeep.reserve(segs.size());
  KeepMarked(segs, ws.AryKeep);
}

void RemoveReversePairs(Workspace& ws) {
  LineList& lines = ws.AryLine;
  if (lines.size() < 2) return;
  if (!AllFinite(lines) || lines.size() > kMaxItems) {
    reference::RemoveReversePairs(ws);
    return;
  }
  // The first later segment that ends at this one's start and starts at its end.
  const NearPointIndex ends = IndexOfEnds(lines, Ends::EndsOnly);
  for (TLineEnt& s : lines) s.id = 0;
  bool marked = false;
  for (std::size_t j = 0; j < lines.size(); ++j) {
    std::size_t first = lines.size();
    ends.ForEachNear(lines[j].st, [&](uint32_t k) {
      if (k > j && k < first && Same(lines[j].st, lines[k].ed) && Same(lines[j].ed, lines[k].st)) {
        first = k;
      }
    });
    if (first < lines.size()) {
      lines[j].id = -1;
      lines[first].id = -1;
      marked = true;
    }
  }
  if (marked) {
    ws.AryKeep.reserve(lines.size());
    KeepMarked(lines, ws.AryKeep);
  }
}

}  // namespace vorn
