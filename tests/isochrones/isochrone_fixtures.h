// Buildings and a scripted run monitor for the isochrone tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "geometry/run_monitor.h"
#include "geometry/sun_position.h"
#include "geometry/workspace.h"

namespace vorn::testing {

class ScriptedMonitor final : public RunMonitor {
 public:
  bool Running() override { return running; }
  void AdvanceProgress() override { ++advances; }
  void ProcessMessages() override {
    ++pumps;
    if (pumps == stopAtPump) running = false;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  bool running = true;
  int advances = 0;
  int pumps = 0;
  int stopAtPump = -1;
  std::vector<std::string> messages;
};

using Outline = std::vector<std::pair<double, double>>;

// A prism over a plan outline (mm), as the building pick makes it from a thick polyline:
// footprint, roof and vertical edges.
inline void AddPrism(Workspace& ws, const Outline& outline, double height) {
  const std::size_t n = outline.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto [x1, y1] = outline[i];
    const auto [x2, y2] = outline[(i + 1) % n];
    for (double z : {0.0, height}) {
      TLineEnt e;
      e.st = {x1, y1, z};
      e.ed = {x2, y2, z};
      ws.BuildingEdges.push_back(e);
    }
    TLineEnt v;
    v.st = {x1, y1, 0.0};
    v.ed = {x1, y1, height};
    ws.BuildingEdges.push_back(v);
  }
}

inline Outline Rect(double x, double y, double w, double h) {
  return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
}

inline void SetTokyoSun(Workspace& ws, int season, double north) {
  ws.sun.SunDeclination = SeasonDeclination(season);
  SetSunState(ws.sun, ws.sun.SunDeclination, LatitudeRadians(35, 41, 0), north);
}

}  // namespace vorn::testing
