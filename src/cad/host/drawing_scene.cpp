#include "cad/host/drawing_scene.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "geometry/point_ops.h"

namespace vorn::cad::host {
namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kRadPerDeg = kPi / 180.0;
// Curves become chords of at most this angle: at 1600 px even a circle as wide as the picture
// stays within about a pixel of the true curve.
constexpr double kMaxChordAngle = kTwoPi / 96.0;
// Past this many entities visited, or picture elements made, the rest of the drawing is left
// out, so that blocks nested many times over (each inserting the next a hundred times) cannot
// exhaust memory or time, even when what they hold is on layers that are off.
constexpr size_t kMaxVisits = 1'000'000;
constexpr size_t kMaxElements = 1'000'000;
// DXF text height is the height of a capital; a sans-serif capital is about 0.7 em.
constexpr double kCapHeightPerEm = 0.7;
constexpr int kAciForeground = 7;
constexpr int kAciByBlock = 0;
constexpr int kAciByLayer = 256;

using P2 = ScenePoint;
using Affine = SceneAffine;

// outer after inner.
Affine Compose(const Affine& outer, const Affine& inner) {
  const P2 ex = outer.Linear({inner.a, inner.b});
  const P2 ey = outer.Linear({inner.c, inner.d});
  const P2 origin = outer.Apply({inner.e, inner.f});
  return {ex.x, ex.y, ey.x, ey.y, origin.x, origin.y};
}

Affine Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
Affine Rotation(double radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  return {c, s, -s, c, 0, 0};
}
Affine Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

bool IsFinite(const TAcadPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// A usable extrusion direction: a zero or broken one means the default +z.
TAcadPoint SafeNormal(const TAcadPoint& n) {
  const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (!std::isfinite(len) || len < 1e-12) return {0, 0, 1};
  return {n.x / len, n.y / len, n.z / len};
}

// The plan view of an entity's object coordinate system, with its points at height z.
Affine OcsPlan(const TAcadPoint& normal, double z) {
  const TAcadPoint n = SafeNormal(normal);
  const TAcadPoint ax = OcsToWcs({1, 0, 0}, n);
  const TAcadPoint ay = OcsToWcs({0, 1, 0}, n);
  const TAcadPoint az = OcsToWcs({0, 0, std::isfinite(z) ? z : 0.0}, n);
  return {ax.x, ax.y, ay.x, ay.y, az.x, az.y};
}

// Points on a circular arc from `start` sweeping `sweep` radians (negative: clockwise).
std::vector<P2> ArcPoints(P2 centre, double radius, double start, double sweep) {
  const int steps = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / kMaxChordAngle)), 1,
                               static_cast<int>(kTwoPi / kMaxChordAngle));
  std::vector<P2> points;
  points.reserve(steps + 1);
  for (int i = 0; i <= steps; ++i) {
    const double t = start + sweep * i / steps;
    points.push_back({centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)});
  }
  return points;
}

// The bulge arc from p to q, without p itself (the caller has it already).
void AppendBulge(std::vector<P2>& out, P2 p, P2 q, double bulge) {
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double chord = std::hypot(dx, dy);
  if (bulge == 0.0 || !std::isfinite(bulge) || chord == 0.0) {
    out.push_back(q);
    return;
  }
  const double sweep = 4.0 * std::atan(bulge);
  // Distance from the chord's middle to the centre, towards the chord's left for a positive
  // (counter-clockwise) bulge.
  const double toCentre = chord * (1.0 - bulge * bulge) / (4.0 * bulge);
  const P2 centre{(p.x + q.x) / 2 - dy / chord * toCentre, (p.y + q.y) / 2 + dx / chord * toCentre};
  const double radius = std::hypot(p.x - centre.x, p.y - centre.y);
  const double start = std::atan2(p.y - centre.y, p.x - centre.x);
  std::vector<P2> arc = ArcPoints(centre, radius, start, sweep);
  arc.back() = q;  // exactly on the next vertex, whatever the rounding
  out.insert(out.end(), arc.begin() + 1, arc.end());
}

// Vertices with bulges: the drawn chain. The closing segment uses the last vertex's bulge.
struct BulgeVertex {
  P2 at;
  double bulge = 0.0;
};

std::vector<P2> BulgeChain(const std::vector<BulgeVertex>& vertices, bool closed) {
  std::vector<P2> out;
  if (vertices.empty()) return out;
  out.push_back(vertices.front().at);
  for (size_t i = 0; i + 1 < vertices.size(); ++i) {
    AppendBulge(out, vertices[i].at, vertices[i + 1].at, vertices[i].bulge);
  }
  if (closed && vertices.size() > 1) {
    AppendBulge(out, vertices.back().at, vertices.front().at, vertices.back().bulge);
    out.pop_back();  // the path's close command draws back to the first point
  }
  return out;
}

using Stroke = SceneStroke;
using Label = SceneLabel;
using Mark = SceneMark;
using Scene = DrawingScene;

// The properties an entity inherits from where it is drawn: the top level, or an insert.
struct Inherited {
  std::string layer = "0";  // what layer "0" inside a block stands for
  int byBlockAci = kAciForeground;
  std::string byBlockLineType = "CONTINUOUS";
  bool inBlock = false;
};

struct Resolved {
  bool visible = true;
  std::string layer;
  int aci = kAciForeground;
  std::string lineType;
};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& ch : out) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return out;
}

// --- Text cleaning ------------------------------------------------------------------------

// Length of the valid UTF-8 sequence at s[i], or 0 when the bytes there are not one.
size_t Utf8Length(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  const bool nonCharacter = code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF;
  return (overlong || surrogate || nonCharacter) ? 0 : length;
}

// The CAD's %% codes for symbols; underline and overline switches are dropped.
std::optional<std::string_view> PercentCode(char code) {
  switch (code) {
    case 'c':
    case 'C':
      return "\u2300";
    case 'd':
    case 'D':
      return "\u00B0";
    case 'p':
    case 'P':
      return "\u00B1";
    case '%':
      return "%";
    case 'u':
    case 'U':
    case 'o':
    case 'O':
      return "";
    default:
      return std::nullopt;
  }
}

// The text cleaned: %% codes (when asked) and broken UTF-8 replaced, control characters but
// tab made blanks (a text line has no line ends, and XML forbids the others).
std::string CleanText(std::string_view text, bool percentCodes) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char ch = text[i];
    if (percentCodes && ch == '%' && i + 2 < text.size() && text[i + 1] == '%') {
      if (const auto symbol = PercentCode(text[i + 2])) {
        out += *symbol;
        i += 3;
        continue;
      }
    }
    const size_t length = Utf8Length(text, i);
    if (length == 0) {
      out += "\uFFFD";
      ++i;
      continue;
    }
    if (length == 1) {
      out += (static_cast<unsigned char>(ch) < 0x20 && ch != '\t') ? ' ' : ch;
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

// A rough advance width in cap heights: full width for CJK and other wide scripts, about half
// an em for Latin, enough to keep a text inside the view box.
double EstimatedWidth(std::string_view text, double capHeight) {
  double width = 0.0;
  for (size_t i = 0; i < text.size();) {
    const size_t length = std::max<size_t>(1, Utf8Length(text, i));
    width += (length >= 3 ? 1.0 : 0.6) / kCapHeightPerEm;
    i += length;
  }
  return width * capHeight;
}

// --- Building the picture -----------------------------------------------------------------

class SceneBuilder {
 public:
  explicit SceneBuilder(const HostDocument& document) : document_(document) {
    for (const auto& layer : document.layers) layers_.emplace(Upper(layer.name), &layer);
    for (const auto& type : document.lineTypes) lineTypes_.emplace(Upper(type.name), &type);
  }

  Scene Build() {
    const Inherited top;
    for (size_t i = 0; i < document_.modelSpace.size(); ++i) {
      const auto& entity = document_.modelSpace[i].entity;
      entity_ = i;
      if (!entity.common.paperSpace) Draw(entity, Affine{}, top, 0);
    }
    return std::move(scene_);
  }

 private:
  const dxf::Layer* LayerOf(const std::string& name) const {
    const auto it = layers_.find(Upper(name));
    return it == layers_.end() ? nullptr : it->second;
  }
  const dxf::LineType* LineTypeOf(const std::string& name) const {
    const auto it = lineTypes_.find(Upper(name));
    return it == lineTypes_.end() ? nullptr : it->second;
  }

  // Layer "0" inside a block takes the insert's layer; BYLAYER then means that layer's.
  Resolved Resolve(const dxf::EntityCommon& common, const Inherited& from) const {
    Resolved r;
    r.layer = (from.inBlock && common.layer == "0") ? from.layer : common.layer;
    const dxf::Layer* layer = LayerOf(r.layer);
    const int layerColour = layer ? layer->colour : kAciForeground;
    const bool frozen = layer && (layer->flags & 1) != 0;
    r.visible = layerColour >= 0 && !frozen;
    const int colour = common.colour.value_or(kAciByLayer);
    if (colour == kAciByLayer) {
      r.aci = std::abs(layerColour);
    } else if (colour == kAciByBlock) {
      r.aci = from.byBlockAci;
    } else {
      r.aci = colour;
    }
    const std::string type = common.lineType.value_or("BYLAYER");
    if (Upper(type) == "BYLAYER") {
      r.lineType = layer ? layer->lineType : "CONTINUOUS";
    } else if (Upper(type) == "BYBLOCK") {
      r.lineType = from.byBlockLineType;
    } else {
      r.lineType = type;
    }
    return r;
  }

  bool Full() const { return scene_.Size() >= kMaxElements; }

  void AddStroke(std::vector<P2> points, bool closed, const Affine& toPlan, const Resolved& style) {
    if (points.empty() || Full()) return;
    for (P2& p : points) {
      p = toPlan.Apply(p);
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    }
    const dxf::LineType* type = LineTypeOf(style.lineType);
    scene_.Add(Stroke{std::move(points), closed, style.aci, type, entity_});
  }

  void Draw(const dxf::Entity& entity, const Affine& world, const Inherited& from, int depth) {
    // The limit on visits is for what inserts bring; the drawing's own entities are all drawn.
    if (depth > 0) {
      if (visits_ >= kMaxVisits) return;
      ++visits_;
    }
    const Resolved style = Resolve(entity.common, from);
    if (!style.visible && !std::holds_alternative<dxf::Insert>(entity.data)) return;
    const TAcadPoint& normal = entity.common.extrusion;
    std::visit([&](const auto& data) { DrawData(data, normal, world, from, style, depth); },
               entity.data);
  }

  void DrawData(const dxf::Line& e, const TAcadPoint&, const Affine& world, const Inherited&,
                const Resolved& style, int) {
    AddStroke({{e.start.x, e.start.y}, {e.end.x, e.end.y}}, false, world, style);
  }

  void DrawData(const dxf::Point& e, const TAcadPoint&, const Affine& world, const Inherited&,
                const Resolved& style, int) {
    if (Full()) return;
    const P2 at = world.Apply({e.position.x, e.position.y});
    if (std::isfinite(at.x) && std::isfinite(at.y)) scene_.Add(Mark{at, style.aci, entity_});
  }

  void DrawData(const dxf::Circle& e, const TAcadPoint& normal, const Affine& world,
                const Inherited&, const Resolved& style, int) {
    if (!std::isfinite(e.radius)) return;
    std::vector<P2> points = ArcPoints({e.centre.x, e.centre.y}, std::fabs(e.radius), 0, kTwoPi);
    points.pop_back();
    AddStroke(std::move(points), true, Compose(world, OcsPlan(normal, e.centre.z)), style);
  }

  void DrawData(const dxf::Arc& e, const TAcadPoint& normal, const Affine& world, const Inherited&,
                const Resolved& style, int) {
    if (!std::isfinite(e.radius) || !std::isfinite(e.startAngle) || !std::isfinite(e.endAngle)) {
      return;
    }
    double sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    AddStroke(ArcPoints({e.centre.x, e.centre.y}, std::fabs(e.radius), e.startAngle * kRadPerDeg,
                        sweep * kRadPerDeg),
              false, Compose(world, OcsPlan(normal, e.centre.z)), style);
  }

  // ELLIPSE is in world coordinates; the extrusion only fixes which way the minor axis points.
  void DrawData(const dxf::Ellipse& e, const TAcadPoint& normal, const Affine& world,
                const Inherited&, const Resolved& style, int) {
    const TAcadPoint n = SafeNormal(normal);
    const TAcadPoint& m = e.majorAxis;
    const TAcadPoint minor = ScalePoint(CrossProduct(n, m), e.ratio);
    double sweep = std::fmod(e.endParam - e.startParam, kTwoPi);
    if (!std::isfinite(sweep)) return;
    if (sweep <= 1e-12) sweep += kTwoPi;
    const bool full = std::fabs(sweep - kTwoPi) < 1e-9;
    // Unit circle points mapped by the ellipse's own affine frame.
    std::vector<P2> points = ArcPoints({0, 0}, 1.0, e.startParam, sweep);
    if (full) points.pop_back();
    const Affine frame{m.x, m.y, minor.x, minor.y, e.centre.x, e.centre.y};
    AddStroke(std::move(points), full, Compose(world, frame), style);
  }

  void DrawData(const dxf::LwPolyline& e, const TAcadPoint& normal, const Affine& world,
                const Inherited&, const Resolved& style, int) {
    std::vector<BulgeVertex> vertices;
    vertices.reserve(e.vertices.size());
    for (const auto& v : e.vertices) vertices.push_back({{v.x, v.y}, v.bulge});
    AddStroke(BulgeChain(vertices, e.closed), e.closed && vertices.size() > 1,
              Compose(world, OcsPlan(normal, e.elevation)), style);
  }

  void DrawData(const dxf::Polyline& e, const TAcadPoint& normal, const Affine& world,
                const Inherited&, const Resolved& style, int) {
    constexpr int kClosed = 1, k3D = 8, kMesh = 16, kPolyface = 64;
    constexpr int kSplineFrame = 16;  // vertex flag: control point, not on the curve
    // Meshes keep their faces' vertex indices in fields the drawing model does not hold, so a
    // chain through their vertices would draw edges that are not there.
    if ((e.flags & (kMesh | kPolyface)) != 0) return;
    const bool is3D = (e.flags & k3D) != 0;
    std::vector<BulgeVertex> vertices;
    for (const auto& v : e.vertices) {
      if ((v.flags & kSplineFrame) != 0) continue;
      vertices.push_back({{v.point.x, v.point.y}, is3D ? 0.0 : v.bulge});
    }
    const bool closed = (e.flags & kClosed) != 0;
    const Affine toPlan = is3D ? world : Compose(world, OcsPlan(normal, e.elevation));
    AddStroke(BulgeChain(vertices, closed), closed && vertices.size() > 1, toPlan, style);
  }

  void DrawData(const dxf::Text& e, const TAcadPoint& normal, const Affine& world, const Inherited&,
                const Resolved& style, int) {
    if (Full() || e.text.empty() || !(e.height > 0) || !std::isfinite(e.height)) return;
    if (!IsFinite(e.position) || !IsFinite(e.alignment) || !std::isfinite(e.rotation)) return;
    const Affine toPlan = Compose(world, OcsPlan(normal, e.position.z));
    const bool usesAlignment = e.horizontal != 0 || e.vertical != 0;
    const bool betweenPoints = e.horizontal == 3 || e.horizontal == 5;  // aligned, fit
    P2 origin{e.position.x, e.position.y};
    double angle = e.rotation * kRadPerDeg;
    double widthFactor = (e.widthFactor > 0 && std::isfinite(e.widthFactor)) ? e.widthFactor : 1.0;
    Label label;
    const double span = std::hypot(e.alignment.x - e.position.x, e.alignment.y - e.position.y);
    if (betweenPoints && span > 0) {
      angle = std::atan2(e.alignment.y - e.position.y, e.alignment.x - e.position.x);
      widthFactor = 1.0;
      label.fitLength = span;
    } else if (usesAlignment && !betweenPoints) {
      origin = {e.alignment.x, e.alignment.y};
    }
    // Glyph space: x along the baseline, y down the page, in drawing units.
    const Affine local = Compose(Translation(origin.x, origin.y),
                                 Compose(Rotation(angle), Scaling(widthFactor, -1.0)));
    label.glyphs = Compose(toPlan, local);
    label.text = CleanText(e.text, true);
    label.style = e.style;
    label.entity = entity_;
    label.fontSize = e.height / kCapHeightPerEm;
    label.aci = style.aci;
    label.anchor = (e.horizontal == 1 || e.horizontal == 4) ? "middle"
                   : e.horizontal == 2                      ? "end"
                                                            : "start";
    if (e.horizontal == 4 || e.vertical == 2) {
      label.baseline = "central";
    } else if (e.vertical == 1) {
      label.baseline = "text-after-edge";
    } else if (e.vertical == 3) {
      label.baseline = "text-before-edge";
    }
    label.corners = LabelCorners(label, e.text, e.height);
    scene_.Add(std::move(label));
  }

  // The text's estimated box in glyph space, placed in the drawing.
  static std::vector<P2> LabelCorners(const Label& label, std::string_view text, double height) {
    const double width = label.fitLength > 0 ? label.fitLength : EstimatedWidth(text, height);
    const double left = label.anchor == "middle" ? -width / 2 : label.anchor == "end" ? -width : 0;
    double top = -height * 1.2, bottom = height * 0.3;  // alphabetic baseline
    if (label.baseline == "central") {
      top = -height * 0.75, bottom = height * 0.75;
    } else if (label.baseline == "text-after-edge") {
      top = -height * 1.5, bottom = 0;
    } else if (label.baseline == "text-before-edge") {
      top = 0, bottom = height * 1.5;
    }
    std::vector<P2> corners;
    for (const P2 p :
         {P2{left, top}, P2{left + width, top}, P2{left, bottom}, P2{left + width, bottom}}) {
      corners.push_back(label.glyphs.Apply(p));
    }
    return corners;
  }

  void DrawData(const dxf::Insert& e, const TAcadPoint& normal, const Affine& world,
                const Inherited&, const Resolved& style, int depth) {
    if (depth >= kMaxInsertDepth || Full() || visits_ >= kMaxVisits) return;
    const HostBlock* block = FindBlock(document_, e.blockName);
    if (!block) return;
    const std::string key = Upper(block->name);
    if (std::find(stack_.begin(), stack_.end(), key) != stack_.end()) return;  // self-reference
    if (!IsFinite(e.position) || !IsFinite(e.scale) || !IsFinite(block->base) ||
        !std::isfinite(e.rotation)) {
      return;
    }
    // Block coordinates -> less the base point -> scaled -> turned -> at the insertion point in
    // the insert's plane -> the plan of the drawing the insert sits in.
    const Affine inBlock = Compose(Translation(e.position.x, e.position.y),
                                   Compose(Rotation(e.rotation * kRadPerDeg),
                                           Compose(Scaling(e.scale.x, e.scale.y),
                                                   Translation(-block->base.x, -block->base.y))));
    const Affine toPlan = Compose(world, Compose(OcsPlan(normal, e.position.z), inBlock));
    Inherited inner;
    inner.inBlock = true;
    inner.layer = style.layer;
    inner.byBlockAci = style.aci;
    inner.byBlockLineType = style.lineType;
    // An insert on a hidden layer hides the entities that take its layer; the others follow
    // their own layers.
    stack_.push_back(key);
    for (const auto& child : block->entities) {
      if (!style.visible && child.entity.common.layer == "0") continue;
      Draw(child.entity, toPlan, inner, depth + 1);
    }
    stack_.pop_back();
  }

  const HostDocument& document_;
  std::map<std::string, const dxf::Layer*> layers_;
  std::map<std::string, const dxf::LineType*> lineTypes_;
  std::vector<std::string> stack_;
  Scene scene_;
  size_t visits_ = 0;
  size_t entity_ = kNoEntity;
};

}  // namespace

DrawingScene BuildDrawingScene(const HostDocument& document) {
  return SceneBuilder(document).Build();
}

SceneBox SceneExtent(const DrawingScene& scene) {
  SceneBox box;
  for (const auto& s : scene.strokes) {
    for (const P2 p : s.points) box.Add(p);
  }
  for (const auto& l : scene.labels) {
    for (const P2 p : l.corners) box.Add(p);
  }
  for (const auto& m : scene.marks) box.Add(m.at);
  return box;
}

std::string DisplayText(std::string_view text, bool percentCodes) {
  return CleanText(text, percentCodes);
}

}  // namespace vorn::cad::host
