// What a click or a typed answer in the drawing window means: object snaps (endpoint,
// midpoint, centre, nearest), the entity under the cursor, and typed coordinates. Toolkit-free,
// so it is tested against geometry computed in the test.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "cad/host/drawing_scene.h"
#include "cad/host/host_document.h"

namespace vorn::ui {

using cad::host::DrawingScene;
using cad::host::HostDocument;
using cad::host::ScenePoint;

enum class SnapKind { kEndpoint, kMidpoint, kCentre, kNearest };

struct SnapPoint {
  SnapKind kind = SnapKind::kEndpoint;
  ScenePoint at;
};

// The endpoints, midpoints and centres of the model-space entities in plan (a block
// reference offers its insertion point, a text its position, a point itself).
std::vector<SnapPoint> SnapPointsOf(const HostDocument& document);

// The snap for a cursor at `cursor`: the closest endpoint, midpoint or centre within
// `aperture` (drawing units); failing that, the nearest point on a drawn line within it.
std::optional<SnapPoint> FindSnap(const std::vector<SnapPoint>& points, const DrawingScene& scene,
                                  ScenePoint cursor, double aperture);

// The model-space entity (index) drawn closest to `at` within `tolerance`; a text counts when
// `at` lies in its box.
std::optional<size_t> EntityAt(const DrawingScene& scene, ScenePoint at, double tolerance);

double DistanceToSegment(ScenePoint p, ScenePoint a, ScenePoint b);

// "x,y" or "x,y,z" as typed at the command line (blanks allowed around the numbers, a point
// as the decimal sign whatever the locale); nullopt for anything else.
std::optional<TAcadPoint> ParseTypedPoint(std::string_view text);
std::optional<double> ParseTypedNumber(std::string_view text);

}  // namespace vorn::ui
