// Shadow durations counted on a raster: the counter grid, the one-bit raster and how plan
// points map onto it, the painting of one instant's ground shadows and its accumulation into
// the counters, in a straightforward reference form and a fast form that gives the same
// counters.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "geometry/run_monitor.h"
#include "geometry/workspace.h"

namespace vorn {

inline constexpr int kDurationGridSide = 2000;

// Raster sides and sampling steps (seconds) by the item index of an evaluation-step radio
// group ("10秒", "30秒", "60秒"); the fourth entries serve a group with no selected item.
inline constexpr std::array<int, 4> MeshSizeTable = {2000, 1600, 1200, 640};
inline constexpr std::array<int, 4> EvalSecondsTable = {10, 30, 60, 120};
int MeshSizeFor(int itemIndex);
int EvalSecondsFor(int itemIndex);

// Sizes the workspace's DurationGrid on first use and sets all its counters to 0.
void ClearDurationGrid(Workspace& ws);

inline std::uint16_t& GridCell(std::vector<std::uint16_t>& grid, int row, int column) {
  return grid[static_cast<std::size_t>(row) * kDurationGridSide + column];
}
inline std::uint16_t GridCell(const std::vector<std::uint16_t>& grid, int row, int column) {
  return grid[static_cast<std::size_t>(row) * kDurationGridSide + column];
}

// An N x N one-bit raster, N a multiple of 8. Rows are packed eight pixels a byte, the most
// significant bit leftmost; a set bit is white (lit), a clear bit black (shadow).
class BitRaster {
 public:
  explicit BitRaster(int n);
  int Size() const { return n_; }
  int Stride() const { return n_ / 8; }
  void FillWhite();
  bool IsBlack(int column, int row) const;
  // Both clip to the raster.
  void SetBlack(int column, int row);
  void FillSpanBlack(int row, int firstColumn, int lastColumn);
  const std::uint8_t* Row(int row) const { return bits_.data() + std::size_t(row) * Stride(); }

 private:
  int n_;
  std::vector<std::uint8_t> bits_;
};

struct RasterPoint {
  std::int64_t c = 0;  // column
  std::int64_t r = 0;  // row, growing downward from the top edge
};

// Plan to raster: column RoundOff((x - x0)/cell), row N - RoundOff((y - y0)/cell).
struct RasterMapping {
  double x0 = 0.0;
  double y0 = 0.0;
  double cell = 0.0;
  int n = 0;
  RasterPoint Map(double x, double y) const;
  std::int64_t Column(double x) const;
  std::int64_t RowOf(double y) const;
};

// One shadow quadrilateral in raster pixels: the convex hull of its rounded corners (the exact
// quadrilateral is convex; rounding may dent a sliver by less than a pixel), 1 to 4 corners.
struct PixelPolygon {
  std::array<RasterPoint, 4> v{};
  int count = 0;
};
PixelPolygon HullOfCorners(const std::array<RasterPoint, 4>& corners);

// The scan-conversion rule both forms share: a polygon covers every pixel whose centre lies in
// it (edges included) together with its one-pixel outline, the pixels that each edge crosses
// within half a pixel of their centre rows. Pixel by pixel, as a platform's fill would.
void FillPolygonReference(BitRaster& raster, const PixelPolygon& polygon);

struct PaintBounds {
  int colMin = 0;
  int colMax = 0;
  int rowTop = 0;
  int rowBottom = 0;
};

// The shadow quadrilaterals of every building edge above the plane at time t (both ends
// strictly above h) in raster pixels, and the bounds of what they cover. Nothing when there is
// no building, the cell is not positive or there is no sun at t.
std::optional<PaintBounds> ShadowPolygons(const Workspace& ws, double t, double h,
                                          const RasterMapping& map,
                                          std::vector<PixelPolygon>& polygons);

// Paints the building's shadow at t black into the raster (already filled white) and returns
// the raster bounds of what it painted.
std::optional<PaintBounds> PaintGroundShadows(const Workspace& ws, double t, double h, double x0,
                                              double y0, double cell, BitRaster& raster);
// The same with the caller's list of the instant's polygons (kept to spare the allocation).
std::optional<PaintBounds> PaintGroundShadows(const Workspace& ws, double t, double h, double x0,
                                              double y0, double cell, BitRaster& raster,
                                              std::vector<PixelPolygon>& polygons);

// Adds one to the counter of every black pixel within the bounds, byte by byte.
void AccumulateRaster(const BitRaster& raster, const PaintBounds& bounds,
                      std::vector<std::uint16_t>& grid);

// The instants of a sampling: k = 1 ... count - 1 at t = firstHour + stepMinutes * k / 60 (the
// period's ends are not sampled), count = Trunc((lastHour - firstHour) * 60 / stepMinutes).
struct Sampling {
  double firstHour = 8.0;
  double lastHour = 16.0;
  double stepMinutes = 1.0;
  double planeHeight = 0.0;  // mm, of the ground shadows
  RasterMapping map;
  int Count() const;
  double Instant(int k) const { return firstHour + stepMinutes * k / 60.0; }
};

enum class AccumulationMethod { kReference, kFast };

// Called on the calling thread before instant k (time t) is sampled; false stops the sampling.
// An empty hook lets every instant through.
using InstantHook = std::function<bool(int k, double t)>;

// The shadow polygons of one instant in raster pixels, appended to `polygons`, and the raster
// bounds the accumulation scans; nothing when the instant paints nothing. Called from worker
// threads at once, so it must only read shared state.
using InstantPolygons =
    std::function<std::optional<PaintBounds>(double t, std::vector<PixelPolygon>& polygons)>;

// Accumulates the polygons of every instant of the sampling into ws.DurationGrid (which the
// caller has cleared). The reference form fills each instant's polygons into the bit raster
// and accumulates it byte by byte; the fast form computes the same counters from per-row
// spans and difference arrays, with the instants shared among worker threads; the hook still
// sees every instant in order. False when the hook stopped it (the counters then mean
// nothing) or when the raster size is not a multiple of 8 up to 2000.
bool SampleShadowDurations(Workspace& ws, const Sampling& sampling,
                           const InstantPolygons& polygonsAt, AccumulationMethod method,
                           const InstantHook& hook);

// The same for the ground shadows on the sampling's plane (PaintGroundShadows).
bool SampleDurations(Workspace& ws, const Sampling& sampling, AccumulationMethod method,
                     const InstantHook& hook);

}  // namespace vorn
