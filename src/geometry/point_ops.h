// Plane-geometry point operations with their exact special cases and tolerances.
// "Plan" operations use only x and y.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "geometry/records.h"

namespace vorn {

inline constexpr double kSamePointTol = 1e-5;  // mm
inline constexpr double kCollinearTol = 0.01;  // mm
inline constexpr double kPi = 3.14159265358979323846;

TAcadPoint SetPoint(double x, double y, double z);
TAcadPoint PolarPoint(const TAcadPoint& p, double angle, double distance);
double PointDist(const TAcadPoint& a, const TAcadPoint& b);
double PointAngle(const TAcadPoint& a, const TAcadPoint& b);
bool CrossPoint(const TAcadPoint& p1, const TAcadPoint& p2, const TAcadPoint& p3,
                const TAcadPoint& p4, bool bounded, TAcadPoint& out);

struct BulgeArcResult {
  TAcadPoint centre;
  double radius = 0.0;
  double startAngle = 0.0;
  double endAngle = 0.0;
};
BulgeArcResult BulgeArc(const TAcadPoint& p, const TAcadPoint& q, double bulge);

bool IsOnSegment(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c);
bool IsOnLine(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c, const TAcadPoint& d);
void FarthestPair(const TAcadPoint& p1, const TAcadPoint& p2, const TAcadPoint& p3,
                  const TAcadPoint& p4, TAcadPoint& outA, TAcadPoint& outB);
TAcadPoint ScalePoint(const TAcadPoint& p, double k);
TAcadPoint MulPoint(const TAcadPoint& p, const TAcadPoint& q);
TAcadPoint AddPoint(const TAcadPoint& p, const TAcadPoint& q);
TAcadPoint RotatePoint(const TAcadPoint& p, double angle);
TAcadPoint UnitVector(const TAcadPoint& v);
TAcadPoint CrossProduct(const TAcadPoint& u, const TAcadPoint& v);
TAcadPoint OcsToWcs(const TAcadPoint& p, const TAcadPoint& normal);
bool SamePoint2D(const TAcadPoint& p, const TAcadPoint& q, double tol);
bool SamePoint3D(const TAcadPoint& p, const TAcadPoint& q, double tol);
int64_t RoundOff(double v);

// The text between the last marker1 and the following marker2, trimmed; empty when the
// markers are not there as required.
std::string ExtractBetween(std::string_view marker1, std::string_view marker2,
                           std::string_view text);

}  // namespace vorn
