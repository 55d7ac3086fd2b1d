// The outline kernel, fast and straightforward forms side by side:
// - MakeShadowOutline for buildings of growing size: a box (12 edges), a 33-sided tower
//   (99 edges) and terraces of boxes with a few towers (about 1,000 and 10,000 edges);
// - every region of the shadow, as the hourly diagram traces them;
// - the sky outline of one measurement point of the sample site: the building's top edges
//   sampled every 250 mm, the vertical edges in thirds, projected onto the sky circle, closed
//   by the horizon arc, then merged, split, de-duplicated and traced.
// The straightforward form at 10,000 edges takes many seconds and runs once.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bench_buildings.h"
#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"

namespace vorn {
namespace {

std::vector<TAcadPoint> Box(double x, double y, double w, double d) {
  return {{x, y, 0}, {x + w, y, 0}, {x + w, y + d, 0}, {x, y + d, 0}};
}

std::vector<TAcadPoint> Round(double cx, double cy, double r, int sides) {
  std::vector<TAcadPoint> corners;
  for (int i = 0; i < sides; ++i) {
    const double a = 2 * kPi * i / sides;
    corners.push_back({cx + r * std::cos(a), cy + r * std::sin(a), 0});
  }
  return corners;
}

Workspace Building(int edgesWanted) {
  Workspace ws;
  SetSunState(ws.sun, SeasonDeclination(0), 35.68 * kPi / 180, 80.0);
  if (edgesWanted <= 12) {
    AddPrism(ws.BuildingEdges, Box(0, 0, 20000, 10000), 15000);
  } else if (edgesWanted <= 100) {
    AddPrism(ws.BuildingEdges, Round(0, 0, 12000, 33), 30000);
  } else {
    for (int i = 0; static_cast<int>(ws.BuildingEdges.size()) < edgesWanted - 12; ++i) {
      AddPrism(ws.BuildingEdges, Box((i % 12) * 9000.0, (i / 12) * 14000.0, 7000, 9000),
               9000 + (i % 5) * 3000);
    }
  }
  return ws;
}

template <OutlineResult (*Outline)(Workspace&, double, double)>
void RunShadowOutline(benchmark::State& state) {
  Workspace ws = Building(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const OutlineResult result = Outline(ws, 10.0, 4000);
    benchmark::DoNotOptimize(result);
  }
  state.counters["edges"] = static_cast<double>(ws.BuildingEdges.size());
  state.counters["segments"] = static_cast<double>(4 * ws.BuildingEdges.size());
}

void BM_MakeShadowOutline(benchmark::State& state) { RunShadowOutline<MakeShadowOutline>(state); }
void BM_MakeShadowOutline_Reference(benchmark::State& state) {
  RunShadowOutline<reference::MakeShadowOutline>(state);
}

BENCHMARK(BM_MakeShadowOutline)
    ->Arg(12)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeShadowOutline_Reference)
    ->Arg(12)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeShadowOutline_Reference)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Every separate region of the shadow, as the hourly diagram traces them: the standard
// sequence, then trace, remove the traced region with what it encloses, prune, and again.
template <bool (*Prepare)(Workspace&),
          RegionTrace (*TraceAll)(Workspace&, const std::function<bool()>&,
                                  const std::function<void(const LineList&)>&)>
void RunAllRegions(benchmark::State& state) {
  Workspace ws = Building(static_cast<int>(state.range(0)));
  const SunPos sun = GetSunPos(ws.sun, 10.0, ws.sun.SunDeclination);
  LineList input;
  AppendFootprints(ws.BuildingEdges, input);
  for (const TLineEnt& edge : ws.BuildingEdges) {
    AppendEdgeShadow(edge, 4000, ShadowDirection(ws.sun, sun), sun.ratio, input);
  }
  int outlines = 0;
  for (auto _ : state) {
    ws.AryLine = input;
    Prepare(ws);
    outlines = TraceAll(
                   ws, [] { return true; }, [](const LineList&) {})
                   .outlines;
    benchmark::DoNotOptimize(outlines);
  }
  state.counters["edges"] = static_cast<double>(ws.BuildingEdges.size());
  state.counters["regions"] = outlines;
}

void BM_TraceAllRegions(benchmark::State& state) {
  RunAllRegions<PrepareSegments, TraceAllRegions>(state);
}
void BM_TraceAllRegions_Reference(benchmark::State& state) {
  RunAllRegions<reference::PrepareSegments, reference::TraceAllRegions>(state);
}

BENCHMARK(BM_TraceAllRegions)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceAllRegions_Reference)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The sample site's buildings (an L-shaped block, a tower, a free-standing wall and a round
// stair tower) as top edges with their heights.
LineList SampleSiteTops() {
  LineList tops;
  const auto ring = [&](const std::vector<TAcadPoint>& corners, double height) {
    for (std::size_t i = 0; i < corners.size(); ++i) {
      TLineEnt e;
      e.st = {corners[i].x, corners[i].y, height};
      e.ed = {corners[(i + 1) % corners.size()].x, corners[(i + 1) % corners.size()].y, height};
      tops.push_back(e);
    }
  };
  ring({{25000, 20000, 0},
        {55000, 20000, 0},
        {55000, 30000, 0},
        {35000, 30000, 0},
        {35000, 40000, 0},
        {25000, 40000, 0}},
       15000);
  ring(Box(60000, 20000, 12000, 12000), 40000);
  ring(Round(23000, 30000, 3000, 72), 20000);
  TLineEnt wall;
  wall.st = {76000, 18000, 3000};
  wall.ed = {76000, 34000, 3000};
  tops.push_back(wall);
  return tops;
}

// Orthographic sky projection around m onto a circle of radius r.
TAcadPoint Project(const TAcadPoint& m, const TAcadPoint& p, double r) {
  const double h = std::atan(p.z / PointDist(m, p));
  const TAcadPoint q = PolarPoint(m, PointAngle(m, p), r * std::cos(h));
  return {q.x - m.x, q.y - m.y, 0};
}

void AppendChain(const std::vector<TAcadPoint>& samples, const TAcadPoint& m, double r,
                 LineList& out) {
  for (std::size_t k = 0; k + 1 < samples.size(); ++k) {
    TLineEnt s;
    s.st = Project(m, samples[k], r);
    s.ed = Project(m, samples[k + 1], r);
    out.push_back(s);
  }
}

LineList SkyInput(const TAcadPoint& m, double r) {
  LineList out;
  double lowest = 2 * kPi;
  double highest = 0;
  for (const TLineEnt& e : SampleSiteTops()) {
    const double length = PointDist(e.st, e.ed);
    const int pieces = std::max(2, static_cast<int>(length / 250.0));
    std::vector<TAcadPoint> samples;
    for (int k = 0; k < pieces; ++k) {
      samples.push_back(PolarPoint(e.st, PointAngle(e.st, e.ed), 250.0 * k));
    }
    samples.push_back(e.ed);
    AppendChain(samples, m, r, out);
    for (const TAcadPoint& top : {e.st, e.ed}) {
      const TAcadPoint foot{top.x, top.y, 0};
      AppendChain({top, {top.x, top.y, top.z * 2 / 3}, {top.x, top.y, top.z / 3}, foot}, m, r, out);
      lowest = std::fmin(lowest, PointAngle(m, foot));
      highest = std::fmax(highest, PointAngle(m, foot));
    }
  }
  // The horizon between the outermost feet, every quarter degree.
  std::vector<TAcadPoint> arc;
  for (double a = lowest; a < highest; a += kPi / 720) arc.push_back(PolarPoint({}, a, r));
  arc.push_back(PolarPoint({}, highest, r));
  for (std::size_t k = 0; k + 1 < arc.size(); ++k) {
    TLineEnt s;
    s.st = arc[k];
    s.ed = arc[k + 1];
    out.push_back(s);
  }
  return out;
}

template <bool (*Prepare)(Workspace&), bool (*Trace)(Workspace&)>
void RunSkyOutline(benchmark::State& state) {
  const LineList input = SkyInput({40000, 5000, 0}, 5000);
  Workspace ws;
  for (auto _ : state) {
    ws.AryLine = input;
    const bool traced = Prepare(ws) && Trace(ws);
    benchmark::DoNotOptimize(traced);
  }
  state.counters["segments"] = static_cast<double>(input.size());
}

void BM_SkyOutline(benchmark::State& state) {
  RunSkyOutline<PrepareSegments, TraceNextOutline>(state);
}
void BM_SkyOutline_Reference(benchmark::State& state) {
  RunSkyOutline<reference::PrepareSegments, reference::TraceNextOutline>(state);
}

BENCHMARK(BM_SkyOutline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkyOutline_Reference)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn
