// The sky seen from a measurement point, mapped onto a circle of radius R by orthographic
// projection (a direction at elevation h lands at R·cos h from the centre): the building's edges
// become projected segments in AryLine, turned so that true north points up, and the kernel
// traces the outline of the covered region.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "geometry/records.h"
#include "geometry/workspace.h"

namespace vorn {

inline constexpr double kSkySampleStep = 250.0;                            // mm along an edge
inline constexpr double kHorizonArcStep = 3.14159265358979323846 / 720.0;  // 0.25°

struct SkyProjectionParameters {
  TAcadPoint measurementPoint;  // only x and y take part
  double planeHeight = 0.0;     // e, mm
  double northDegrees = 90.0;   // true north, counter-clockwise from +x
  double radius = 0.0;          // R, drawing units
};

// The rotation that brings true north up: π/2 − N·π/180.
double NorthUpRotation(double northDegrees);
// p turned by `angle` about the diagram centre (z becomes 0).
TAcadPoint TurnAboutCentre(const TAcadPoint& p, double angle);

// Kinds of the expanded edges.
inline constexpr int kSkyTopEdge = 0;
inline constexpr int kSkyBottomEdge = 1;
inline constexpr int kSkyVerticalEdge = 2;
inline constexpr int kSkyDuplicate = -1;

// Whether a building edge takes part: both ends above the plane and above zero.
bool TakesPartInSky(const TLineEnt& edge, double planeHeight);

// The three passes over the building: top edges, bottom edges at the plane, vertical edges.
LineList ExpandSkyEdges(const LineList& building, double planeHeight);

// Marks kSkyDuplicate on every edge that a later edge repeats (same ends in either order,
// within 1e-5 in x, y and z), so that of equal edges only the last survives. The indexed form
// looks only at edges whose ends share a grid cell; the reference form compares all pairs.
void MarkDuplicateEdges(LineList& edges);
void MarkDuplicateEdgesReference(LineList& edges);

// The samples of one edge in 3D: every 250 mm (thirds of a vertical or short edge) and the
// end point itself.
std::vector<TAcadPoint> SampleSkyEdge(const TLineEnt& edge);

// One sample seen from the measurement point.
struct SkySample {
  TAcadPoint projected;    // in the diagram frame, not yet turned north up; z = height above e
  double distance = 0.0;   // Q, plan distance from the measurement point
  double direction = 0.0;  // E, plan direction from the measurement point
  double elevation = 0.0;  // h
  double height = 0.0;     // z above the plane
};
SkySample ProjectSkySample(const TAcadPoint& sample, const SkyProjectionParameters& p);

// The arc along the horizon between the two base points furthest apart (A, the 0.25° steps, B),
// or nothing with fewer than two base points.
// The fast form takes each point's direction once; the reference form measures every pair's
// angle afresh. Both give the same points bit for bit.
std::vector<TAcadPoint> HorizonArcPoints(const std::vector<TAcadPoint>& basePoints, double radius);
std::vector<TAcadPoint> HorizonArcPointsReference(const std::vector<TAcadPoint>& basePoints,
                                                  double radius);

// True when the base points leave no gap of at least 180° along the horizon: the buildings
// surround the point and the short arc between the outermost base points would be wrong.
bool HorizonSurrounded(const std::vector<TAcadPoint>& basePoints);

// What the diagram drawing adds while the projection runs.
class SkyProjectionObserver {
 public:
  virtual ~SkyProjectionObserver() = default;
  // The projected samples of one sampled edge, turned north up.
  virtual void EdgeSamples(const std::vector<TAcadPoint>& turned) = 0;
  // The first or last sample of an edge when it is above the plane.
  virtual void Corner(const TTateiti& record) = 0;
  // The horizon arc, turned north up (not called without an arc).
  virtual void HorizonArc(const std::vector<TAcadPoint>& turned) = 0;
};

enum class SkyProjectionResult {
  kProjected,
  kSurrounded,  // nothing in AryLine
  kNotFinite,   // a coordinate or a parameter is not a finite number; nothing in AryLine
};

// Fills AryLine with the projected segments, north up.
SkyProjectionResult ProjectSkyLines(Workspace& ws, const SkyProjectionParameters& p,
                                    SkyProjectionObserver* observer = nullptr);

// The kernel sequence on AryLine: merge, split, de-duplicate, trace from the lower-left corner.
bool TraceSkyOutline(Workspace& ws);

// The message that ends the calculation of a point the buildings surround.
std::string SurroundedMessage(const std::string& pointName);

enum class SkyLineResult { kTraced, kTooFewSegments, kTraceFailed, kSurrounded, kNotFinite };

// Projection and trace: on kTraced AryLine holds the outline, counter-clockwise, north up.
SkyLineResult GetTenkuLine(Workspace& ws, const SkyProjectionParameters& p);

}  // namespace vorn
