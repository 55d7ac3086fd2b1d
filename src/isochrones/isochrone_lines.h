// The isochronal shadow lines: the evaluation range found by a coarse run, the thresholds and
// colours of the duration levels, the boundary tracing of the regions that reach a level, the
// smoothing of a traced boundary and the DXF output of each line with its label.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dxf/dxf_document.h"
#include "geometry/records.h"
#include "geometry/run_monitor.h"
#include "geometry/workspace.h"
#include "isochrones/duration_raster.h"

namespace vorn {

// The fourteen levels "1.5Hr" ... "8.0Hr" of the duration check list.
inline constexpr int kLevelCount = 14;
std::string LevelText(int item);
// The number in the first three characters of a level item ("2.5Hr" gives 2.5).
double LevelDuration(const std::string& itemText);
// ACI colour of a level: (item mod 5) + 2.
int LevelColour(int item);
// Instants a cell must be shaded to reach `hours` at a step of `stepMinutes`: one less when
// the level fills the whole period, whose two ends are never sampled.
double LevelThreshold(double hours, double stepMinutes, double periodHours);

// The square's lower left corner is (txmin, tymin).
struct ToujiRange {
  double txmin = 0.0, tymin = 0.0, txmax = 0.0, tymax = 0.0;
  double CellFor(int n) const;  // the larger extent over n
};

struct ToujiHaniParameters {
  double firstHour = 8.0;
  double lastHour = 16.0;
  double planeHeight = 0.0;  // mm
  double level = 1.5;        // hours of the shortest ticked level
};

inline constexpr int kRangeRasterSize = 480;
inline constexpr double kRangeStepMinutes = 2.0;

// The box of every cell shaded for at least the level on a 480-cell raster sampled every two
// minutes, with a margin of ten cells (the sun values of ws.sun set by the caller). Leaves
// the coarse counts in ws.DurationGrid. Nothing without a building; a reversed range when no
// cell reaches the level.
std::optional<ToujiRange> GetToujiHani(Workspace& ws, const ToujiHaniParameters& params,
                                       const InstantHook& hook,
                                       AccumulationMethod method = AccumulationMethod::kFast);

// Cell (row, column) of an n-cell raster over (x0, y0) stands for this plan point (half a cell
// in x only).
TAcadPoint CellPoint(int row, int column, int n, double x0, double y0, double cell);

struct LevelTraceParameters {
  double threshold = 0.0;
  int n = 0;
  double x0 = 0.0, y0 = 0.0, cell = 0.0;
  bool borderMessage = true;
  std::string levelText;
  std::optional<int> smoothing;  // the coefficient while smoothing is on
};

struct LevelTraceResult {
  int contours = 0;  // contours handed to the output step
  bool stopped = false;
  bool borderReached = false;
  int strayRegions = 0;  // regions of no area cleared without a line
  bool regionLimit = false;
};

inline constexpr int kMaxRegionsPerLevel = 50;

inline constexpr const char* kBorderMessageTail = " 時刻範囲を超えているため、作成しません．(1) ";
inline constexpr const char* kRegionLimitTail =
    " 領域の数が上限（50）を超えたため、残りの領域は作成しません．";

using ContourSink = std::function<void(const std::vector<TTempPoint>& contour)>;
using MessageSink = std::function<void(const std::string& text)>;

// Traces the boundary of every region of cells at or above the threshold, region by region in
// scan order, and lowers the counters of each consumed region (and a one-cell ring around it)
// below the threshold. Each contour (smoothed when asked, at least 2 points) goes to `output`;
// a region reaching the raster's border ends the level with a message when asked. A region of
// no area (one cell, two cells, a thin line) is cleared and the search goes on; when more than
// 50 regions would be needed the level ends with a message naming it.
LevelTraceResult TraceLevelContours(std::vector<std::uint16_t>& grid, BitRaster& raster,
                                    const LevelTraceParameters& params, RunMonitor& monitor,
                                    const MessageSink& message, const ContourSink& output);

// Thins a traced contour: from each kept point, the next kept one is among the following s
// points the one that turns the line furthest right by at most a right angle; then points
// between collinear neighbours drop out. Contours of s + 2 points or fewer stay as they are.
void SmoothContour(std::vector<TTempPoint>& contour, int s);

// The contour point furthest toward true north (the last of equal ones).
TAcadPoint NorthmostContourPoint(const std::vector<TTempPoint>& contour, double northDegrees);

struct IsochroneOutput {
  std::string layer = "VORN_TOUJI";
  std::string textHeight = "300.0";  // written as typed
  double planeHeight = 0.0;          // mm
  double northDegrees = 90.0;
};

// One contour: the closed polyline at the plane height in the level's colour and its label at
// the northmost vertex.
void AppendIsochroneContour(DxfDocument& doc, const std::vector<TTempPoint>& contour, int item,
                            const IsochroneOutput& out);

// The note of the mesh size at the range's lower left corner.
void AppendMeshSizeText(DxfDocument& doc, const ToujiRange& range, double cell,
                        const IsochroneOutput& out);

}  // namespace vorn
