// The host's drawing as plan-view picture elements in drawing units: strokes with their ACI
// colour and line type, texts and point marks, every block reference resolved. The SVG picture
// and the drawing window both paint from it, and the window hit-tests against it.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/host/host_document.h"

namespace vorn::cad::host {

// Nests deeper than this are not followed, so that blocks that insert themselves (directly or
// through others) end instead of recursing for ever.
inline constexpr int kMaxInsertDepth = 16;

struct ScenePoint {
  double x = 0.0, y = 0.0;
};

// Plan affine map: x' = a x + c y + e, y' = b x + d y + f.
struct SceneAffine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  ScenePoint Apply(ScenePoint p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
  ScenePoint Linear(ScenePoint v) const { return {a * v.x + c * v.y, b * v.x + d * v.y}; }
};

// Which model-space entity (index into HostDocument::modelSpace) an element was drawn for;
// everything a block reference brings belongs to the reference.
inline constexpr size_t kNoEntity = std::numeric_limits<size_t>::max();

struct SceneStroke {
  std::vector<ScenePoint> points;
  bool closed = false;
  int aci = 7;
  const dxf::LineType* lineType = nullptr;  // into the document; null: solid
  size_t entity = kNoEntity;
};

struct SceneLabel {
  std::string text;        // UTF-8 as shown: %% codes replaced, broken bytes replaced
  SceneAffine glyphs;      // glyph space (y down, one unit = one drawing unit) to drawing
  double fontSize = 0.0;   // em size in drawing units
  std::string anchor;      // "start", "middle" or "end" of the baseline
  std::string baseline;    // "", "central", "text-after-edge" or "text-before-edge"
  double fitLength = 0.0;  // the length aligned and fitted texts are stretched to; 0 for none
  int aci = 7;
  std::string style;                // the text style's name
  std::vector<ScenePoint> corners;  // estimated extent
  size_t entity = kNoEntity;
};

struct SceneMark {
  ScenePoint at;
  int aci = 7;
  size_t entity = kNoEntity;
};

struct DrawingScene {
  enum class Kind { kStroke, kLabel, kMark };
  std::vector<SceneStroke> strokes;
  std::vector<SceneLabel> labels;
  std::vector<SceneMark> marks;
  std::vector<std::pair<Kind, size_t>> order;  // drawing order across the kinds

  size_t Size() const { return order.size(); }
  void Add(SceneStroke s) {
    order.emplace_back(Kind::kStroke, strokes.size());
    strokes.push_back(std::move(s));
  }
  void Add(SceneLabel l) {
    order.emplace_back(Kind::kLabel, labels.size());
    labels.push_back(std::move(l));
  }
  void Add(SceneMark m) {
    order.emplace_back(Kind::kMark, marks.size());
    marks.push_back(m);
  }
};

struct SceneBox {
  double minX = std::numeric_limits<double>::infinity();
  double minY = std::numeric_limits<double>::infinity();
  double maxX = -std::numeric_limits<double>::infinity();
  double maxY = -std::numeric_limits<double>::infinity();

  void Add(ScenePoint p) {
    minX = p.x < minX ? p.x : minX, maxX = p.x > maxX ? p.x : maxX;
    minY = p.y < minY ? p.y : minY, maxY = p.y > maxY ? p.y : maxY;
  }
  bool Empty() const { return !(minX <= maxX); }
};

// Layers that are off or frozen are left out. Valid while the document is unchanged (strokes
// point at its line types).
DrawingScene BuildDrawingScene(const HostDocument& document);

// Everything the scene draws; empty for an empty scene.
SceneBox SceneExtent(const DrawingScene& scene);

// A text as a person reads it: the CAD's %% symbol codes replaced (when asked), bytes that are
// not UTF-8 replaced by U+FFFD, control characters by blanks.
std::string DisplayText(std::string_view text, bool percentCodes = true);

}  // namespace vorn::cad::host
