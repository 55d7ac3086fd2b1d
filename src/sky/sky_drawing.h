// The DXF texts of the sky diagrams: the diagram itself (circle, compass, scale, projected
// edges), what depends on the traced outline (hatch, corner marks, triangles, the text block),
// the area table and the position table. Coordinates are in the diagram's frame (centre at
// the origin) or the table's (top-left corner at the origin).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dxf/dxf_document.h"
#include "geometry/records.h"
#include "geometry/workspace.h"
#include "sky/sky_factor.h"
#include "sky/sky_projection.h"

namespace vorn {

struct SkyDiagramStyle {
  double textHeight = 0.0;      // T, drawing units
  double scaleInterval = 0.0;   // degrees between scale lines and circles; 0 or less: none
  double planeElevation = 0.0;  // zp, the elevation of the drawn polylines
  std::string frameLayer;       // circle, compass, projected edges
  std::string scaleLayer;
};

// The diagram (frame, scale, every projected edge and the horizon arc as polylines), while the
// projection fills AryLine (north up) and AryTateiti (the corners above the plane).
SkyProjectionResult WriteSkyDiagram(Workspace& ws, const SkyProjectionParameters& p,
                                    const SkyDiagramStyle& style, DxfDocument& dxf);

// The larger of the two radii over this type's: the outline is traced at the larger size.
double OutlineScaleUp(int typ, double radiusA, double radiusB);

// Traces the outline of the projected segments in AryLine at g times their size and removes
// the segment pairs that run both ways (the horizon between separate buildings).
bool TraceDiagramOutline(Workspace& ws, double g);

// The texts under the diagram.
struct SkyTextBlock {
  std::string scaleInterval;                                      // as typed
  std::string latitudeDegrees, latitudeMinutes, latitudeSeconds;  // as typed
  double planeHeightMetres = 0.0;
  std::string pointName;
};

struct OutlineDrawingParameters {
  double radius = 0.0;      // R
  double scale = 1.0;       // s
  double textHeight = 0.0;  // T
  double hatchInterval = 0.0;
  double northDegrees = 90.0;
  double rotationDegrees = 0.0;  // ρ, 0 unless the diagram was inserted turned
  SkyVariant variant = SkyVariant::kInscribed;
  bool marks = false;      // position marks (interactive with the position table)
  bool triangles = false;  // triangle drawings (interactive with the area table)
  std::string frameLayer, hatchLayer, triangleLayer, markLayer;
  SkyTextBlock text;
};

struct OutlineDrawing {
  DxfDocument dxf;  // closed; worth inserting only when `result` has triangles
  std::optional<SkyFactorResult> result;  // nothing with fewer than two corners
};

// Hatch, marks, triangles and the text block for the outline in AryLine; numbers the records
// of AryTateiti that get a mark; empties AryLine.
OutlineDrawing DrawSkyOutline(Workspace& ws, const OutlineDrawingParameters& p);

// The ruled area table of a calculation, top-left corner at the origin.
struct AreaTableParameters {
  double scale = 1.0;
  double radius = 0.0;
  double textHeight = 0.0;  // T
  std::string layer;
  std::string scaleInterval;
  double planeHeightMetres = 0.0;
};
DxfDocument AreaTableText(const SkyFactorResult& r, const AreaTableParameters& p);

// The position table of the numbered records (no > 0), sorted by number; nothing when none is
// numbered.
struct PositionTableParameters {
  double northDegrees = 90.0;
  double scale = 1.0;
  double radius = 0.0;      // R, drawing units
  double textHeight = 0.0;  // T on paper
  std::string scaleInterval;
  std::string layer;
  double planeHeightMetres = 0.0;
};
std::optional<DxfDocument> PositionTableText(const std::vector<TTateiti>& records,
                                             const PositionTableParameters& p);

// The azimuth of a record from true north, in [−90, 270].
double PositionAzimuth(double houido, double northDegrees);

}  // namespace vorn
