#include "sky/sky_projection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"

namespace vorn {

namespace {

constexpr double kTiny = 1e-5;
constexpr std::size_t kSegmentChunk = 1000;

bool IsFinite(const TAcadPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void PushChunked(LineList& list, const TLineEnt& line) {
  if (list.size() == list.capacity()) list.reserve(list.capacity() + kSegmentChunk);
  list.push_back(line);
}

TLineEnt Segment(const TAcadPoint& st, const TAcadPoint& ed, int id = 0) {
  TLineEnt s;
  s.id = id;
  s.st = st;
  s.ed = ed;
  return s;
}

// The sampling loop's progress: one advance per edge for up to a hundred edges, otherwise one
// per hundredth.
class SamplingProgress {
 public:
  SamplingProgress(ProgressSink* sink, std::size_t edges) : sink_(sink) {
    if (sink_ == nullptr) return;
    every_ = edges <= 100 ? 1 : edges / 100;
    sink_->SetMaximum(static_cast<int>(edges <= 100 ? edges : 100));
  }
  void Advance(std::size_t index) {
    if (sink_ == nullptr || index % every_ != 0) return;
    sink_->SetPosition(sink_->Position() + 1);
    sink_->ProcessMessages();
  }
  void Reset() {
    if (sink_ != nullptr) sink_->SetPosition(0);
  }

 private:
  ProgressSink* sink_;
  std::size_t every_ = 1;
};

double FoldedTurn(const TAcadPoint& a, const TAcadPoint& b) {
  const TAcadPoint o{};
  const double t = TurnAngle(a, o, b);
  return t > kPi ? 2 * kPi - t : t;
}

// A grid of 1 mm cells: two points within 1e-5 of each other are in the same or in
// neighbouring cells.
struct Cell {
  double x, y, z;
  friend bool operator==(const Cell&, const Cell&) = default;
};

struct CellHash {
  std::size_t operator()(const Cell& c) const {
    std::size_t h = 1469598103934665603ull;
    for (double v : {c.x, c.y, c.z}) {
      std::uint64_t bits = 0;
      v += 0.0;  // -0.0 and 0.0 share a cell
      std::memcpy(&bits, &v, sizeof bits);
      h = (h ^ bits) * 1099511628211ull;
      h ^= h >> 29;
    }
    return h;
  }
};

Cell CellOf(const TAcadPoint& p) { return {std::floor(p.x), std::floor(p.y), std::floor(p.z)}; }

bool RepeatsEdge(const TLineEnt& a, const TLineEnt& b) {
  return (SamePoint3D(a.st, b.st, kTiny) && SamePoint3D(a.ed, b.ed, kTiny)) ||
         (SamePoint3D(a.st, b.ed, kTiny) && SamePoint3D(a.ed, b.st, kTiny));
}

}  // namespace

std::string SurroundedMessage(const std::string& pointName) {
  return "測定点 " + pointName +
         " は建物に半周以上囲まれているため，天空率を計算できません．（建物は測定点から見て地平線の"
         "半分以内に収まっている必要があります）";
}

double NorthUpRotation(double northDegrees) { return kPi / 2 - northDegrees * kPi / 180.0; }

TAcadPoint TurnAboutCentre(const TAcadPoint& p, double angle) {
  const TAcadPoint o{};
  return PolarPoint(o, PointAngle(o, p) + angle, PointDist(o, p));
}

bool TakesPartInSky(const TLineEnt& e, double planeHeight) {
  return e.st.z > planeHeight && e.ed.z > planeHeight && e.st.z > kTiny && e.ed.z > kTiny;
}

LineList ExpandSkyEdges(const LineList& building, double e) {
  LineList edges;
  edges.reserve(kSegmentChunk);
  for (const TLineEnt& b : building) {
    if (TakesPartInSky(b, e)) PushChunked(edges, Segment(b.st, b.ed, kSkyTopEdge));
  }
  for (const TLineEnt& b : building) {
    if (!TakesPartInSky(b, e)) continue;
    PushChunked(edges, Segment({b.st.x, b.st.y, e}, {b.ed.x, b.ed.y, e}, kSkyBottomEdge));
  }
  for (const TLineEnt& b : building) {
    if (!TakesPartInSky(b, e)) continue;
    PushChunked(edges, Segment(b.st, {b.st.x, b.st.y, e}, kSkyVerticalEdge));
    PushChunked(edges, Segment(b.ed, {b.ed.x, b.ed.y, e}, kSkyVerticalEdge));
  }
  edges.shrink_to_fit();
  return edges;
}

void MarkDuplicateEdgesReference(LineList& edges) {
  for (std::size_t i = 0; i < edges.size(); ++i) {
    for (std::size_t j = i + 1; j < edges.size(); ++j) {
      if (RepeatsEdge(edges[i], edges[j])) {
        edges[i].id = kSkyDuplicate;
        break;
      }
    }
  }
}

void MarkDuplicateEdges(LineList& edges) {
  // Every edge is filed under the cells of both its ends; an edge repeating edge i has an end
  // in one of the 27 cells around i's start.
  std::unordered_map<Cell, std::vector<std::size_t>, CellHash> index;
  index.reserve(edges.size() * 2);
  for (std::size_t j = 0; j < edges.size(); ++j) {
    const Cell a = CellOf(edges[j].st);
    const Cell b = CellOf(edges[j].ed);
    index[a].push_back(j);
    if (!(b == a)) index[b].push_back(j);
  }
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const Cell c = CellOf(edges[i].st);
    bool repeated = false;
    for (double dx = -1; dx <= 1 && !repeated; ++dx) {
      for (double dy = -1; dy <= 1 && !repeated; ++dy) {
        for (double dz = -1; dz <= 1 && !repeated; ++dz) {
          const auto it = index.find(Cell{c.x + dx, c.y + dy, c.z + dz});
          if (it == index.end()) continue;
          for (std::size_t j : it->second) {
            if (j > i && RepeatsEdge(edges[i], edges[j])) {
              repeated = true;
              break;
            }
          }
        }
      }
    }
    if (repeated) edges[i].id = kSkyDuplicate;
  }
}

std::vector<TAcadPoint> SampleSkyEdge(const TLineEnt& edge) {
  const TAcadPoint& st = edge.st;
  const TAcadPoint& ed = edge.ed;
  const double v = PointDist(st, ed);
  const double theta = PointAngle(st, ed);
  const double d = st.z - ed.z;
  const double length = std::sqrt(v * v + d * d);
  if (length <= kTiny) return {};
  double b = 0.0;
  if (v > kTiny) {
    b = std::atan(d / v);
  } else {
    b = st.z > ed.z ? 3 * kPi / 2 : kPi / 2;
  }
  double a = v < kTiny ? length / 3 : kSkySampleStep;
  const double steps = std::trunc(length / a);
  double count = steps + 1;
  if (steps == 0) {
    count = 2;
    a = length / 3;
  }
  const auto k_end = static_cast<std::size_t>(count);
  std::vector<TAcadPoint> samples;
  samples.reserve(k_end + 1);
  for (std::size_t k = 0; k < k_end; ++k) {
    const double along = a * static_cast<double>(k);
    TAcadPoint s = PolarPoint(st, theta, along * std::cos(b));
    const double rise = std::fabs(along * std::sin(b));
    s.z = d < 0 ? st.z + rise : st.z - rise;
    samples.push_back(s);
  }
  samples.push_back(ed);
  return samples;
}

SkySample ProjectSkySample(const TAcadPoint& sample, const SkyProjectionParameters& p) {
  TAcadPoint s = sample;
  // Coordinates below zero are taken as zero (the drawing is assumed in the positive quadrant).
  if (s.x < kTiny) s.x = 0.0;
  if (s.y < kTiny) s.y = 0.0;
  if (s.z < kTiny) s.z = 0.0;
  const double e = p.planeHeight;
  if (e >= 0 || s.z > 0) {
    s.z -= e;
    if (s.z < 0) s.z = 0.0;
  }
  const TAcadPoint& m = p.measurementPoint;
  SkySample out;
  out.height = s.z;
  out.distance = PointDist(m, s);
  out.direction = PointAngle(m, s);
  // A sample straight above the point is at the zenith, the diagram's centre.
  out.elevation = out.distance > 0.0 ? std::atan(s.z / out.distance) : (s.z > 0 ? kPi / 2 : 0.0);
  if (s.z > 0 && out.distance == 0.0) {
    out.projected = {0.0, 0.0, s.z};
    return out;
  }
  const TAcadPoint q =
      PolarPoint(m, out.direction, s.z > 0 ? p.radius * std::cos(out.elevation) : p.radius);
  out.projected = {q.x - m.x, q.y - m.y, s.z};
  return out;
}

namespace {

// The arc from the pair (bi, bj) found furthest apart: A, the 0.25° steps, B.
std::vector<TAcadPoint> ArcBetween(const std::vector<TAcadPoint>& base, std::size_t bi,
                                   std::size_t bj, double radius) {
  const TAcadPoint o{};
  TAcadPoint a = base[bi];
  TAcadPoint b = base[bj];
  if (TurnAngle(a, o, b) > TurnAngle(b, o, a)) std::swap(a, b);
  const double t = TurnAngle(a, o, b);
  const auto n = static_cast<std::size_t>(std::trunc(t / kHorizonArcStep));
  std::vector<TAcadPoint> arc;
  arc.reserve(n + 2);
  arc.push_back(a);
  const double start = PointAngle(o, a);
  for (std::size_t k = 1; k <= n; ++k) {
    arc.push_back(PolarPoint(o, start + static_cast<double>(k) * kHorizonArcStep, radius));
  }
  arc.push_back(b);
  return arc;
}

}  // namespace

std::vector<TAcadPoint> HorizonArcPointsReference(const std::vector<TAcadPoint>& base,
                                                  double radius) {
  if (base.size() < 2) return {};
  std::size_t bi = 0, bj = 0;
  double best = -1.0;
  for (std::size_t i = 0; i < base.size(); ++i) {
    for (std::size_t j = 0; j < base.size(); ++j) {
      if (i == j) continue;
      const double t = FoldedTurn(base[i], base[j]);
      if (t > best) best = t, bi = i, bj = j;
    }
  }
  return ArcBetween(base, bi, bj, radius);
}

std::vector<TAcadPoint> HorizonArcPoints(const std::vector<TAcadPoint>& base, double radius) {
  if (base.size() < 2) return {};
  // TurnAngle at the centre is the difference of the two directions from it, brought into
  // [0, 2π): each direction is taken once instead of once per pair, the same pairs are
  // compared in the same order, so the same pair wins.
  const TAcadPoint o{};
  std::vector<double> direction(base.size());
  for (std::size_t i = 0; i < base.size(); ++i) direction[i] = PointAngle(o, base[i]);
  const double full = 2 * kPi;
  std::size_t bi = 0, bj = 0;
  double best = -1.0;
  for (std::size_t i = 0; i < base.size(); ++i) {
    for (std::size_t j = 0; j < base.size(); ++j) {
      if (i == j) continue;
      double t = direction[j] - direction[i];
      if (t < 0) t += full;
      if (t >= full) t -= full;
      if (t > kPi) t = full - t;
      if (t > best) best = t, bi = i, bj = j;
    }
  }
  return ArcBetween(base, bi, bj, radius);
}

bool HorizonSurrounded(const std::vector<TAcadPoint>& base) {
  if (base.size() < 2) return false;
  const TAcadPoint o{};
  std::vector<double> directions;
  directions.reserve(base.size());
  for (const TAcadPoint& p : base) directions.push_back(PointAngle(o, p));
  std::sort(directions.begin(), directions.end());
  double widest = directions.front() + 2 * kPi - directions.back();
  for (std::size_t i = 1; i < directions.size(); ++i) {
    widest = std::max(widest, directions[i] - directions[i - 1]);
  }
  // A gap of exactly half the horizon (within round-off) still leaves the buildings on one side.
  return widest < kPi - 1e-9;
}

SkyProjectionResult ProjectSkyLines(Workspace& ws, const SkyProjectionParameters& p,
                                    SkyProjectionObserver* observer) {
  ws.AryLine.clear();
  ws.AryLine.reserve(kSegmentChunk);
  if (!IsFinite(p.measurementPoint) || !std::isfinite(p.planeHeight) ||
      !std::isfinite(p.northDegrees) || !std::isfinite(p.radius)) {
    return SkyProjectionResult::kNotFinite;
  }
  for (const TLineEnt& b : ws.BuildingEdges) {
    if (!IsFinite(b.st) || !IsFinite(b.ed)) return SkyProjectionResult::kNotFinite;
  }
  LineList edges = ExpandSkyEdges(ws.BuildingEdges, p.planeHeight);
  MarkDuplicateEdges(edges);

  const double f = NorthUpRotation(p.northDegrees);
  const TAcadPoint o{};
  std::vector<TAcadPoint> horizon;
  std::vector<TAcadPoint> turned;
  SamplingProgress progress(ws.KernelProgress, edges.size());
  for (std::size_t i = 0; i < edges.size(); ++i) {
    progress.Advance(i);
    const TLineEnt& edge = edges[i];
    if (edge.id < 0) continue;
    const double v = PointDist(edge.st, edge.ed);
    const double d = edge.st.z - edge.ed.z;
    if (std::sqrt(v * v + d * d) <= kTiny) continue;
    if (edge.st.z - p.planeHeight <= 0 && edge.ed.z - p.planeHeight <= 0) {
      horizon.push_back(PolarPoint(o, PointAngle(p.measurementPoint, edge.st), p.radius));
      horizon.push_back(PolarPoint(o, PointAngle(p.measurementPoint, edge.ed), p.radius));
      continue;
    }
    const std::vector<TAcadPoint> samples = SampleSkyEdge(edge);
    turned.clear();
    TAcadPoint previous;
    for (std::size_t k = 0; k < samples.size(); ++k) {
      const SkySample s = ProjectSkySample(samples[k], p);
      if (k > 0) PushChunked(ws.AryLine, Segment(previous, s.projected));
      previous = s.projected;
      if (observer == nullptr) continue;
      turned.push_back(TurnAboutCentre(s.projected, f));
      if ((k == 0 || k + 1 == samples.size()) && s.height > 0) {
        observer->Corner(TTateiti{static_cast<int32_t>(k), s.distance, s.height,
                                  s.direction * 180.0 / kPi, s.elevation * 180.0 / kPi,
                                  p.radius * std::cos(s.elevation)});
      }
    }
    if (observer != nullptr && turned.size() > 1) observer->EdgeSamples(turned);
  }
  progress.Reset();

  if (HorizonSurrounded(horizon)) {
    ws.AryLine.clear();
    return SkyProjectionResult::kSurrounded;
  }
  const std::vector<TAcadPoint> arc = HorizonArcPoints(horizon, p.radius);
  for (std::size_t k = 1; k < arc.size(); ++k) PushChunked(ws.AryLine, Segment(arc[k - 1], arc[k]));
  if (observer != nullptr && !arc.empty()) {
    turned.clear();
    for (const TAcadPoint& a : arc) turned.push_back(TurnAboutCentre(a, f));
    observer->HorizonArc(turned);
  }
  for (TLineEnt& s : ws.AryLine) {
    s.st = TurnAboutCentre(s.st, f);
    s.ed = TurnAboutCentre(s.ed, f);
  }
  ws.AryLine.shrink_to_fit();
  return SkyProjectionResult::kProjected;
}

bool TraceSkyOutline(Workspace& ws) {
  MergeCollinear(ws);
  ws.ArySeg.clear();
  SplitSegments(ws);
  RemoveDuplicates(ws);
  GetMinCorner(ws);
  ws.TraceFrom = {ws.MinCorner.x, ws.MinCorner.y - 1000.0, ws.MinCorner.z};
  ws.TraceStart = FindTraceStart(ws);
  ws.AryLine.clear();
  return TraceOutline(ws);
}

SkyLineResult GetTenkuLine(Workspace& ws, const SkyProjectionParameters& p) {
  switch (ProjectSkyLines(ws, p)) {
    case SkyProjectionResult::kSurrounded:
      return SkyLineResult::kSurrounded;
    case SkyProjectionResult::kNotFinite:
      return SkyLineResult::kNotFinite;
    case SkyProjectionResult::kProjected:
      break;
  }
  if (ws.AryLine.size() <= 2) return SkyLineResult::kTooFewSegments;
  return TraceSkyOutline(ws) ? SkyLineResult::kTraced : SkyLineResult::kTraceFailed;
}

}  // namespace vorn
