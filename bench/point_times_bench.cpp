// The shadow time at 20 points over 8:00-16:00 in one-second samples (10 s with the 1/10
// option: 28,800 samples) around the sample site's buildings: the fast form of the in/out
// states, the reference form beside it, and the whole run with its bookkeeping.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "acquisition/building_pick.h"
#include "cad/cad_operations.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "geometry/sun_position.h"
#include "shadows/shadow_time.h"

namespace vorn {
namespace {

struct SampleSite {
  Workspace ws;
  std::vector<TAcadPoint> points;
  std::vector<double> times;
  double stepMinutes = 0.0;
};

// The building of the sample drawing as the pick reads it, the winter sun at 36 degrees, and
// the five specific points of the drawing with 15 more spread north of the buildings.
const SampleSite& Site() {
  static const SampleSite site = [] {
    SampleSite s;
    cad::host::ScriptedInteraction user;
    cad::host::DxfDrawingFiles files;
    cad::host::DrawingHost host(user, files);
    host.Open(std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf");
    const auto document = host.Application()->ActiveDocument();
    const auto selection = cad::GetTempSelectionSet(*document);
    user.SelectLayer("建物");
    selection->SelectOnScreen();
    ReadPickedEntities(*selection, s.ws);
    ConvertPickedEntities(s.ws);
    CopyToBuildingEdges(s.ws);
    SetSunState(s.ws.sun, SeasonDeclination(0), LatitudeRadians(36, 0, 0), 90.0);
    s.points = {{30000, 55000, 0},
                {50000, 55000, 0},
                {70000, 55000, 0},
                {40000, 70000, 0},
                {65000, 70000, 0}};
    for (int i = 0; i < 15; ++i) {
      s.points.push_back({15000.0 + 5000.0 * (i % 5), 42000.0 + 8000.0 * (i / 5), 0});
    }
    s.stepMinutes = EvaluationStepMinutes(0, true);
    const int n = PointTimeSampleCount(8.0, 16.0, s.stepMinutes);
    for (int i = 0; i < n; ++i) s.times.push_back(PointTimeSample(8.0, s.stepMinutes, i));
    return s;
  }();
  return site;
}

void BM_PointStatesFast(benchmark::State& state) {
  const SampleSite& s = Site();
  std::vector<uint8_t> states;
  for (auto _ : state) {
    ShadowStatesFast(s.ws.BuildingEdges, s.ws.sun, 0.0, s.times, s.points, states,
                     ShadowStateThreads());
    benchmark::DoNotOptimize(states.data());
  }
  state.counters["samples"] = static_cast<double>(s.times.size());
  state.counters["points"] = static_cast<double>(s.points.size());
  state.counters["edges"] = static_cast<double>(s.ws.BuildingEdges.size());
}
BENCHMARK(BM_PointStatesFast)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PointStatesFastOneThread(benchmark::State& state) {
  const SampleSite& s = Site();
  std::vector<uint8_t> states;
  for (auto _ : state) {
    ShadowStatesFast(s.ws.BuildingEdges, s.ws.sun, 0.0, s.times, s.points, states, 1);
    benchmark::DoNotOptimize(states.data());
  }
}
BENCHMARK(BM_PointStatesFastOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PointStatesReference(benchmark::State& state) {
  const SampleSite& s = Site();
  std::vector<uint8_t> states;
  for (auto _ : state) {
    ShadowStatesReference(s.ws.BuildingEdges, s.ws.sun, 0.0, s.times, s.points, states);
    benchmark::DoNotOptimize(states.data());
  }
}
BENCHMARK(BM_PointStatesReference)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

class QuietMonitor final : public RunMonitor {
 public:
  bool Running() override { return true; }
  void AdvanceProgress() override {}
  void ProcessMessages() override {}
  void ShowMessage(const std::string&) override {}
};

// The whole run as the command does it: states a block ahead, entry and exit texts per sample.
void BM_PointTimeRun(benchmark::State& state) {
  const SampleSite& s = Site();
  PointTimeParameters params;
  params.stepMinutes = s.stepMinutes;
  QuietMonitor monitor;
  for (auto _ : state) {
    std::vector<PointTimeRow> rows;
    for (const TAcadPoint& p : s.points) rows.push_back({true, p, {}});
    RunPointTimes(s.ws, params, monitor, rows);
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_PointTimeRun)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vorn
