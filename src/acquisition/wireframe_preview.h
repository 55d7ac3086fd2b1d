// The turnable wireframe preview of the building: its edges (and, on request, their footprint
// and plumb lines) projected for a turn about the vertical and a tilt, and drawn one pixel wide
// into a small RGB picture fitted to the picture's size.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/records.h"

namespace vorn {

// The kinds of display edges, kept in TLineEnt::id.
enum PreviewKind : int32_t { kPreviewBuilding = 0, kPreviewFootprint = 1, kPreviewPlumb = 2 };

// Picture colours as 0xRRGGBB, and the CAD's colour numbers, by kind.
inline constexpr uint32_t kPreviewBackground = 0x000000;
uint32_t PreviewColour(int32_t kind);
int PreviewCadColour(int32_t kind);

// Every building edge; with the footprint also each edge at z 0 and a plumb line from every
// end above 0 down to the ground.
std::vector<TLineEnt> PreviewEdges(const LineList& building, bool footprint);

// The edges projected for a turn of hdeg and a tilt of vdeg (degrees): st and ed hold the
// projected x and y (z 0); the kinds are kept.
std::vector<TLineEnt> ProjectPreview(const std::vector<TLineEnt>& edges, int hdeg, int vdeg);

struct PreviewBounds {
  double xmin = 0.0, ymin = 0.0, xmax = 0.0, ymax = 0.0;
};
PreviewBounds ProjectedBounds(const std::vector<TLineEnt>& projected);

// An RGB picture, row by row from the top, 0xRRGGBB per pixel.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Paints the projected edges on black. `scale` (drawing units per pixel) 0 fits the picture to
// 1.2 times the larger extent and is set; `centre` is the middle of the bounds. A zero extent
// leaves the picture black. Nothing changes without edges.
void PaintPreview(const std::vector<TLineEnt>& projected, const PreviewBounds& bounds,
                  double& scale, RgbPicture& picture);

// A one-pixel line from (x1, y1) to (x2, y2), both ends included; pixels outside are skipped.
void DrawPixelLine(RgbPicture& picture, int x1, int y1, int x2, int y2, uint32_t colour);

}  // namespace vorn
