// The sun's azimuth and shadow length for a clock time, the values each run derives from the
// season, latitude and true north, the placement of a shadow point, and times as text.
#pragma once

#include <chrono>
#include <string>

#include "geometry/records.h"
#include "geometry/workspace.h"

namespace vorn {

// Declination of the three seasons of the season radio group (winter, equinox, summer).
inline constexpr double kSolsticeDeclination = 0.40927970959267024;  // 23.45 degrees
double SeasonDeclination(int seasonItem);

// The drawing angle from which sun azimuths are turned, for true north given in degrees
// counter-clockwise from +x: 4.5*pi - north, lowered below 2*pi (never raised).
double NorthAngleFromDegrees(double northDegrees);

double LatitudeRadians(double degrees, double minutes, double seconds);

// Sets the latitude and declination sines and cosines and NorthAngle from the run's inputs.
void SetSunState(SunState& sun, double declination, double latitudeRadians, double northDegrees);

// Hours for which a sun position is defined.
inline constexpr double kFirstSunHour = 8.0;
inline constexpr double kLastSunHour = 16.0;
bool IsSunTime(double t);

struct SunPos {
  bool ok = false;
  double azimuth = 0.0;  // radians from due south, positive toward the west
  double ratio = 1.0;    // shadow length per unit of height above the plane
};

// Sun position at t hours of true solar time. `declination` is what the runs pass
// (SunDeclination); the computation uses the sines and cosines held in `sun`.
// Not ok outside 8-16 h, when the direction is undefined, or when the sun is not above the
// horizon (a shadow of infinite or negative length would otherwise be drawn).
SunPos GetSunPos(const SunState& sun, double t, double declination);

// Direction in which shadows fall, as an unreduced drawing angle.
double ShadowDirection(const SunState& sun, const SunPos& pos);

// The shadow on a plane at height h of building point p: p moved along `direction` by
// (p.z - h) * ratio when p is above the plane, p itself otherwise; z is 0.
TAcadPoint ShadowPoint(const TAcadPoint& p, double h, double direction, double ratio);

std::string TimeToHMS(double t);  // "08:30'00\"", seconds raised to a multiple of 5
std::string TimeToHM(double t);   // "08:30", minutes truncated

// The length of a run as hours, minutes and seconds, "0:01:23" (whole seconds, truncated).
std::string ElapsedText(std::chrono::steady_clock::duration elapsed);

// A run's clock, started when made.
class ElapsedTime {
 public:
  std::string Text() const { return ElapsedText(std::chrono::steady_clock::now() - start_); }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace vorn
