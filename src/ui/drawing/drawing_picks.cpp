#include "ui/drawing/drawing_picks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <variant>

#include "cad/host/entity_geometry.h"

namespace vorn::ui {
namespace {

using cad::host::OcsToWorld;
constexpr double kRadPerDeg = 0.017453292519943295;

ScenePoint Plan(const TAcadPoint& p) { return {p.x, p.y}; }

class SnapCollector {
 public:
  void Add(SnapKind kind, const TAcadPoint& p) {
    if (std::isfinite(p.x) && std::isfinite(p.y)) out.push_back({kind, Plan(p)});
  }
  std::vector<SnapPoint> out;
};

TAcadPoint OnCircle(const TAcadPoint& centre, double radius, double radians) {
  return {centre.x + radius * std::cos(radians), centre.y + radius * std::sin(radians), centre.z};
}

// The arc between two polyline vertices: its middle point on the arc, and its centre.
void AddBulgeSnaps(SnapCollector& c, const TAcadPoint& p, const TAcadPoint& q, double bulge,
                   const TAcadPoint& normal) {
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double chord = std::hypot(dx, dy);
  const TAcadPoint mid{(p.x + q.x) / 2, (p.y + q.y) / 2, p.z};
  if (bulge == 0.0 || chord == 0.0 || !std::isfinite(bulge)) {
    c.Add(SnapKind::kMidpoint, OcsToWorld(mid, normal));
    return;
  }
  // The arc's middle lies off the chord's middle by the sagitta, to the chord's right for a
  // positive (counter-clockwise) bulge.
  const double sagitta = bulge * chord / 2;
  c.Add(SnapKind::kMidpoint,
        OcsToWorld({mid.x + dy / chord * sagitta, mid.y - dx / chord * sagitta, p.z}, normal));
  const double toCentre = chord * (1.0 - bulge * bulge) / (4.0 * bulge);
  c.Add(SnapKind::kCentre,
        OcsToWorld({mid.x - dy / chord * toCentre, mid.y + dx / chord * toCentre, p.z}, normal));
}

void AddSnaps(SnapCollector& c, const dxf::Entity& entity) {
  const TAcadPoint& n = entity.common.extrusion;
  if (const auto* l = std::get_if<dxf::Line>(&entity.data)) {
    c.Add(SnapKind::kEndpoint, l->start);
    c.Add(SnapKind::kEndpoint, l->end);
    c.Add(SnapKind::kMidpoint,
          {(l->start.x + l->end.x) / 2, (l->start.y + l->end.y) / 2, (l->start.z + l->end.z) / 2});
  } else if (const auto* ci = std::get_if<dxf::Circle>(&entity.data)) {
    c.Add(SnapKind::kCentre, OcsToWorld(ci->centre, n));
  } else if (const auto* a = std::get_if<dxf::Arc>(&entity.data)) {
    const double start = a->startAngle * kRadPerDeg;
    double sweep = std::fmod(a->endAngle - a->startAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    c.Add(SnapKind::kCentre, OcsToWorld(a->centre, n));
    c.Add(SnapKind::kEndpoint, OcsToWorld(OnCircle(a->centre, a->radius, start), n));
    c.Add(SnapKind::kEndpoint,
          OcsToWorld(OnCircle(a->centre, a->radius, start + sweep * kRadPerDeg), n));
    c.Add(SnapKind::kMidpoint,
          OcsToWorld(OnCircle(a->centre, a->radius, start + sweep / 2 * kRadPerDeg), n));
  } else if (const auto* e = std::get_if<dxf::Ellipse>(&entity.data)) {
    c.Add(SnapKind::kCentre, e->centre);
  } else if (const auto* lw = std::get_if<dxf::LwPolyline>(&entity.data)) {
    const size_t count = lw->vertices.size();
    for (size_t i = 0; i < count; ++i) {
      const auto& v = lw->vertices[i];
      c.Add(SnapKind::kEndpoint, OcsToWorld({v.x, v.y, lw->elevation}, n));
      if (i + 1 < count || (lw->closed && count > 1)) {
        const auto& w = lw->vertices[(i + 1) % count];
        AddBulgeSnaps(c, {v.x, v.y, lw->elevation}, {w.x, w.y, lw->elevation}, v.bulge, n);
      }
    }
  } else if (const auto* pl = std::get_if<dxf::Polyline>(&entity.data)) {
    const bool is3D = (pl->flags & 8) != 0;
    const size_t count = pl->vertices.size();
    for (size_t i = 0; i < count; ++i) {
      TAcadPoint v = pl->vertices[i].point;
      if (!is3D) v.z = pl->elevation;
      c.Add(SnapKind::kEndpoint, is3D ? v : OcsToWorld(v, n));
      if (i + 1 < count || ((pl->flags & 1) != 0 && count > 1)) {
        TAcadPoint w = pl->vertices[(i + 1) % count].point;
        if (!is3D) w.z = pl->elevation;
        AddBulgeSnaps(c, v, w, is3D ? 0.0 : pl->vertices[i].bulge, is3D ? TAcadPoint{0, 0, 1} : n);
      }
    }
  } else if (const auto* t = std::get_if<dxf::Text>(&entity.data)) {
    c.Add(SnapKind::kEndpoint, OcsToWorld(t->position, n));
  } else if (const auto* i = std::get_if<dxf::Insert>(&entity.data)) {
    c.Add(SnapKind::kEndpoint, OcsToWorld(i->position, n));
  } else if (const auto* p = std::get_if<dxf::Point>(&entity.data)) {
    c.Add(SnapKind::kEndpoint, p->position);
  }
}

double Distance(ScenePoint a, ScenePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

ScenePoint ClosestOnSegment(ScenePoint p, ScenePoint a, ScenePoint b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  if (!(length2 > 0)) return a;
  const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
  return {a.x + t * dx, a.y + t * dy};
}

// Inside the convex quadrilateral of a text's corners (stored as top-left, top-right,
// bottom-left, bottom-right).
bool InsideLabel(const std::vector<ScenePoint>& corners, ScenePoint p) {
  if (corners.size() != 4) return false;
  const ScenePoint ring[4] = {corners[0], corners[1], corners[3], corners[2]};
  int sign = 0;
  for (int i = 0; i < 4; ++i) {
    const ScenePoint a = ring[i], b = ring[(i + 1) % 4];
    const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    const int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
    if (s != 0 && sign != 0 && s != sign) return false;
    if (s != 0) sign = s;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<SnapPoint> SnapPointsOf(const HostDocument& document) {
  SnapCollector collector;
  for (const auto& e : document.modelSpace) {
    if (!e.entity.common.paperSpace) AddSnaps(collector, e.entity);
  }
  return std::move(collector.out);
}

double DistanceToSegment(ScenePoint p, ScenePoint a, ScenePoint b) {
  return Distance(p, ClosestOnSegment(p, a, b));
}

std::optional<SnapPoint> FindSnap(const std::vector<SnapPoint>& points, const DrawingScene& scene,
                                  ScenePoint cursor, double aperture) {
  std::optional<SnapPoint> best;
  double bestDistance = aperture;
  for (const auto& point : points) {
    const double d = Distance(point.at, cursor);
    if (d <= bestDistance) {
      best = point;
      bestDistance = d;
    }
  }
  if (best) return best;
  bestDistance = aperture;
  for (const auto& stroke : scene.strokes) {
    const auto& pts = stroke.points;
    const size_t segments = pts.size() < 2 ? 0 : pts.size() - (stroke.closed ? 0 : 1);
    for (size_t i = 0; i < segments; ++i) {
      const ScenePoint on = ClosestOnSegment(cursor, pts[i], pts[(i + 1) % pts.size()]);
      const double d = Distance(on, cursor);
      if (d <= bestDistance) {
        best = SnapPoint{SnapKind::kNearest, on};
        bestDistance = d;
      }
    }
  }
  return best;
}

std::optional<size_t> EntityAt(const DrawingScene& scene, ScenePoint at, double tolerance) {
  std::optional<size_t> best;
  double bestDistance = tolerance;
  auto consider = [&](size_t entity, double distance) {
    if (entity != cad::host::kNoEntity && distance <= bestDistance) {
      best = entity;
      bestDistance = distance;
    }
  };
  for (const auto& stroke : scene.strokes) {
    const auto& pts = stroke.points;
    if (pts.size() == 1) consider(stroke.entity, Distance(at, pts[0]));
    const size_t segments = pts.size() < 2 ? 0 : pts.size() - (stroke.closed ? 0 : 1);
    for (size_t i = 0; i < segments; ++i) {
      consider(stroke.entity, DistanceToSegment(at, pts[i], pts[(i + 1) % pts.size()]));
    }
  }
  for (const auto& mark : scene.marks) consider(mark.entity, Distance(at, mark.at));
  for (const auto& label : scene.labels) {
    if (InsideLabel(label.corners, at)) consider(label.entity, 0.0);
  }
  return best;
}

std::optional<double> ParseTypedNumber(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<TAcadPoint> ParseTypedPoint(std::string_view text) {
  std::vector<double> numbers;
  while (true) {
    const size_t comma = text.find(',');
    const auto number = ParseTypedNumber(text.substr(0, comma));
    if (!number) return std::nullopt;
    numbers.push_back(*number);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (numbers.size() < 2 || numbers.size() > 3) return std::nullopt;
  return TAcadPoint{numbers[0], numbers[1], numbers.size() == 3 ? numbers[2] : 0.0};
}

}  // namespace vorn::ui
