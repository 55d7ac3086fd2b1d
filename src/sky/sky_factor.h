// The sky factor by the triangle method: the covered region between the outline and the horizon,
// inside the sector the buildings span, is the sector minus a fan of triangles from the centre;
// chords between the fan points (inscribed, for the planned building) or moved out to the
// outline (circumscribed, for the conforming building). Every printed value is rounded as it is
// printed, so the area table adds up.
#pragma once

#include <optional>
#include <vector>

#include "geometry/records.h"
#include "geometry/workspace.h"

namespace vorn {

inline constexpr double kCornerBend = 0.99 * 3.14159265358979323846;  // radians

enum class SkyVariant { kInscribed, kCircumscribed };

struct SkyFactorParameters {
  double radius = 0.0;  // R, drawing units
  double scale = 1.0;   // s, drawing units per paper millimetre
};

// The value as it is printed with `decimals` and read back.
double RoundPrinted(double value, int decimals);

// The corners of the outline in outline order: vertices strictly inside the circle where the
// outline bends by more than 1.8°. With `skipDoubleBack` a vertex where the outline turns back
// on itself (folded turn 0) is not a corner. `positions` receives each corner's segment index
// (the corner is that segment's end).
std::vector<TAcadPoint> FindSkyCorners(const LineList& outline, double radius, bool skipDoubleBack,
                                       std::vector<std::size_t>* positions = nullptr);

// One triangle of the fan with the points it was measured on: P the farther point, Q the other,
// F the foot of the height on OP.
struct FanTriangle {
  TSansya record;
  TAcadPoint P, Q, F;
};

// A whole calculation for one variant.
struct SkyFactorResult {
  std::vector<TAcadPoint> corners;  // ordered from A counter-clockwise to B
  TAcadPoint A, B;
  double theta = 0.0;  // sector angle, degrees, 3 decimals
  double S = 0.0;      // circle area, paper mm², 3 decimals
  double Z = 0.0;      // sector area, not rounded
  std::vector<TAcadPoint> fan;
  std::vector<FanTriangle> triangles;
  double sigma = 0.0;   // sum of the rounded areas
  double Ap = 0.0;      // projected area, 3 decimals
  double factor = 0.0;  // percent
};

// The extreme corners A and B and the corners reordered from A counter-clockwise to B.
struct OrderedCorners {
  TAcadPoint A, B;
  std::vector<TAcadPoint> corners;
  std::vector<std::size_t> positions;  // outline positions in the new order
};
OrderedCorners OrderSkyCorners(const std::vector<TAcadPoint>& corners,
                               const std::vector<std::size_t>& positions);

// The fan points: the corners with ray crossings in between so that no part spans 10° or more.
// Where the sky reaches the horizon a ray gives a point on the circle, and a corner standing
// on the horizon on a radial edge adds that edge's foot.
std::vector<TAcadPoint> SkyFanPoints(const LineList& outline, const OrderedCorners& corners,
                                     double radius);

// The triangles over consecutive fan points, numbered from 1, heights above 0.1 only.
std::vector<FanTriangle> SkyTriangles(const LineList& outline, const std::vector<TAcadPoint>& fan,
                                      double radius, SkyVariant variant);

// The calculation of one variant on an outline; nothing with fewer than two corners.
std::optional<SkyFactorResult> ComputeSkyFactor(const LineList& outline,
                                                const SkyFactorParameters& p, SkyVariant variant,
                                                bool skipDoubleBack = false);

// Both variants right after GetTenkuLine; true only when both have triangles. The corners are
// left in AryPoint and AryLine is emptied.
bool GetTenkuRitu(Workspace& ws, const SkyFactorParameters& p, double& naisetu, double& gaisetu);

}  // namespace vorn
