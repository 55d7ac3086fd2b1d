// MakeShadowOutline for buildings of growing size: a box (12 edges), a 33-sided tower
// (99 edges) and a terrace of 83 boxes with a few towers (about 1,000 edges).
#include <benchmark/benchmark.h>

#include <cmath>

#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"

namespace vorn {
namespace {

void AddPrism(LineList& edges, const std::vector<TAcadPoint>& corners, double height) {
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const TAcadPoint& a = corners[i];
    const TAcadPoint& b = corners[(i + 1) % corners.size()];
    for (double z : {0.0, height}) {
      TLineEnt e;
      e.st = {a.x, a.y, z};
      e.ed = {b.x, b.y, z};
      edges.push_back(e);
    }
    TLineEnt v;
    v.st = {a.x, a.y, 0};
    v.ed = {a.x, a.y, height};
    edges.push_back(v);
  }
}

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

void BM_MakeShadowOutline(benchmark::State& state) {
  Workspace ws = Building(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const OutlineResult result = MakeShadowOutline(ws, 10.0, 4000);
    benchmark::DoNotOptimize(result);
  }
  state.counters["edges"] = static_cast<double>(ws.BuildingEdges.size());
}

BENCHMARK(BM_MakeShadowOutline)->Arg(12)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn
