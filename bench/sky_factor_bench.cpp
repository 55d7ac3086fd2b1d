// The recalculation of the sky factors of 100 measurement points on a ring around the buildings
// of the sample site (examples/sample_site.dxf: the L block, the tower, the wall and the round
// stair tower as 36 chords), at the type B size of the defaults (radius 100 mm at 1:200); and
// the duplicate test of the expanded edges, indexed and quadratic.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bench_buildings.h"
#include "geometry/point_ops.h"
#include "sky/sky_factor.h"
#include "sky/sky_projection.h"

namespace vorn {
namespace {

LineList SampleSite() {
  LineList edges;
  AddPrism(edges,
           {{25000, 20000, 0},
            {55000, 20000, 0},
            {55000, 30000, 0},
            {35000, 30000, 0},
            {35000, 40000, 0},
            {25000, 40000, 0}},
           15000);
  AddPrism(edges, {{60000, 20000, 0}, {72000, 20000, 0}, {72000, 32000, 0}, {60000, 32000, 0}},
           40000);
  std::vector<TAcadPoint> stair;
  for (int i = 0; i < 36; ++i) {
    stair.push_back(
        {23000 + 3000 * std::cos(i * kPi / 18), 30000 + 3000 * std::sin(i * kPi / 18), 0});
  }
  AddPrism(edges, stair, 20000);
  TLineEnt wall;
  for (double z : {0.0, 3000.0}) {
    wall.st = {76000, 18000, z};
    wall.ed = {76000, 34000, z};
    edges.push_back(wall);
  }
  return edges;
}

std::vector<TAcadPoint> Ring(int count) {
  std::vector<TAcadPoint> points;
  for (int i = 0; i < count; ++i) {
    const double a = 2 * kPi * i / count;
    points.push_back({48000 + 35000 * std::cos(a), 36000 + 35000 * std::sin(a), 0});
  }
  return points;
}

void BM_RecalculateHundredPoints(benchmark::State& state) {
  Workspace ws;
  ws.BuildingEdges = SampleSite();
  const std::vector<TAcadPoint> points = Ring(static_cast<int>(state.range(0)));
  const double scale = 200, radius = 100 * scale;
  int computed = 0;
  for (auto _ : state) {
    computed = 0;
    for (const TAcadPoint& m : points) {
      double in = 0, out = 0;
      if (GetTenkuLine(ws, {m, 0, 90, radius}) == SkyLineResult::kTraced &&
          GetTenkuRitu(ws, {radius, scale}, in, out)) {
        ++computed;
      }
      benchmark::DoNotOptimize(in);
    }
  }
  state.counters["computed"] = computed;
}
BENCHMARK(BM_RecalculateHundredPoints)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OnePoint(benchmark::State& state) {
  Workspace ws;
  ws.BuildingEdges = SampleSite();
  for (auto _ : state) {
    double in = 0, out = 0;
    GetTenkuLine(ws, {{40000, 5000, 0}, 0, 90, 20000});
    GetTenkuRitu(ws, {20000, 200}, in, out);
    benchmark::DoNotOptimize(in);
  }
}
BENCHMARK(BM_OnePoint)->Unit(benchmark::kMillisecond);

// The horizon arc of a point south of the sample site: its base points are the footprint ends
// of every bottom edge, the pair furthest apart found directions once or per pair.
void BM_HorizonArc(benchmark::State& state) {
  const LineList edges = ExpandSkyEdges(SampleSite(), 0);
  const TAcadPoint m{40000, 5000, 0};
  const TAcadPoint o{};
  std::vector<TAcadPoint> base;
  for (const TLineEnt& e : edges) {
    if (e.id != kSkyBottomEdge) continue;
    base.push_back(PolarPoint(o, PointAngle(m, e.st), 20000));
    base.push_back(PolarPoint(o, PointAngle(m, e.ed), 20000));
  }
  const bool fast = state.range(0) != 0;
  for (auto _ : state) {
    const auto arc = fast ? HorizonArcPoints(base, 20000) : HorizonArcPointsReference(base, 20000);
    benchmark::DoNotOptimize(arc.data());
  }
  state.SetLabel(std::to_string(base.size()) +
                 (fast ? " base points, fast" : " base points, reference"));
}
BENCHMARK(BM_HorizonArc)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_DuplicateEdges(benchmark::State& state) {
  LineList building;
  for (int k = 0; k < state.range(0); ++k) {
    LineList site = SampleSite();
    for (TLineEnt& e : site) e.st.x += 100000.0 * k, e.ed.x += 100000.0 * k;
    building.insert(building.end(), site.begin(), site.end());
  }
  const LineList expanded = ExpandSkyEdges(building, 0);
  const bool indexed = state.range(1) != 0;
  for (auto _ : state) {
    LineList edges = expanded;
    if (indexed) {
      MarkDuplicateEdges(edges);
    } else {
      MarkDuplicateEdgesReference(edges);
    }
    benchmark::DoNotOptimize(edges.data());
  }
  state.SetLabel(std::to_string(expanded.size()) +
                 (indexed ? " edges, indexed" : " edges, quadratic"));
}
BENCHMARK(BM_DuplicateEdges)
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({10, 1})
    ->Args({10, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn
