#include "cad/host/entity_geometry.h"

#include <algorithm>
#include <cmath>

#include "geometry/point_ops.h"

namespace vorn::cad::host {
namespace {

constexpr double kDegPerRad = 57.29577951308232;
constexpr int kSegmentsPerTurn = 72;

TAcadPoint Sub(const TAcadPoint& a, const TAcadPoint& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
TAcadPoint Add(const TAcadPoint& a, const TAcadPoint& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
TAcadPoint Mul(const TAcadPoint& a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(const TAcadPoint& a, const TAcadPoint& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
TAcadPoint Cross(const TAcadPoint& a, const TAcadPoint& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
TAcadPoint Unit(const TAcadPoint& v) {
  const double len = std::sqrt(Dot(v, v));
  return len > 0 ? Mul(v, 1.0 / len) : TAcadPoint{0, 0, 1};
}

struct Axes {
  TAcadPoint x, y, z;
};

Axes ArbitraryAxes(const TAcadPoint& normal) {
  const TAcadPoint n = Unit(normal);
  const double limit = 1.0 / 64.0;
  const TAcadPoint ax = (std::fabs(n.x) < limit && std::fabs(n.y) < limit)
                            ? Unit(Cross({0, 1, 0}, n))
                            : Unit(Cross({0, 0, 1}, n));
  return {ax, Cross(n, ax), n};
}

// How much an angle measured in the old plane grows once the plane is turned.
double AngleShift(const TAcadPoint& oldNormal, const Placement& placement) {
  const Axes before = ArbitraryAxes(oldNormal);
  const TAcadPoint newNormal = placement.Turn(before.z);
  const TAcadPoint turnedX = placement.Turn(before.x);
  const Axes after = ArbitraryAxes(newNormal);
  return std::atan2(Dot(turnedX, after.y), Dot(turnedX, after.x));
}

// A point given in the entity's plane coordinates, placed, and given back in the new plane.
TAcadPoint PlaceOcs(const TAcadPoint& p, const TAcadPoint& normal, const Placement& placement) {
  const TAcadPoint world = placement.Apply(OcsToWorld(p, normal));
  return WorldToOcs(world, placement.Turn(normal));
}

struct Placer {
  const Placement& pl;
  dxf::EntityCommon& common;
  TAcadPoint oldNormal;

  void operator()(dxf::Line& e) const {
    e.start = pl.Apply(e.start);
    e.end = pl.Apply(e.end);
  }
  void operator()(dxf::Point& e) const { e.position = pl.Apply(e.position); }
  void operator()(dxf::Circle& e) const {
    e.centre = PlaceOcs(e.centre, oldNormal, pl);
    e.radius *= pl.scale;
  }
  void operator()(dxf::Arc& e) const {
    e.centre = PlaceOcs(e.centre, oldNormal, pl);
    e.radius *= pl.scale;
    const double shift = AngleShift(oldNormal, pl) * kDegPerRad;
    e.startAngle += shift;
    e.endAngle += shift;
  }
  void operator()(dxf::Ellipse& e) const {
    e.centre = pl.Apply(e.centre);
    e.majorAxis = Mul(pl.Turn(e.majorAxis), pl.scale);
  }
  void operator()(dxf::LwPolyline& e) const {
    for (auto& v : e.vertices) {
      const TAcadPoint p = PlaceOcs({v.x, v.y, e.elevation}, oldNormal, pl);
      v.x = p.x;
      v.y = p.y;
    }
    e.elevation = PlaceOcs({0, 0, e.elevation}, oldNormal, pl).z;
  }
  void operator()(dxf::Polyline& e) const {
    const bool is3d = (e.flags & 8) != 0;
    for (auto& v : e.vertices) {
      v.point =
          is3d ? pl.Apply(v.point) : PlaceOcs({v.point.x, v.point.y, e.elevation}, oldNormal, pl);
    }
    if (!is3d) {
      e.elevation = PlaceOcs({0, 0, e.elevation}, oldNormal, pl).z;
      for (auto& v : e.vertices) v.point.z = 0;
    }
  }
  void operator()(dxf::Text& e) const {
    e.position = PlaceOcs(e.position, oldNormal, pl);
    e.alignment = PlaceOcs(e.alignment, oldNormal, pl);
    e.height *= pl.scale;
    e.rotation += AngleShift(oldNormal, pl) * kDegPerRad;
  }
  void operator()(dxf::Insert& e) const {
    e.position = PlaceOcs(e.position, oldNormal, pl);
    e.scale = Mul(e.scale, pl.scale);
    e.rotation += AngleShift(oldNormal, pl) * kDegPerRad;
  }
};

void AddArcPoints(std::vector<TAcadPoint>& out, const TAcadPoint& centre, double radius,
                  double start, double sweep, const TAcadPoint& normal) {
  const int steps =
      std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (2 * kPi) * kSegmentsPerTurn)));
  for (int k = 0; k <= steps; ++k) {
    const double a = start + sweep * k / steps;
    out.push_back(OcsToWorld(
        {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a), centre.z}, normal));
  }
}

double SweepOf(double startDeg, double endDeg) {
  double sweep = endDeg - startDeg;
  while (sweep <= 0) sweep += 360;
  while (sweep > 360) sweep -= 360;
  return sweep / kDegPerRad;
}

// Liang-Barsky: does the segment pq meet the rectangle?
bool SegmentMeetsRect(const TAcadPoint& p, const TAcadPoint& q, double x0, double y0, double x1,
                      double y1) {
  double t0 = 0, t1 = 1;
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double edges[4][2] = {{-dx, p.x - x0}, {dx, x1 - p.x}, {-dy, p.y - y0}, {dy, y1 - p.y}};
  for (const auto& edge : edges) {
    const double pe = edge[0], qe = edge[1];
    if (pe == 0) {
      if (qe < 0) return false;
      continue;
    }
    const double t = qe / pe;
    if (pe < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  return true;
}

struct Rect {
  double x0, y0, x1, y1;
  Rect(const TAcadPoint& a, const TAcadPoint& b)
      : x0(std::min(a.x, b.x)),
        y0(std::min(a.y, b.y)),
        x1(std::max(a.x, b.x)),
        y1(std::max(a.y, b.y)) {}
  bool Contains(const TAcadPoint& p) const {
    return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1;
  }
};

size_t Utf8Length(const std::string& s) {
  return static_cast<size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::vector<TAcadPoint> VerticesOutline(const std::vector<TAcadPoint>& points,
                                        const std::vector<double>& bulges, bool closed,
                                        const TAcadPoint& normal) {
  std::vector<TAcadPoint> out;
  const size_t n = points.size();
  if (n == 0) return out;
  out.push_back(OcsToWorld(points[0], normal));
  const size_t spans = closed ? n : n - 1;
  for (size_t i = 0; i < spans; ++i) {
    const TAcadPoint& p = points[i];
    const TAcadPoint& q = points[(i + 1) % n];
    if (bulges[i] == 0.0) {
      out.push_back(OcsToWorld(q, normal));
      continue;
    }
    const BulgeArcResult arc = BulgeArc(p, q, bulges[i]);
    const TAcadPoint c{arc.centre.x, arc.centre.y, p.z};
    const double a0 = std::atan2(p.y - c.y, p.x - c.x);
    const double sweep = 4 * std::atan(bulges[i]);
    AddArcPoints(out, c, arc.radius, a0, sweep, normal);
  }
  return out;
}

}  // namespace

TAcadPoint Placement::Apply(const TAcadPoint& p) const {
  return Add(position, Turn(Mul(Sub(p, base), scale)));
}

TAcadPoint Placement::Turn(const TAcadPoint& v) const {
  const double c = std::cos(rotation), s = std::sin(rotation);
  return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

TAcadPoint OcsToWorld(const TAcadPoint& p, const TAcadPoint& normal) {
  const Axes a = ArbitraryAxes(normal);
  return Add(Add(Mul(a.x, p.x), Mul(a.y, p.y)), Mul(a.z, p.z));
}

TAcadPoint WorldToOcs(const TAcadPoint& p, const TAcadPoint& normal) {
  const Axes a = ArbitraryAxes(normal);
  return {Dot(p, a.x), Dot(p, a.y), Dot(p, a.z)};
}

dxf::Entity PlaceEntity(const dxf::Entity& entity, const Placement& placement) {
  dxf::Entity placed = entity;
  const TAcadPoint oldNormal = entity.common.extrusion;
  std::visit(Placer{placement, placed.common, oldNormal}, placed.data);
  placed.common.extrusion = placement.Turn(oldNormal);
  placed.common.thickness *= placement.scale;
  return placed;
}

std::vector<dxf::Entity> ExplodePolyline(const dxf::Entity& entity) {
  std::vector<TAcadPoint> points;
  std::vector<double> bulges;
  bool closed = false;
  bool is3d = false;
  if (const auto* lw = std::get_if<dxf::LwPolyline>(&entity.data)) {
    for (const auto& v : lw->vertices) {
      points.push_back({v.x, v.y, lw->elevation});
      bulges.push_back(v.bulge);
    }
    closed = lw->closed;
  } else if (const auto* pl = std::get_if<dxf::Polyline>(&entity.data)) {
    is3d = (pl->flags & 8) != 0;
    for (const auto& v : pl->vertices) {
      points.push_back(is3d ? v.point : TAcadPoint{v.point.x, v.point.y, pl->elevation});
      bulges.push_back(is3d ? 0.0 : v.bulge);
    }
    closed = (pl->flags & 1) != 0;
  } else {
    return {};
  }
  const TAcadPoint normal = is3d ? TAcadPoint{0, 0, 1} : entity.common.extrusion;
  std::vector<dxf::Entity> out;
  const size_t n = points.size();
  if (n < 2) return out;
  const size_t spans = closed ? n : n - 1;
  for (size_t i = 0; i < spans; ++i) {
    const TAcadPoint& p = points[i];
    const TAcadPoint& q = points[(i + 1) % n];
    dxf::Entity piece;
    piece.common = entity.common;
    piece.common.handle.clear();
    if (is3d) piece.common.thickness = 0;
    if (bulges[i] == 0.0) {
      piece.data = dxf::Line{is3d ? p : OcsToWorld(p, normal), is3d ? q : OcsToWorld(q, normal)};
    } else {
      const BulgeArcResult arc = BulgeArc(p, q, bulges[i]);
      piece.data = dxf::Arc{{arc.centre.x, arc.centre.y, p.z},
                            arc.radius,
                            arc.startAngle * kDegPerRad,
                            arc.endAngle * kDegPerRad};
    }
    out.push_back(std::move(piece));
  }
  return out;
}

std::vector<TAcadPoint> PlanOutline(const dxf::Entity& entity) {
  const TAcadPoint normal = entity.common.extrusion;
  std::vector<TAcadPoint> out;
  if (const auto* e = std::get_if<dxf::Line>(&entity.data)) {
    out = {e->start, e->end};
  } else if (const auto* e = std::get_if<dxf::Point>(&entity.data)) {
    out = {e->position};
  } else if (const auto* e = std::get_if<dxf::Circle>(&entity.data)) {
    AddArcPoints(out, e->centre, e->radius, 0, 2 * kPi, normal);
  } else if (const auto* e = std::get_if<dxf::Arc>(&entity.data)) {
    AddArcPoints(out, e->centre, e->radius, e->startAngle / kDegPerRad,
                 SweepOf(e->startAngle, e->endAngle), normal);
  } else if (const auto* e = std::get_if<dxf::Ellipse>(&entity.data)) {
    const TAcadPoint u = e->majorAxis;
    const TAcadPoint w = Mul(Cross(Unit(normal), u), e->ratio);
    double sweep = e->endParam - e->startParam;
    while (sweep <= 0) sweep += 2 * kPi;
    const int steps =
        std::max(1, static_cast<int>(std::ceil(sweep / (2 * kPi) * kSegmentsPerTurn)));
    for (int k = 0; k <= steps; ++k) {
      const double s = e->startParam + sweep * k / steps;
      out.push_back(Add(e->centre, Add(Mul(u, std::cos(s)), Mul(w, std::sin(s)))));
    }
  } else if (const auto* e = std::get_if<dxf::LwPolyline>(&entity.data)) {
    std::vector<TAcadPoint> pts;
    std::vector<double> bulges;
    for (const auto& v : e->vertices) {
      pts.push_back({v.x, v.y, e->elevation});
      bulges.push_back(v.bulge);
    }
    out = VerticesOutline(pts, bulges, e->closed, normal);
  } else if (const auto* e = std::get_if<dxf::Polyline>(&entity.data)) {
    const bool is3d = (e->flags & 8) != 0;
    std::vector<TAcadPoint> pts;
    std::vector<double> bulges;
    for (const auto& v : e->vertices) {
      pts.push_back(is3d ? v.point : TAcadPoint{v.point.x, v.point.y, e->elevation});
      bulges.push_back(is3d ? 0.0 : v.bulge);
    }
    out = VerticesOutline(pts, bulges, (e->flags & 1) != 0, is3d ? TAcadPoint{0, 0, 1} : normal);
  } else if (const auto* e = std::get_if<dxf::Text>(&entity.data)) {
    // The text's box, estimated from its height and number of characters.
    const double w = e->height * e->widthFactor * static_cast<double>(Utf8Length(e->text));
    const double a = e->rotation / kDegPerRad;
    const TAcadPoint along{std::cos(a), std::sin(a), 0};
    const TAcadPoint up{-std::sin(a), std::cos(a), 0};
    const TAcadPoint p0 = e->position;
    out = {p0, Add(p0, Mul(along, w)), Add(Add(p0, Mul(along, w)), Mul(up, e->height)),
           Add(p0, Mul(up, e->height)), p0};
    for (auto& p : out) p = OcsToWorld(p, normal);
  } else if (const auto* e = std::get_if<dxf::Insert>(&entity.data)) {
    out = {OcsToWorld(e->position, normal)};
  }
  return out;
}

bool OutlineInsideWindow(const std::vector<TAcadPoint>& outline, const TAcadPoint& c1,
                         const TAcadPoint& c2) {
  const Rect r(c1, c2);
  return !outline.empty() && std::all_of(outline.begin(), outline.end(),
                                         [&](const TAcadPoint& p) { return r.Contains(p); });
}

bool OutlineCrossesWindow(const std::vector<TAcadPoint>& outline, const TAcadPoint& c1,
                          const TAcadPoint& c2) {
  const Rect r(c1, c2);
  if (std::any_of(outline.begin(), outline.end(),
                  [&](const TAcadPoint& p) { return r.Contains(p); }))
    return true;
  for (size_t i = 1; i < outline.size(); ++i) {
    if (SegmentMeetsRect(outline[i - 1], outline[i], r.x0, r.y0, r.x1, r.y1)) return true;
  }
  return false;
}

}  // namespace vorn::cad::host
