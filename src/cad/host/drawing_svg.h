// A plan-view SVG picture of the host's drawing, so that a person can look at what a command
// drew: every model-space entity with its ACI colour, dashed line type and texts.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/host/drawing_scene.h"
#include "cad/host/host_document.h"

namespace vorn::cad::host {

struct SvgOptions {
  int widthPx = 1600;          // the picture's width; the height follows the drawing's aspect
  double strokeWidthPx = 1.0;  // on screen, whatever the drawing's scale
  double ltScale = 1.0;        // multiplies every dash pattern, as LTSCALE does in a CAD
  // Dashes and gaps shorter than this on screen are scaled up as a whole pattern, so a
  // dashed line never turns into a grey solid line at a small picture scale.
  double minDashPx = 4.0;
  double pointSizePx = 6.0;      // the cross drawn for a POINT
  double marginFraction = 0.03;  // of the larger side of the drawing's extent, on every side
  std::string title;             // the drawing's name for <title>; none when empty
};

class SvgSaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole picture as UTF-8 SVG text.
std::string RenderSvg(const HostDocument& document, const SvgOptions& options);

// Writes RenderSvg's text to a temporary file beside `path` and renames it over `path`, so a
// failed save leaves any existing file untouched. Throws SvgSaveError.
void SaveSvg(const HostDocument& document, const SvgOptions& options,
             const std::filesystem::path& path);

struct RgbColour {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const RgbColour&, const RgbColour&) = default;
};

// The standard AutoCAD colour index palette; index 0 and 256 (BYBLOCK, BYLAYER) and
// out-of-range values give the colour of 7, which is white in a CAD and drawn black here.
RgbColour AciColour(int index);

// "#rrggbb" for the picture's white background: 7 is black.
std::string SvgColour(int aci);

// The line type's pattern as stroke-dasharray lengths in drawing units (dash, gap, ...), at a
// picture scale of `pixelsPerUnit`, with options.ltScale and options.minDashPx applied; empty
// for a solid line.
std::vector<double> SvgDashArray(const dxf::LineType& lineType, double pixelsPerUnit,
                                 const SvgOptions& options);

}  // namespace vorn::cad::host
