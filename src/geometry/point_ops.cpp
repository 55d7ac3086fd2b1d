#include "geometry/point_ops.h"

#include <cmath>

namespace vorn {

TAcadPoint SetPoint(double x, double y, double z) { return {x, y, z}; }

TAcadPoint PolarPoint(const TAcadPoint& p, double angle, double distance) {
  // The four axis directions are exact so that axis-parallel moves carry no round-off.
  if (angle == 0.0) return {p.x + distance, p.y, p.z};
  if (angle == kPi / 2) return {p.x, p.y + distance, p.z};
  if (angle == kPi) return {p.x - distance, p.y, p.z};
  if (angle == 3 * kPi / 2) return {p.x, p.y - distance, p.z};
  return {p.x + distance * std::cos(angle), p.y + distance * std::sin(angle), p.z};
}

double PointDist(const TAcadPoint& a, const TAcadPoint& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  return std::sqrt(dx * dx + dy * dy);
}

double PointAngle(const TAcadPoint& a, const TAcadPoint& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  if (std::fabs(dx) < 1e-5) return b.y > a.y ? kPi / 2 : 3 * kPi / 2;
  if (std::fabs(dy) < 1e-5) return b.x > a.x ? 0.0 : kPi;
  const double f = std::fabs(std::atan(dy / dx));
  if (dx < 0 && dy >= 0) return kPi - f;
  if (dx >= 0 && dy < 0) return 2 * kPi - f;
  if (dx < 0 && dy < 0) return kPi + f;
  return f;
}

bool CrossPoint(const TAcadPoint& p1, const TAcadPoint& p2, const TAcadPoint& p3,
                const TAcadPoint& p4, bool bounded, TAcadPoint& out) {
  const double d = (p4.x - p3.x) * (p2.y - p1.y) - (p2.x - p1.x) * (p4.y - p3.y);
  if (!(std::fabs(d) > 1e-12)) return false;
  const double ua = ((p4.x - p3.x) * (p3.y - p1.y) - (p4.y - p3.y) * (p3.x - p1.x)) / d;
  const double ub = ((p2.x - p1.x) * (p3.y - p1.y) - (p2.y - p1.y) * (p3.x - p1.x)) / d;
  if (bounded && !(ua >= 1e-12 && ua <= 1.0 && ub >= 1e-12 && ub <= 1.0)) return false;
  out = {p1.x + ua * (p2.x - p1.x), p1.y + ua * (p2.y - p1.y), p1.z};
  return true;
}

BulgeArcResult BulgeArc(const TAcadPoint& p, const TAcadPoint& q, double bulge) {
  const double c = 2 * std::atan(bulge);
  const double chord = PointDist(p, q);
  const double signedRadius = chord / 2 / std::sin(c);
  BulgeArcResult r;
  r.radius = std::fabs(signedRadius);
  r.centre = PolarPoint(p, kPi / 2 - c + PointAngle(p, q), signedRadius);
  r.startAngle = PointAngle(r.centre, bulge < 0 ? q : p);
  r.endAngle = PointAngle(r.centre, bulge < 0 ? p : q);
  return r;
}

bool IsOnSegment(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c) {
  return std::fabs(PointDist(b, c) - PointDist(a, b) - PointDist(a, c)) < 1e-5;
}

bool IsOnLine(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c, const TAcadPoint& d) {
  const double direction = PointAngle(a, b);
  const auto offLine = [&](const TAcadPoint& p) {
    return std::fabs(PointDist(a, p) * std::sin(direction - PointAngle(a, p)));
  };
  return offLine(c) < kCollinearTol && offLine(d) < kCollinearTol;
}

void FarthestPair(const TAcadPoint& p1, const TAcadPoint& p2, const TAcadPoint& p3,
                  const TAcadPoint& p4, TAcadPoint& outA, TAcadPoint& outB) {
  const TAcadPoint* points[4] = {&p1, &p2, &p3, &p4};
  double best = 0.0;
  for (int i = 0; i < 3; ++i) {
    for (int j = i + 1; j < 4; ++j) {
      const double d = PointDist(*points[i], *points[j]);
      if (d > best) {
        best = d;
        outA = *points[i];
        outB = *points[j];
      }
    }
  }
}

TAcadPoint ScalePoint(const TAcadPoint& p, double k) { return {k * p.x, k * p.y, k * p.z}; }

TAcadPoint MulPoint(const TAcadPoint& p, const TAcadPoint& q) {
  return {p.x * q.x, p.y * q.y, p.z * q.z};
}

TAcadPoint AddPoint(const TAcadPoint& p, const TAcadPoint& q) {
  return {p.x + q.x, p.y + q.y, p.z + q.z};
}

TAcadPoint RotatePoint(const TAcadPoint& p, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {p.x * c + p.y * s, -p.x * s + p.y * c, p.z};
}

TAcadPoint UnitVector(const TAcadPoint& v) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length > 0) return {v.x / length, v.y / length, v.z / length};
  return v;
}

TAcadPoint CrossProduct(const TAcadPoint& u, const TAcadPoint& v) {
  return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

TAcadPoint OcsToWcs(const TAcadPoint& p, const TAcadPoint& normal) {
  const TAcadPoint n = UnitVector(normal);
  constexpr double kArbitraryAxisLimit = 1.0 / 64.0;
  const TAcadPoint helper =
      (std::fabs(n.x) < kArbitraryAxisLimit && std::fabs(n.y) < kArbitraryAxisLimit)
          ? TAcadPoint{0, 1, 0}
          : TAcadPoint{0, 0, 1};
  const TAcadPoint ax = UnitVector(CrossProduct(helper, n));
  const TAcadPoint ay = UnitVector(CrossProduct(n, ax));
  return AddPoint(AddPoint(ScalePoint(ax, p.x), ScalePoint(ay, p.y)), ScalePoint(n, p.z));
}

bool SamePoint2D(const TAcadPoint& p, const TAcadPoint& q, double tol) {
  return tol > std::fabs(p.x - q.x) && tol > std::fabs(p.y - q.y);
}

bool SamePoint3D(const TAcadPoint& p, const TAcadPoint& q, double tol) {
  return SamePoint2D(p, q, tol) && tol > std::fabs(p.z - q.z);
}

int64_t RoundOff(double v) {
  return v >= 0 ? static_cast<int64_t>(std::trunc(v + 0.5))
                : static_cast<int64_t>(std::trunc(v - 0.5));
}

namespace {

std::string_view TrimBlanks(std::string_view s) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string ExtractBetween(std::string_view marker1, std::string_view marker2,
                           std::string_view text) {
  if (marker1.empty() || text.find(marker1) == std::string_view::npos) return {};
  std::string_view rest = text;
  for (size_t pos = rest.find(marker1); pos != std::string_view::npos; pos = rest.find(marker1)) {
    rest.remove_prefix(pos + marker1.size());
  }
  // marker2 must stand at position 2 or later (1-based), i.e. after at least one character.
  const size_t end = marker2.empty() ? std::string_view::npos : rest.find(marker2);
  if (end == std::string_view::npos || end < 1) return {};
  return std::string(TrimBlanks(rest.substr(0, end)));
}

}  // namespace vorn
