// Wall isochrones (壁面等時間): the lines of equal shadow duration on the elevation of a picked
// wall, 8 down to 1 hour, counted on a raster of the wall's plane like the ground isochrones
// and drawn trimmed to the wall face with labels along the lines.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dxf/dxf_document.h"
#include "geometry/run_monitor.h"
#include "geometry/workspace.h"
#include "isochrones/duration_raster.h"
#include "isochrones/isochrone_lines.h"
#include "shadows/wall_shadows.h"

namespace vorn {

inline constexpr const char* kWallIsochronesImpossible = "壁面等時間は作成できません．";
inline constexpr const char* kWallIsochronesCaption = "Vorn.exe";
inline constexpr int kWallLevelCount = 8;  // 8, 7, ... 1 hours

// ACI colour of wall level K (0 for 8 hours ... 7 for 1 hour).
int WallLevelColor(int K);

// The shadows of the building's vertical faces on the wall's plane at t (ws.WallLine, ws.sun
// set) as raster polygons over the mapping in elevation coordinates, one per face, appended
// to `polygons`; the raster bounds of what they cover. Nothing without a building, a cell, a
// sun or a face whose shadow reaches the wall's line.
std::optional<PaintBounds> WallShadowPolygons(const Workspace& ws, double t,
                                              const RasterMapping& map,
                                              std::vector<PixelPolygon>& polygons);

// Those shadows painted black into the raster over (x0, y0); the raster bounds of what was
// painted.
std::optional<PaintBounds> PaintWallShadows(const Workspace& ws, double t, double x0, double y0,
                                            double cell, BitRaster& raster);

// Accumulates the wall shadows of every instant of the sampling (its plane height plays no
// part) into ws.DurationGrid, in the reference form (PaintWallShadows and AccumulateRaster)
// or the fast one, which gives the same counters. False when the hook stopped it.
bool SampleWallDurations(Workspace& ws, const Sampling& sampling, AccumulationMethod method,
                         const InstantHook& hook);

// The evaluation range on the wall's plane: the cells shaded for an hour on a 480-cell raster
// sampled every two minutes over the hourly wall shadows' box, with a margin of ten cells.
// Reversed when no cell is shaded that long. Leaves its counts in ws.DurationGrid.
ToujiRange GetKabeToujiHani(Workspace& ws, double firstHour, double lastHour,
                            const InstantHook& hook,
                            AccumulationMethod method = AccumulationMethod::kFast);

// One traced contour of level K: closed through its points, trimmed to the wall face and
// written as open polylines in the level's colour with a label turned along each.
void AppendWallContour(DxfDocument& doc, const std::vector<TTempPoint>& contour, int K, double m,
                       double H, const WallDiagramParameters& params);

struct WallIsochroneParameters {
  double firstHour = 8.0;
  double lastHour = 16.0;
  int stepItem = 1;   // the evaluation-step item ("10秒", "30秒", "60秒")
  int smoothing = 4;  // always applied on the wall
  AccumulationMethod sampling = AccumulationMethod::kFast;
  WallDiagramParameters drawing;
};

// What the run shows while it works.
struct WallIsochroneView {
  std::function<void(const std::string&)> meshLabel;      // Label24
  std::function<void(const std::string&)> progressLabel;  // Label26
  std::function<void(int maximum, int position)> progress;
};

enum class WallIsochroneEnd {
  kDrawn,         // at least one line written
  kNothingDrawn,  // the run went through without a line
  kNoRange,       // no cell of the wall shaded for an hour
  kStopped,
};

// The whole run on ws.WallLine (ws.sun holding latitude, declination and NorthAngle).
WallIsochroneEnd DrawKabeTouji(Workspace& ws, const WallIsochroneParameters& params,
                               RunMonitor& monitor, const WallIsochroneView& view,
                               DxfDocument& doc);

}  // namespace vorn
