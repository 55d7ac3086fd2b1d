// The isochrone run on the sample site at its finest setting (10 s on a 2000-cell raster,
// 2,879 instants from 8:00 to 16:00, winter solstice at 35°41'): the sampling and
// accumulation in the reference form (each quadrilateral filled into the bit raster, byte-wise
// accumulation) and in the fast form side by side, then the whole `vorn-batch … isochrones`
// with all fourteen levels. The same for the wall isochrones on the sample's neighbour wall:
// the sampling in both forms at 10 s on a 2000-cell raster of the wall's plane, and the whole
// `vorn-batch … wall` at that step.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/shell.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "cli/batch_run.h"
#include "isochrones/duration_raster.h"
#include "isochrones/isochrone_lines.h"
#include "isochrones/wall_isochrones.h"
#include "shadows/wall_shadows.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

std::string SamplePath() { return std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf"; }

class NoClock final : public cad::CadClock {
 public:
  void Sleep(int ms) override { now_ += ms; }
  int64_t NowMilliseconds() override { return now_; }

 private:
  int64_t now_ = 0;
};

// The wall line as the wall command takes it from the first LINE on the neighbour's layer.
TLineEnt NeighbourWall(cad::host::DrawingHost& host, const TForm1& form) {
  for (const auto& e : host.Document().modelSpace) {
    if (e.entity.common.layer != "隣地壁面" || cad::host::DxfTypeOf(e.entity) != "LINE") continue;
    const cad::CadEntityPtr line = host.Application()->ActiveDocument()->ObjectIDToObject(e.id);
    TLineEnt picked;
    picked.st = line->StartPoint();
    picked.ed = line->EndPoint();
    const auto wall = OrientWall(picked, form.workspace.BuildingEdges.front().st);
    if (!wall) break;
    return WallWithHeights(*wall, form.gbzmax, line->Thickness());
  }
  throw std::runtime_error("no neighbour wall");
}

// The sample's building as the pick reads it, the sun of the winter solstice at 35°41', and
// the range of the 1.5-hour level; the neighbour's wall with the range of its wall
// isochrones.
struct SampleRun {
  Workspace ws;
  Sampling sampling;
  Sampling wallSampling;

  SampleRun() {
    const fs::path folder = fs::temp_directory_path() / "vorn-isochrone-bench";
    fs::create_directories(folder);
    cad::host::ScriptedInteraction user;
    cad::host::DxfDrawingFiles files;
    cad::host::DrawingHost host(user, files);
    host.Open(SamplePath());
    RecordingShell shell;
    shell.executable = folder / "vorn";
    NoClock clock;
    TForm1 form(shell, DataFolders::FromShell(shell), CadEnvironment{host, host.Windows(), clock});
    form.FormCreate();
    form.Edit3.Text = "35";
    form.Edit5.Text = "41";
    form.Edit23.Text = "0";
    user.SelectLayer("建物");
    form.Button2Click();
    if (form.workspace.BuildingEdges.empty()) throw std::runtime_error("no building");
    form.ReadShadowParameters();
    ws = form.workspace;
    ToujiHaniParameters hani;
    hani.planeHeight = form.GB_takasa;
    const auto range = GetToujiHani(ws, hani, [](int, double) { return true; });
    sampling.stepMinutes = EvalSecondsTable[0] / 60.0;
    sampling.planeHeight = form.GB_takasa;
    sampling.map = RasterMapping{range->txmin, range->tymin, range->CellFor(MeshSizeTable[0]),
                                 MeshSizeTable[0]};
    ws.WallLine = NeighbourWall(host, form);
    const ToujiRange wallRange = GetKabeToujiHani(ws, 8.0, 16.0, {});
    wallSampling.stepMinutes = EvalSecondsTable[0] / 60.0;
    wallSampling.map = RasterMapping{wallRange.txmin, wallRange.tymin,
                                     wallRange.CellFor(MeshSizeTable[0]), MeshSizeTable[0]};
    if (!(wallSampling.map.cell > 0.0)) throw std::runtime_error("no wall isochrone range");
    fs::remove_all(folder);
  }
};

SampleRun& Sample() {
  static SampleRun run;
  return run;
}

using Sampler = bool (*)(Workspace&, const Sampling&, AccumulationMethod, const InstantHook&);

// One form of the sampling of the ground's or the wall's shadows into the counters.
void Sampling10s(benchmark::State& state, Sampler sample, const Sampling& sampling,
                 AccumulationMethod method) {
  SampleRun& run = Sample();
  int instants = 0;
  for (auto _ : state) {
    ClearDurationGrid(run.ws);
    instants = 0;
    sample(run.ws, sampling, method, [&](int, double) {
      ++instants;
      return true;
    });
    benchmark::DoNotOptimize(run.ws.DurationGrid.data());
  }
  long shaded = 0;
  for (std::uint16_t v : run.ws.DurationGrid) shaded += v > 0;
  state.counters["instants"] = instants;
  state.counters["edges"] = static_cast<double>(run.ws.BuildingEdges.size());
  state.counters["shaded_cells"] = static_cast<double>(shaded);
  state.counters["cell_mm"] = sampling.map.cell;
}

void BM_WallIsochroneSamplingReference(benchmark::State& state) {
  Sampling10s(state, SampleWallDurations, Sample().wallSampling, AccumulationMethod::kReference);
}
void BM_WallIsochroneSamplingFast(benchmark::State& state) {
  Sampling10s(state, SampleWallDurations, Sample().wallSampling, AccumulationMethod::kFast);
}
BENCHMARK(BM_WallIsochroneSamplingReference)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_WallIsochroneSamplingFast)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->MeasureProcessCPUTime();

void BM_IsochroneSamplingReference(benchmark::State& state) {
  Sampling10s(state, SampleDurations, Sample().sampling, AccumulationMethod::kReference);
}
void BM_IsochroneSamplingFast(benchmark::State& state) {
  Sampling10s(state, SampleDurations, Sample().sampling, AccumulationMethod::kFast);
}
BENCHMARK(BM_IsochroneSamplingReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_IsochroneSamplingFast)->Unit(benchmark::kMillisecond)->Iterations(3);

// One whole batch command on the sample, its output and work files in a folder of its own.
void RunBatch(benchmark::State& state, const std::string& folderName,
              std::vector<std::string> args) {
  const fs::path folder = fs::temp_directory_path() / folderName;
  fs::create_directories(folder);
  args.insert(args.begin(), SamplePath());
  for (const std::string& more : {std::string("-o"), (folder / "out.dxf").string(),
                                  std::string("--work-dir"), (folder / "work").string()}) {
    args.push_back(more);
  }
  for (auto _ : state) {
    std::ostringstream out, err;
    if (cli::BatchMain(args, out, err) != 0) state.SkipWithError(err.str().c_str());
  }
  fs::remove_all(folder);
}

// The whole batch command: open, pick, range, sampling, all fourteen levels, insertion, save.
void BM_BatchIsochrones10s(benchmark::State& state) {
  RunBatch(
      state, "vorn-isochrone-bench-batch",
      {"isochrones", "--building-layer", "建物", "--lat", "35:41:00", "--north", "90", "--season",
       "winter", "--plane", "4", "--hours", "8-16", "--levels",
       "1.5,2.0,2.5,3.0,3.5,4.0,4.5,5.0,5.5,6.0,6.5,7.0,7.5,8.0", "--set", "Touji.kankaku2=0"});
}
BENCHMARK(BM_BatchIsochrones10s)->Unit(benchmark::kMillisecond)->Iterations(2);

// The whole wall command on the neighbour's wall: pick, elevation with the hourly shadows,
// the wall isochrones at 10 s, insertion, save.
void BM_BatchWall10s(benchmark::State& state) {
  RunBatch(state, "vorn-isochrone-bench-wall",
           {"wall", "--building-layer", "建物", "--wall-layer", "隣地壁面", "--lat", "35:41:00",
            "--north", "90", "--season", "winter", "--hours", "8-16", "--set", "Touji.kankaku3=0"});
}
BENCHMARK(BM_BatchWall10s)->Unit(benchmark::kMillisecond)->Iterations(2)->MeasureProcessCPUTime();

}  // namespace
}  // namespace vorn
