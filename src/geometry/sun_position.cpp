#include "geometry/sun_position.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geometry/point_ops.h"

namespace vorn {

double SeasonDeclination(int seasonItem) {
  switch (seasonItem) {
    case 0:
      return -kSolsticeDeclination;
    case 2:
      return kSolsticeDeclination;
    default:
      return 0.0;
  }
}

double NorthAngleFromDegrees(double northDegrees) {
  double angle = 4.5 * kPi - northDegrees * kPi / 180.0;
  // Only finite angles can be lowered; an infinite one would never get below 2*pi.
  if (!std::isfinite(angle)) return angle;
  while (angle >= 2 * kPi) angle -= 2 * kPi;
  return angle;
}

double LatitudeRadians(double degrees, double minutes, double seconds) {
  return (degrees + minutes / 60.0 + seconds / 3600.0) * kPi / 180.0;
}

void SetSunState(SunState& sun, double declination, double latitudeRadians, double northDegrees) {
  sun.SunDeclination = declination;
  sun.SinLat = std::sin(latitudeRadians);
  sun.CosLat = std::cos(latitudeRadians);
  sun.SinDecl = std::sin(declination);
  sun.CosDecl = std::cos(declination);
  sun.NorthAngle = NorthAngleFromDegrees(northDegrees);
}

bool IsSunTime(double t) { return t >= kFirstSunHour && t <= kLastSunHour; }

SunPos GetSunPos(const SunState& sun, double t, double /*declination*/) {
  SunPos pos;
  if (!IsSunTime(t)) return pos;
  const double hourAngle = (t - 12.0) * kPi / 12.0;
  const double sinH = sun.SinLat * sun.SinDecl + sun.CosLat * sun.CosDecl * std::cos(hourAngle);
  if (!(sinH > 0.0)) return pos;  // sun at or below the horizon
  const double cosH = std::sqrt(1.0 - sinH * sinH);
  const double s = sun.CosDecl * std::sin(hourAngle) / cosH;
  const double c = (sinH * sun.SinLat - sun.SinDecl) / (cosH * sun.CosLat);
  if (s == 0.0 && c == 0.0) return pos;
  if (!std::isfinite(s) || !std::isfinite(c)) return pos;  // sun in the zenith
  const double as = std::fabs(s);
  const double ac = std::fabs(c);
  double a = ac >= as ? std::atan(as / ac) : kPi / 2 - std::atan(ac / as);
  if (c < 0) a = kPi - a;
  if (s < 0) a = -a;
  while (a >= 2 * kPi) a -= 2 * kPi;
  pos.ok = true;
  pos.azimuth = a;
  pos.ratio = cosH / sinH;
  return pos;
}

double ShadowDirection(const SunState& sun, const SunPos& pos) {
  return 4.5 * kPi - (pos.azimuth + sun.NorthAngle);
}

TAcadPoint ShadowPoint(const TAcadPoint& p, double h, double direction, double ratio) {
  TAcadPoint shadow = p.z > h ? PolarPoint(p, direction, (p.z - h) * ratio) : p;
  shadow.z = 0.0;
  return shadow;
}

std::string TimeToHMS(double t) {
  int hours = static_cast<int>(std::trunc(t));
  int minutes = static_cast<int>(std::trunc((t - hours) * 60.0));
  int seconds = static_cast<int>(std::trunc((t - hours - minutes / 60.0) * 3600.0));
  if (seconds % 5 != 0) seconds = (seconds / 5) * 5 + 5;
  if (seconds == 60) {
    seconds = 0;
    ++minutes;
  }
  if (minutes == 60) {
    minutes = 0;
    ++hours;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%.2d:%.2d'%.2d\"", hours, minutes, seconds);
  return text;
}

std::string TimeToHM(double t) {
  const int hours = static_cast<int>(std::trunc(t));
  const int minutes = static_cast<int>(std::trunc((t - hours) * 60.0));
  char text[32];
  std::snprintf(text, sizeof text, "%2.2d:%2.2d", hours, minutes);
  return text;
}

std::string ElapsedText(std::chrono::steady_clock::duration elapsed) {
  const long long seconds =
      std::max<long long>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 0);
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%.2lld:%.2lld", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return text;
}

}  // namespace vorn
