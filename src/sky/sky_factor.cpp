#include "sky/sky_factor.h"

#include <charconv>
#include <cmath>
#include <string>

#include "dxf/number_format.h"
#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"

namespace vorn {

namespace {

const TAcadPoint kCentre{};

double Tolerance(double radius) { return radius * 5e-6; }

double FoldedTurn(const TAcadPoint& a, const TAcadPoint& vertex, const TAcadPoint& b) {
  const double t = TurnAngle(a, vertex, b);
  return t > kPi ? 2 * kPi - t : t;
}

bool InsideCircle(const TAcadPoint& p, double radius) {
  return PointDist(kCentre, p) + Tolerance(radius) < radius;
}

// The crossing of the ray from the centre with the first outline segment in list order that it
// crosses.
std::optional<TAcadPoint> FirstCrossing(const LineList& outline, double angle, double radius) {
  const TAcadPoint end = PolarPoint(kCentre, angle, radius - Tolerance(radius));
  for (const TLineEnt& s : outline) {
    TAcadPoint x;
    if (CrossPoint(kCentre, end, s.st, s.ed, true, x)) return x;
  }
  return std::nullopt;
}

// Whether x lies on the ray from the centre through c, at least as far out as c.
bool OnRayBeyond(const TAcadPoint& c, const TAcadPoint& x) {
  const double length = PointDist(kCentre, c);
  if (length <= 0.0) return false;
  const double across = std::fabs(c.x * x.y - c.y * x.x) / length;
  const double along = (c.x * x.x + c.y * x.y) / length;
  return across < kCollinearTol && along >= length - kSamePointTol;
}

// Whether the outline runs from the corner at `position` straight out to the horizon along its
// ray, i.e. the corner is the top of a vertical edge standing on the horizon, in one direction
// along the outline or the other.
bool StandsOnHorizon(const LineList& outline, std::size_t position, double radius) {
  const std::size_t n = outline.size();
  if (n == 0) return false;
  const TAcadPoint corner = outline[position % n].ed;
  for (std::size_t step = 1; step <= n; ++step) {  // forwards
    const TLineEnt& s = outline[(position + step) % n];
    if (!OnRayBeyond(corner, s.st) || !OnRayBeyond(corner, s.ed)) break;
    if (!InsideCircle(s.ed, radius)) return true;
  }
  for (std::size_t step = 0; step < n; ++step) {  // backwards
    const TLineEnt& s = outline[(position + n - step) % n];
    if (!OnRayBeyond(corner, s.st) || !OnRayBeyond(corner, s.ed)) break;
    if (!InsideCircle(s.st, radius)) return true;
  }
  return false;
}

TAcadPoint Foot(const TAcadPoint& corner, double radius) {
  return PolarPoint(kCentre, PointAngle(kCentre, corner), radius);
}

struct Measured {
  bool recorded = false;
  FanTriangle triangle;
};

Measured MeasureTriangle(TAcadPoint p, TAcadPoint q) {
  if (PointDist(kCentre, q) > PointDist(kCentre, p)) std::swap(p, q);
  Measured m;
  m.triangle.P = p;
  m.triangle.Q = q;
  m.triangle.record.teihen = PointDist(kCentre, p);
  TAcadPoint foot;
  if (!CrossPoint(p, kCentre, q, PolarPoint(q, PointAngle(kCentre, p) + kPi / 2, 100.0), false,
                  foot)) {
    return m;
  }
  m.triangle.F = foot;
  m.triangle.record.takasa = PointDist(q, foot);
  m.recorded = m.triangle.record.takasa > 0.1;
  return m;
}

// Whether the moved chord's end x may replace p: on p's side of the centre and not beyond where
// a line touching the circle within 10° of the ray crosses it. A moved chord that touches the
// outline close to the horizon crosses the ray just outside the circle; keeping p there would
// leave part of the sky outside the triangle, and the conforming building's sky factor would
// come out too low.
bool Reaches(const TAcadPoint& x, const TAcadPoint& p, double radius) {
  return x.x * p.x + x.y * p.y > 0 && PointDist(kCentre, x) < radius / std::cos(kPi / 18);
}

// Moves the chord PQ (P the farther) out to the outline, or to the horizon where the sky reaches
// it, keeping its direction.
void MoveChordOut(const LineList& outline, double radius, TAcadPoint& p, TAcadPoint& q) {
  const TAcadPoint mc{(p.x + q.x) * 0.5, (p.y + q.y) * 0.5, (p.z + q.z) * 0.5};
  const double j = PointAngle(p, q);
  const double tau = Tolerance(radius);
  const TAcadPoint end = PolarPoint(kCentre, PointAngle(kCentre, mc), radius - tau);
  const TLineEnt* crossed = nullptr;
  for (const TLineEnt& s : outline) {
    TAcadPoint x;
    if (CrossPoint(kCentre, end, s.st, s.ed, true, x)) {
      crossed = &s;
      break;
    }
  }
  TAcadPoint t;
  if (crossed != nullptr) {
    if (!CrossPoint(crossed->st, crossed->ed, mc, PolarPoint(mc, j + kPi / 2, 100.0), false, t)) {
      return;
    }
    const double shift = PointDist(t, mc);
    if (!(shift > 1e-5 && shift < radius - tau)) return;
    const TAcadPoint t2 = PolarPoint(t, j, 100.0);
    TAcadPoint x;
    if (CrossPoint(t, t2, kCentre, p, false, x) && Reaches(x, p, radius)) p = x;
    if (CrossPoint(t, t2, kCentre, q, false, x) && Reaches(x, q, radius)) q = x;
    return;
  }
  // Open sky down to the horizon: the chord moves out until it touches the circle, so that the
  // triangle holds the whole sector between its sides.
  double normal = j + kPi / 2;
  if (std::cos(normal) * mc.x + std::sin(normal) * mc.y < 0) normal = j - kPi / 2;
  t = PolarPoint(kCentre, normal, radius);
  if (!(PointDist(t, mc) > 1e-5)) return;
  const TAcadPoint t2 = PolarPoint(t, j, 100.0);
  TAcadPoint x;
  if (CrossPoint(t, t2, kCentre, p, false, x) && Reaches(x, p, radius)) p = x;
  if (CrossPoint(t, t2, kCentre, q, false, x) && Reaches(x, q, radius)) q = x;
}

}  // namespace

double RoundPrinted(double value, int decimals) {
  const std::string text = FormatFixed(value, decimals);
  double out = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), out);
  return out;
}

std::vector<TAcadPoint> FindSkyCorners(const LineList& outline, double radius, bool skipDoubleBack,
                                       std::vector<std::size_t>* positions) {
  std::vector<TAcadPoint> corners;
  const std::size_t n = outline.size();
  if (positions != nullptr) positions->clear();
  if (n == 0) return corners;
  const auto test = [&](std::size_t k, const TAcadPoint& next) {
    const TAcadPoint& v = outline[k].ed;
    const double turn = FoldedTurn(outline[k].st, v, next);
    const bool bent = turn < kCornerBend && (!skipDoubleBack || turn > 0.0);
    if (bent && InsideCircle(v, radius)) {
      corners.push_back(v);
      if (positions != nullptr) positions->push_back(k);
    }
  };
  for (std::size_t k = 0; k + 1 < n; ++k) test(k, outline[k + 1].ed);
  test(n - 1, outline[0].ed);
  return corners;
}

OrderedCorners OrderSkyCorners(const std::vector<TAcadPoint>& corners,
                               const std::vector<std::size_t>& positions) {
  OrderedCorners o;
  const std::size_t n = corners.size();
  if (n < 2) return o;
  std::size_t bi = 0, bj = 0;
  double best = -1.0;
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      if (i == j) continue;
      const double t = FoldedTurn(corners[i], kCentre, corners[j]);
      if (t > best) best = t, bi = i, bj = j;
    }
  }
  o.A = corners[bi];
  o.B = corners[bj];
  if (TurnAngle(o.A, kCentre, o.B) > TurnAngle(o.B, kCentre, o.A)) std::swap(o.A, o.B);
  std::size_t atB = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (SamePoint2D(corners[i], o.B, kSamePointTol)) {
      atB = i;
      break;
    }
  }
  // Numbered from B onwards and sorted by descending number: backwards along the outline from
  // the corner before B, with B last.
  for (std::size_t k = 1; k <= n; ++k) {
    const std::size_t i = (atB + n - k) % n;
    o.corners.push_back(corners[i]);
    o.positions.push_back(i < positions.size() ? positions[i] : 0);
  }
  return o;
}

std::vector<TAcadPoint> SkyFanPoints(const LineList& outline, const OrderedCorners& oc,
                                     double radius) {
  std::vector<TAcadPoint> fan;
  const std::vector<TAcadPoint>& c = oc.corners;
  if (c.empty()) return fan;
  const auto standsOnHorizon = [&](std::size_t i) {
    return i < oc.positions.size() && StandsOnHorizon(outline, oc.positions[i], radius);
  };
  for (std::size_t i = 0; i + 1 < c.size(); ++i) {
    const double alpha = FoldedTurn(c[i], kCentre, c[i + 1]);
    const auto m = static_cast<int>(std::trunc(alpha / (kPi / 18) + 1));
    const double start = PointAngle(kCentre, c[i]);
    fan.push_back(c[i]);
    std::vector<TAcadPoint> rays;
    bool open = !FirstCrossing(outline, start + alpha / 2, radius).has_value();
    for (int j = 1; j < m; ++j) {
      const double angle = start + j * alpha / m;
      const std::optional<TAcadPoint> x = FirstCrossing(outline, angle, radius);
      if (x) {
        rays.push_back({x->x, x->y, 0.0});
      } else {
        // The sky reaches the horizon here: a triangle spanning this ray up to the chord
        // between its neighbours would count open sky as covered.
        rays.push_back(PolarPoint(kCentre, angle, radius));
        open = true;
      }
    }
    if (open && standsOnHorizon(i)) fan.push_back(Foot(c[i], radius));
    fan.insert(fan.end(), rays.begin(), rays.end());
    if (open && standsOnHorizon(i + 1)) fan.push_back(Foot(c[i + 1], radius));
  }
  fan.push_back(c.back());
  return fan;
}

std::vector<FanTriangle> SkyTriangles(const LineList& outline, const std::vector<TAcadPoint>& fan,
                                      double radius, SkyVariant variant) {
  std::vector<FanTriangle> triangles;
  for (std::size_t i = 0; i + 1 < fan.size(); ++i) {
    TAcadPoint p = fan[i];
    TAcadPoint q = fan[i + 1];
    if (variant == SkyVariant::kCircumscribed) {
      if (PointDist(kCentre, q) > PointDist(kCentre, p)) std::swap(p, q);
      MoveChordOut(outline, radius, p, q);
    }
    Measured m = MeasureTriangle(p, q);
    if (!m.recorded) continue;
    m.triangle.record.no = static_cast<int32_t>(triangles.size() + 1);
    triangles.push_back(m.triangle);
  }
  return triangles;
}

namespace {

// What both variants share: the corners, the sector and the fan.
SkyFactorResult LayOutFan(const LineList& outline, const std::vector<TAcadPoint>& corners,
                          const std::vector<std::size_t>& positions, const SkyFactorParameters& p) {
  const OrderedCorners ordered = OrderSkyCorners(corners, positions);
  SkyFactorResult r;
  r.corners = ordered.corners;
  r.A = ordered.A;
  r.B = ordered.B;
  r.theta = RoundPrinted(FoldedTurn(r.A, kCentre, r.B) * 180.0 / kPi, 3);
  const double onPaper = p.radius / p.scale;
  const double circle = onPaper * onPaper * kPi;
  r.S = RoundPrinted(circle, 3);
  r.Z = circle * r.theta / 360.0;
  r.fan = SkyFanPoints(outline, ordered, p.radius);
  return r;
}

// The triangles of one variant over the laid-out fan and the rounding chain of their areas.
void MeasureVariant(const LineList& outline, const SkyFactorParameters& p, SkyVariant variant,
                    SkyFactorResult& r) {
  r.triangles = SkyTriangles(outline, r.fan, p.radius, variant);
  r.sigma = 0.0;
  for (FanTriangle& t : r.triangles) {
    const double base = RoundPrinted(t.record.teihen / p.scale, 5);
    const double half = RoundPrinted(t.record.takasa / p.scale * 0.5, 5);
    t.record.menseki = RoundPrinted(base * half, 3);
    r.sigma += t.record.menseki;
  }
  r.Ap = RoundPrinted(r.Z - r.sigma, 3);
  r.factor = (r.S - r.Ap) / r.S * 100.0;
}

}  // namespace

std::optional<SkyFactorResult> ComputeSkyFactor(const LineList& outline,
                                                const SkyFactorParameters& p, SkyVariant variant,
                                                bool skipDoubleBack) {
  std::vector<std::size_t> positions;
  const std::vector<TAcadPoint> corners =
      FindSkyCorners(outline, p.radius, skipDoubleBack, &positions);
  if (corners.size() < 2) return std::nullopt;
  SkyFactorResult r = LayOutFan(outline, corners, positions, p);
  MeasureVariant(outline, p, variant, r);
  return r;
}

bool GetTenkuRitu(Workspace& ws, const SkyFactorParameters& p, double& naisetu, double& gaisetu) {
  std::vector<std::size_t> positions;
  const std::vector<TAcadPoint> corners = FindSkyCorners(ws.AryLine, p.radius, false, &positions);
  ws.AryPoint.clear();
  for (std::size_t i = 0; i < corners.size(); ++i) {
    ws.AryPoint.push_back(TTempPoint{static_cast<int32_t>(i), corners[i], {}});
  }
  bool both = false;
  if (corners.size() >= 2) {
    // The fan does not depend on the variant: laid out once, measured twice.
    SkyFactorResult inscribed = LayOutFan(ws.AryLine, corners, positions, p);
    SkyFactorResult circumscribed = inscribed;
    MeasureVariant(ws.AryLine, p, SkyVariant::kInscribed, inscribed);
    MeasureVariant(ws.AryLine, p, SkyVariant::kCircumscribed, circumscribed);
    const bool in = !inscribed.triangles.empty();
    const bool out = !circumscribed.triangles.empty();
    if (in) naisetu = inscribed.factor;
    if (out) gaisetu = circumscribed.factor;
    both = in && out;
  }
  ws.AryLine.clear();
  return both;
}

}  // namespace vorn
