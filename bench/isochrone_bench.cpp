// The isochrone run on the sample site at its finest setting (10 s on a 2000-cell raster,
// 2,879 instants from 8:00 to 16:00, winter solstice at 35°41'): the sampling and
// accumulation in the reference form (each quadrilateral filled into the bit raster, byte-wise
// accumulation) and in the fast form side by side, then the whole `vorn-batch … isochrones`
// with all fourteen levels.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "app/main_form.h"
#include "app/shell.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "cli/batch_run.h"
#include "isochrones/duration_raster.h"
#include "isochrones/isochrone_lines.h"

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

// The sample's building as the pick reads it, the sun of the winter solstice at 35°41', and
// the range of the 1.5-hour level.
struct SampleRun {
  Workspace ws;
  Sampling sampling;

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
    fs::remove_all(folder);
  }
};

SampleRun& Sample() {
  static SampleRun run;
  return run;
}

void Sampling10s(benchmark::State& state, AccumulationMethod method) {
  SampleRun& run = Sample();
  int instants = 0;
  for (auto _ : state) {
    ClearDurationGrid(run.ws);
    instants = 0;
    SampleDurations(run.ws, run.sampling, method, [&](int, double) {
      ++instants;
      return true;
    });
    benchmark::DoNotOptimize(run.ws.DurationGrid.data());
  }
  state.counters["instants"] = instants;
  state.counters["edges"] = static_cast<double>(run.ws.BuildingEdges.size());
}

void BM_IsochroneSamplingReference(benchmark::State& state) {
  Sampling10s(state, AccumulationMethod::kReference);
}
void BM_IsochroneSamplingFast(benchmark::State& state) {
  Sampling10s(state, AccumulationMethod::kFast);
}
BENCHMARK(BM_IsochroneSamplingReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_IsochroneSamplingFast)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole batch command: open, pick, range, sampling, all fourteen levels, insertion, save.
void BM_BatchIsochrones10s(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / "vorn-isochrone-bench-batch";
  fs::create_directories(folder);
  for (auto _ : state) {
    std::ostringstream out, err;
    const int status = cli::BatchMain({SamplePath(),
                                       "isochrones",
                                       "--building-layer",
                                       "建物",
                                       "--lat",
                                       "35:41:00",
                                       "--north",
                                       "90",
                                       "--season",
                                       "winter",
                                       "--plane",
                                       "4",
                                       "--hours",
                                       "8-16",
                                       "--levels",
                                       "1.5,2.0,2.5,3.0,3.5,4.0,4.5,5.0,5.5,6.0,6.5,7.0,7.5,8.0",
                                       "--set",
                                       "Touji.kankaku2=0",
                                       "-o",
                                       (folder / "out.dxf").string(),
                                       "--work-dir",
                                       (folder / "work").string()},
                                      out, err);
    if (status != 0) state.SkipWithError(err.str().c_str());
  }
  fs::remove_all(folder);
}
BENCHMARK(BM_BatchIsochrones10s)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace vorn
