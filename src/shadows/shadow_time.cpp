#include "shadows/shadow_time.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "geometry/point_ops.h"

namespace vorn {

namespace {

// Box tests leave this much room around the boundary tolerance, so a quadrilateral they skip
// could never have held the point.
constexpr double kBoxMargin = 1e-3;

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

bool NearSegment(const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b) {
  const double ex = b.x - a.x;
  const double ey = b.y - a.y;
  const double wx = p.x - a.x;
  const double wy = p.y - a.y;
  const double length2 = ex * ex + ey * ey;
  double fx = wx;
  double fy = wy;
  if (length2 > 0.0) {
    const double u = std::clamp((wx * ex + wy * ey) / length2, 0.0, 1.0);
    fx = wx - u * ex;
    fy = wy - u * ey;
  }
  return fx * fx + fy * fy <= kSamePointTol * kSamePointTol;
}

void SetBox(ShadowQuad& q) {
  q.xmin = q.xmax = q.c[0].x;
  q.ymin = q.ymax = q.c[0].y;
  for (const TAcadPoint& p : q.c) {
    q.xmin = std::min(q.xmin, p.x);
    q.xmax = std::max(q.xmax, p.x);
    q.ymin = std::min(q.ymin, p.y);
    q.ymax = std::max(q.ymax, p.y);
  }
}

// The direction of a shadow as PolarPoint moves along it, axis directions exact, so that one
// direction serves every building point of a sample with PolarPoint's very results.
struct Direction {
  double ux = 0.0;
  double uy = 0.0;
};

Direction DirectionOf(double angle) {
  if (angle == 0.0) return {1.0, 0.0};
  if (angle == kPi / 2) return {0.0, 1.0};
  if (angle == kPi) return {-1.0, 0.0};
  if (angle == 3 * kPi / 2) return {0.0, -1.0};
  return {std::cos(angle), std::sin(angle)};
}

TAcadPoint MovedShadowPoint(const TAcadPoint& p, double h, const Direction& d, double ratio) {
  if (!(p.z > h)) return {p.x, p.y, 0.0};
  const double distance = (p.z - h) * ratio;
  return {p.x + distance * d.ux, p.y + distance * d.uy, 0.0};
}

struct Box {
  double xmin, ymin, xmax, ymax;
};

// One sample of the fast form: quadrilaterals once, then every point against them. Each point
// tries first the quadrilateral that held it at the previous sample, since the shadow moves
// little from one sample to the next; any quadrilateral that holds it gives the same answer.
class SampleTester {
 public:
  SampleTester(const LineList& edges, const SunState& sun, double h, std::size_t points)
      : edges_(edges), sun_(sun), h_(h), lastHit_(points, 0) {
    quads_.resize(edges.size());
    boxes_.resize(edges.size());
  }

  void Test(double t, const std::vector<TAcadPoint>& points, uint8_t* states) {
    const SunPos pos = GetSunPos(sun_, t, sun_.SunDeclination);
    std::fill(states, states + points.size(), uint8_t{0});
    if (!pos.ok || edges_.empty()) return;
    const Direction d = DirectionOf(ShadowDirection(sun_, pos));
    Box all{};
    for (std::size_t i = 0; i < edges_.size(); ++i) {
      const TLineEnt& e = edges_[i];
      ShadowQuad& q = quads_[i];
      q.c[0] = {e.st.x, e.st.y, 0.0};
      q.c[1] = {e.ed.x, e.ed.y, 0.0};
      q.c[2] = MovedShadowPoint(e.ed, h_, d, pos.ratio);
      q.c[3] = MovedShadowPoint(e.st, h_, d, pos.ratio);
      SetBox(q);
      // The margin is added here once, so the loops below compare without arithmetic.
      boxes_[i] = {q.xmin - kBoxMargin, q.ymin - kBoxMargin, q.xmax + kBoxMargin,
                   q.ymax + kBoxMargin};
      if (i == 0) {
        all = boxes_[i];
      } else {
        all = {std::min(all.xmin, boxes_[i].xmin), std::min(all.ymin, boxes_[i].ymin),
               std::max(all.xmax, boxes_[i].xmax), std::max(all.ymax, boxes_[i].ymax)};
      }
    }
    for (std::size_t k = 0; k < points.size(); ++k) {
      const TAcadPoint& p = points[k];
      if (!Holds(all, p)) continue;
      if (HitAt(lastHit_[k], p)) {
        states[k] = 1;
        continue;
      }
      for (std::size_t i = 0; i < quads_.size(); ++i) {
        if (HitAt(i, p)) {
          states[k] = 1;
          lastHit_[k] = i;
          break;
        }
      }
    }
  }

 private:
  static bool Holds(const Box& b, const TAcadPoint& p) {
    return p.x >= b.xmin && p.x <= b.xmax && p.y >= b.ymin && p.y <= b.ymax;
  }
  bool HitAt(std::size_t i, const TAcadPoint& p) const {
    return Holds(boxes_[i], p) && PointInShadowQuad(p, quads_[i]);
  }

  const LineList& edges_;
  const SunState& sun_;
  double h_;
  std::vector<ShadowQuad> quads_;
  std::vector<Box> boxes_;
  std::vector<std::size_t> lastHit_;
};

void TestSamples(const LineList& edges, const SunState& sun, double h,
                 const std::vector<double>& times, std::size_t from, std::size_t to,
                 const std::vector<TAcadPoint>& points, std::vector<uint8_t>& states) {
  SampleTester tester(edges, sun, h, points.size());
  for (std::size_t s = from; s < to; ++s) {
    tester.Test(times[s], points, states.data() + s * points.size());
  }
}

// Enough work per worker to be worth starting a thread for.
constexpr std::size_t kWorkPerThread = 200000;

}  // namespace

double EvaluationStepMinutes(int itemIndex, bool tenth) {
  const bool known = itemIndex >= 0 && itemIndex < static_cast<int>(kEvaluationSeconds.size());
  double w = known ? kEvaluationSeconds[static_cast<std::size_t>(itemIndex)] / 60.0 : 0.0;
  if (tenth) w = w / 10.0;
  if (w == 0.0) w = 1.0 / 60.0;
  return w;
}

int PointTimeSampleCount(double firstHour, double lastHour, double stepMinutes) {
  const double n = std::trunc((lastHour - firstHour) * 60.0 / stepMinutes);
  return n > 0.0 ? static_cast<int>(n) : 0;
}

double PointTimeSample(double firstHour, double stepMinutes, int i) {
  return firstHour + stepMinutes * i / 60.0;
}

ShadowQuad MakeShadowQuad(const TLineEnt& edge, double h, double direction, double ratio) {
  ShadowQuad q;
  q.c[0] = {edge.st.x, edge.st.y, 0.0};
  q.c[1] = {edge.ed.x, edge.ed.y, 0.0};
  q.c[2] = ShadowPoint(edge.ed, h, direction, ratio);
  q.c[3] = ShadowPoint(edge.st, h, direction, ratio);
  SetBox(q);
  return q;
}

bool PointInShadowQuad(const TAcadPoint& p, const ShadowQuad& q) {
  double area2 = 0.0;
  double longest2 = 0.0;
  for (std::size_t i = 0; i < 4; ++i) {
    const TAcadPoint& a = q.c[i];
    const TAcadPoint& b = q.c[(i + 1) % 4];
    if (NearSegment(p, a, b)) return true;
    area2 += Cross(a.x - q.c[0].x, a.y - q.c[0].y, b.x - q.c[0].x, b.y - q.c[0].y);
    longest2 = std::max(longest2, (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
  }
  // A quadrilateral narrower than the tolerance has no point inside that is not already
  // within the tolerance of its boundary (its inradius is at most area / longest side).
  if (longest2 == 0.0 || !(area2 * area2 / 4.0 >= kSamePointTol * kSamePointTol * longest2)) {
    return false;
  }
  const double sign = area2 > 0.0 ? 1.0 : -1.0;
  for (std::size_t i = 0; i < 4; ++i) {
    const TAcadPoint& a = q.c[i];
    const TAcadPoint& b = q.c[(i + 1) % 4];
    if (a.x == b.x && a.y == b.y) continue;
    if (!(sign * Cross(b.x - a.x, b.y - a.y, p.x - a.x, p.y - a.y) > 0.0)) return false;
  }
  return true;
}

void ShadowStatesReference(const LineList& edges, const SunState& sun, double h,
                           const std::vector<double>& times, const std::vector<TAcadPoint>& points,
                           std::vector<uint8_t>& states) {
  states.assign(times.size() * points.size(), 0);
  for (std::size_t s = 0; s < times.size(); ++s) {
    for (std::size_t k = 0; k < points.size(); ++k) {
      const SunPos pos = GetSunPos(sun, times[s], sun.SunDeclination);
      if (!pos.ok) continue;
      const double direction = ShadowDirection(sun, pos);
      for (const TLineEnt& edge : edges) {
        if (PointInShadowQuad(points[k], MakeShadowQuad(edge, h, direction, pos.ratio))) {
          states[s * points.size() + k] = 1;
          break;
        }
      }
    }
  }
}

void ShadowStatesFast(const LineList& edges, const SunState& sun, double h,
                      const std::vector<double>& times, const std::vector<TAcadPoint>& points,
                      std::vector<uint8_t>& states, int threads) {
  states.assign(times.size() * points.size(), 0);
  const std::size_t work = times.size() * points.size() * std::max<std::size_t>(edges.size(), 1);
  const std::size_t useful = std::max<std::size_t>(work / kWorkPerThread, 1);
  const std::size_t workers =
      std::min({static_cast<std::size_t>(std::max(threads, 1)), useful, times.size()});
  if (workers <= 1) {
    TestSamples(edges, sun, h, times, 0, times.size(), points, states);
    return;
  }
  // Each worker owns a contiguous run of samples and writes only its own states, so the
  // result does not depend on how the work was split.
  std::vector<std::thread> pool;
  pool.reserve(workers - 1);
  const std::size_t per = times.size() / workers;
  const std::size_t extra = times.size() % workers;
  std::size_t from = 0;
  for (std::size_t w = 0; w < workers; ++w) {
    const std::size_t to = from + per + (w < extra ? 1 : 0);
    if (w + 1 == workers) {
      TestSamples(edges, sun, h, times, from, to, points, states);
    } else {
      pool.emplace_back(
          [&, from, to] { TestSamples(edges, sun, h, times, from, to, points, states); });
    }
    from = to;
  }
  for (std::thread& t : pool) t.join();
}

int ShadowStateThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(n, 1u, 8u));
}

void RecordShadowSample(PointShadowRecord& r, bool inside, const std::string& s) {
  const auto filled = [&](int i) { return !r.time(i).empty(); };
  if (inside) {
    if (!filled(0)) {
      r.time(0) = s;
    } else if (filled(1) && !filled(2)) {
      r.time(2) = s;
    } else if (filled(3) && !filled(4)) {
      r.time(4) = s;
    }
    ++r.samplesInShadow;
  } else {
    if (filled(0) && !filled(1)) {
      r.time(1) = s;
    } else if (filled(2) && !filled(3)) {
      r.time(3) = s;
    } else if (filled(4) && !filled(5)) {
      r.time(5) = s;
    }
  }
}

void CloseShadowRecord(PointShadowRecord& r, double stepMinutes, double lastSampleHour) {
  r.total() = TimeToHMS(stepMinutes * r.samplesInShadow / 60.0);
  const std::string end = TimeToHMS(lastSampleHour + stepMinutes / 60.0);
  for (int i = 0; i < 6; i += 2) {
    if (!r.time(i).empty() && r.time(i + 1).empty()) {
      r.time(i + 1) = end;
      return;
    }
  }
}

PointTimeRunEnd RunPointTimes(const Workspace& ws, const PointTimeParameters& params,
                              RunMonitor& monitor, std::vector<PointTimeRow>& rows) {
  const double w = params.stepMinutes;
  const int n = PointTimeSampleCount(params.firstHour, params.lastHour, w);
  std::vector<TAcadPoint> points;
  std::vector<std::size_t> owner;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].hasPoint) continue;
    points.push_back(rows[r].p);
    owner.push_back(r);
  }
  // The states are computed a block of samples ahead of the bookkeeping, which stops at the
  // sample where the user asked it to.
  constexpr int kBlock = 1024;
  const int threads = ShadowStateThreads();
  std::vector<double> times;
  std::vector<uint8_t> states;
  for (int first = 0; first < n; first += kBlock) {
    const int count = std::min(kBlock, n - first);
    times.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      times[static_cast<std::size_t>(i)] = PointTimeSample(params.firstHour, w, first + i);
    }
    if (params.referenceForm) {
      ShadowStatesReference(ws.BuildingEdges, ws.sun, params.planeHeight, times, points, states);
    } else {
      ShadowStatesFast(ws.BuildingEdges, ws.sun, params.planeHeight, times, points, states,
                       threads);
    }
    for (int i = 0; i < count; ++i) {
      const int sample = first + i;
      if (sample > 0) monitor.AdvanceProgress();
      if (!monitor.Running()) return PointTimeRunEnd::kStopped;
      monitor.ProcessMessages();
      const double t = times[static_cast<std::size_t>(i)];
      const std::string s = TimeToHMS(t);
      for (std::size_t k = 0; k < points.size(); ++k) {
        PointShadowRecord& record = rows[owner[k]].record;
        RecordShadowSample(record, states[static_cast<std::size_t>(i) * points.size() + k] != 0, s);
        if (sample == n - 1) CloseShadowRecord(record, w, t);
      }
    }
  }
  return PointTimeRunEnd::kCompleted;
}

}  // namespace vorn
