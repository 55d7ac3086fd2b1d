#include "cad/host/drawing_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <random>
#include <string_view>
#include <vector>

#include "cad/host/drawing_scene.h"
#include "dxf/number_format.h"
#include "geometry/point_ops.h"

namespace vorn::cad::host {
namespace {

constexpr int kAciForeground = 7;

// --- Writing the SVG ----------------------------------------------------------------------

using Box = SceneBox;
using Scene = DrawingScene;
using P2 = ScenePoint;
using Affine = SceneAffine;
using Stroke = SceneStroke;
using Label = SceneLabel;
using Mark = SceneMark;

// Text fit for XML character data: markup characters escaped, control characters and broken
// UTF-8 (which XML forbids and a parser would reject the whole file for) replaced.
std::string XmlText(std::string_view text, bool percentCodes) {
  const std::string clean = DisplayText(text, percentCodes);
  std::string out;
  out.reserve(clean.size());
  for (const char ch : clean) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

// The view box: the extent with a margin, never of zero size, never overflowing.
Box ViewBox(const Scene& scene, double marginFraction) {
  Box box = SceneExtent(scene);
  if (box.Empty() || !std::isfinite(box.maxX - box.minX) || !std::isfinite(box.maxY - box.minY)) {
    return Box{0, 0, 100, 100};
  }
  double size = std::max(box.maxX - box.minX, box.maxY - box.minY);
  if (!(size > 0)) size = std::max(1.0, std::fabs(box.minX) + std::fabs(box.minY)) * 1e-3;
  const double fraction = std::isfinite(marginFraction) ? std::max(0.0, marginFraction) : 0.0;
  const double margin = std::max(size * fraction, size * 1e-6);
  const Box view{box.minX - margin, box.minY - margin, box.maxX + margin, box.maxY + margin};
  if (!std::isfinite(view.maxX - view.minX) || !std::isfinite(view.maxY - view.minY)) {
    return Box{0, 0, 100, 100};
  }
  return view;
}

// Numbers in the picture: drawing units rounded to a hundredth of a pixel, which keeps the
// file small without moving anything visibly.
class NumberWriter {
 public:
  explicit NumberWriter(double unitsPerPixel)
      : quantum_(std::pow(10.0, std::floor(std::log10(unitsPerPixel / 100.0)))) {}
  std::string operator()(double v) const {
    const double rounded = std::round(v / quantum_) * quantum_;
    if (!std::isfinite(rounded) || !(quantum_ > 0)) return FormatGeneral(v);
    return FormatGeneral(rounded == 0 ? 0.0 : rounded);
  }

 private:
  double quantum_;
};

std::string Attr(std::string_view name, std::string_view value) {
  return std::string(" ") + std::string(name) + "=\"" + std::string(value) + "\"";
}

class SvgWriter {
 public:
  SvgWriter(const SvgOptions& options, const Box& view)
      : options_(options),
        view_(view),
        widthPx_(options.widthPx > 0 ? std::min(options.widthPx, 1'000'000) : SvgOptions{}.widthPx),
        pixelsPerUnit_(widthPx_ / (view.maxX - view.minX)),
        number_(1.0 / pixelsPerUnit_) {}

  std::string Write(const Scene& scene) {
    Header();
    for (const auto& [kind, index] : scene.order) {
      switch (kind) {
        case Scene::Kind::kStroke:
          Emit(scene.strokes[index]);
          break;
        case Scene::Kind::kLabel:
          Emit(scene.labels[index]);
          break;
        case Scene::Kind::kMark:
          Emit(scene.marks[index]);
          break;
      }
    }
    out_ += "</g>\n</svg>\n";
    return std::move(out_);
  }

 private:
  double StrokePx() const {
    return (options_.strokeWidthPx > 0 && std::isfinite(options_.strokeWidthPx))
               ? options_.strokeWidthPx
               : 1.0;
  }

  void Header() {
    const double w = view_.maxX - view_.minX, h = view_.maxY - view_.minY;
    const int heightPx = static_cast<int>(std::clamp(std::round(widthPx_ * h / w), 1.0, 1e6));
    out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\"" + Attr("width", std::to_string(widthPx_)) +
            Attr("height", std::to_string(heightPx)) +
            // The drawing's y axis points up: the group below flips it, so the view box
            // spans -maxY .. -minY.
            Attr("viewBox", number_(view_.minX) + " " + number_(-view_.maxY) + " " + number_(w) +
                                " " + number_(h)) +
            ">\n";
    if (!options_.title.empty()) {
      out_ += "<title>" + XmlText(options_.title, false) + "</title>\n";
    }
    out_ += "<rect" + Attr("x", number_(view_.minX)) + Attr("y", number_(-view_.maxY)) +
            Attr("width", number_(w)) + Attr("height", number_(h)) + Attr("fill", "#ffffff") +
            "/>\n";
    // Line widths are given in drawing units worth StrokePx at the picture's own size, which
    // every renderer draws alike. Renderers that know non-scaling strokes keep solid lines at
    // that pixel width when zoomed; it is offered only through this feature query, because a
    // renderer that ignores the effect would draw a pixel width as drawing units, invisibly thin.
    out_ +=
        "<style>@supports (vector-effect: non-scaling-stroke) { .solid { vector-effect: "
        "non-scaling-stroke; stroke-width: " +
        FormatGeneral(StrokePx()) + "px } }</style>\n";
    out_ +=
        "<g transform=\"scale(1,-1)\" fill=\"none\" stroke-linecap=\"round\""
        " stroke-linejoin=\"round\"" +
        Attr("stroke-width", number_(StrokePx() / pixelsPerUnit_)) +
        " font-family=\"sans-serif\">\n";
  }

  void Emit(const Stroke& s) {
    std::string d = "M" + number_(s.points.front().x) + " " + number_(s.points.front().y);
    for (size_t i = 1; i < s.points.size(); ++i) {
      d += i == 1 ? " L" : " ";
      d += number_(s.points[i].x) + " " + number_(s.points[i].y);
    }
    if (s.closed) d += " Z";
    if (s.points.size() == 1) d += " L" + number_(s.points[0].x) + " " + number_(s.points[0].y);
    out_ += "<path" + Attr("d", d) + Attr("stroke", SvgColour(s.aci)) + DashAttributes(s) + "/>\n";
  }

  // Dashed lines stay out of the non-scaling class: how that effect applies to dash lengths
  // is left open by SVG and renderers disagree, so their dashes and gaps are in drawing units,
  // which every renderer scales alike.
  std::string DashAttributes(const Stroke& s) {
    const std::vector<double> dashes =
        s.lineType ? SvgDashArray(*s.lineType, pixelsPerUnit_, options_) : std::vector<double>{};
    if (dashes.empty()) return Attr("class", "solid");
    std::string list;
    // Appended piece by piece: prepending a literal to a temporary string makes GCC 12's
    // optimiser report a false overlap (-Wrestrict) inside std::string.
    for (const double v : dashes) {
      if (!list.empty()) list += ',';
      list += number_(v);
    }
    return Attr("stroke-dasharray", list);
  }

  void Emit(const Label& l) {
    const Affine& m = l.glyphs;
    // Turning by a right angle leaves cosines like 6e-17: written as the 0 they stand for.
    const double size = std::max({std::fabs(m.a), std::fabs(m.b), std::fabs(m.c), std::fabs(m.d)});
    const auto coefficient = [size](double v) {
      return FormatGeneral(std::fabs(v) <= size * 1e-12 ? 0.0 : v);
    };
    std::string attrs = Attr("transform", "matrix(" + coefficient(m.a) + " " + coefficient(m.b) +
                                              " " + coefficient(m.c) + " " + coefficient(m.d) +
                                              " " + number_(m.e) + " " + number_(m.f) + ")");
    attrs += Attr("font-size", number_(l.fontSize)) + Attr("fill", SvgColour(l.aci)) +
             Attr("stroke", "none");
    if (l.anchor != "start") attrs += Attr("text-anchor", l.anchor);
    if (!l.baseline.empty()) attrs += Attr("dominant-baseline", l.baseline);
    if (l.fitLength > 0) {
      attrs += Attr("textLength", number_(l.fitLength)) + Attr("lengthAdjust", "spacingAndGlyphs");
    }
    out_ += "<text" + attrs + ">" + XmlText(l.text, false) + "</text>\n";
  }

  // A cross of a fixed size on screen.
  void Emit(const Mark& m) {
    const double r = std::max(0.5, options_.pointSizePx) / 2 / pixelsPerUnit_;
    const std::string d = "M" + number_(m.at.x - r) + " " + number_(m.at.y) + " L" +
                          number_(m.at.x + r) + " " + number_(m.at.y) + " M" + number_(m.at.x) +
                          " " + number_(m.at.y - r) + " L" + number_(m.at.x) + " " +
                          number_(m.at.y + r);
    out_ +=
        "<path" + Attr("d", d) + Attr("stroke", SvgColour(m.aci)) + Attr("class", "solid") + "/>\n";
  }

  const SvgOptions& options_;
  Box view_;
  int widthPx_;
  double pixelsPerUnit_;
  NumberWriter number_;
  std::string out_;
};

// Dashes and gaps as SVG wants them: alternating, starting with a dash, an even count.
std::vector<double> AlternatingPattern(const std::vector<double>& elements) {
  // Leading gaps move to the end: only the pattern's phase changes.
  const auto firstDash =
      std::find_if(elements.begin(), elements.end(), [](double v) { return v >= 0; });
  std::vector<double> ordered(firstDash, elements.end());
  ordered.insert(ordered.end(), elements.begin(), firstDash);
  std::vector<double> runs;  // dash, gap, dash, gap ... as lengths
  for (const double v : ordered) {
    if (!std::isfinite(v)) return {};
    const bool isDash = v >= 0;
    const bool lastIsDash = runs.size() % 2 == 1;
    if (!runs.empty() && isDash == lastIsDash) {
      runs.back() += std::fabs(v);  // two dashes or two gaps in a row are one
    } else if (!runs.empty() || isDash) {
      runs.push_back(std::fabs(v));
    }
  }
  if (runs.size() % 2 == 1 && runs.size() > 1) {
    runs.front() += runs.back();  // a closing dash runs on into the first one
    runs.pop_back();
  }
  if (runs.size() < 2) return {};
  return runs;
}

}  // namespace

RgbColour AciColour(int index) {
  static constexpr std::array<RgbColour, 10> kBasic{{{255, 255, 255},
                                                     {255, 0, 0},
                                                     {255, 255, 0},
                                                     {0, 255, 0},
                                                     {0, 255, 255},
                                                     {0, 0, 255},
                                                     {255, 0, 255},
                                                     {255, 255, 255},
                                                     {128, 128, 128},
                                                     {192, 192, 192}}};
  static constexpr std::array<uint8_t, 6> kGreys{51, 80, 105, 130, 190, 255};
  if (index < 1 || index > 255) return kBasic[kAciForeground];
  if (index < 10) return kBasic[static_cast<size_t>(index)];
  if (index >= 250) return {kGreys[index - 250], kGreys[index - 250], kGreys[index - 250]};
  // 10-249: 24 hues 15 degrees apart; the last digit picks the value (even) or the same value
  // mixed halfway to grey (odd).
  static constexpr std::array<int, 5> kValues{255, 204, 153, 127, 76};
  const int hueStep = index / 10 - 1;  // 0..23, in 15 degree steps
  const int shade = index % 10;
  const int value = kValues[static_cast<size_t>(shade / 2)];
  const int low = (shade % 2 == 1) ? value / 2 : 0;
  // Each 60 degree sector holds four steps; the changing channel moves a quarter per step.
  const int sector = hueStep / 4, quarter = hueStep % 4;
  const auto level = [&](int quarters) { return low + (value - low) * quarters / 4; };
  const int up = level(quarter), down = level(4 - quarter);
  int r = 0, g = 0, b = 0;
  switch (sector) {
    case 0:
      r = value, g = up, b = low;
      break;
    case 1:
      r = down, g = value, b = low;
      break;
    case 2:
      r = low, g = value, b = up;
      break;
    case 3:
      r = low, g = down, b = value;
      break;
    case 4:
      r = up, g = low, b = value;
      break;
    default:
      r = value, g = low, b = down;
      break;
  }
  return {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
}

std::string SvgColour(int aci) {
  const RgbColour c =
      (aci == kAciForeground || aci < 1 || aci > 255) ? RgbColour{0, 0, 0} : AciColour(aci);
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

std::vector<double> SvgDashArray(const dxf::LineType& lineType, double pixelsPerUnit,
                                 const SvgOptions& options) {
  std::vector<double> runs = AlternatingPattern(lineType.elements);
  if (runs.empty() || !(pixelsPerUnit > 0) || !std::isfinite(pixelsPerUnit)) return {};
  const double ltScale =
      (options.ltScale > 0 && std::isfinite(options.ltScale)) ? options.ltScale : 1.0;
  double total = 0.0, shortest = std::numeric_limits<double>::infinity();
  for (double& v : runs) {
    v *= ltScale;
    total += v;
    if (v > 0) shortest = std::min(shortest, v);
  }
  if (!(total > 0) || !std::isfinite(total)) return {};
  // A dot is a dash of no length; with round caps it shows as a dot of the line's width.
  // Patterns made for paper (HIDDEN2 is a few millimetres long) vanish on a picture of a whole
  // site, where a millimetre is a small fraction of a pixel: such a pattern is enlarged as a
  // whole until its shortest dash or gap reaches the minimum on screen.
  const double minUnits = std::max(0.0, options.minDashPx) / pixelsPerUnit;
  if (shortest < minUnits) {
    const double factor = minUnits / shortest;
    for (double& v : runs) v *= factor;
  }
  return runs;
}

std::string RenderSvg(const HostDocument& document, const SvgOptions& options) {
  const Scene scene = BuildDrawingScene(document);
  const Box view = ViewBox(scene, options.marginFraction);
  return SvgWriter(options, view).Write(scene);
}

void SaveSvg(const HostDocument& document, const SvgOptions& options,
             const std::filesystem::path& path) {
  const std::string text = RenderSvg(document, options);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw SvgSaveError("cannot save the picture over the folder " + path.string());
  }
  std::random_device seed;
  std::filesystem::path temporary = path;
  temporary += ".vorn-" + std::to_string(seed()) + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ec);
      throw SvgSaveError("cannot write the picture " + temporary.string());
    }
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw SvgSaveError("cannot replace " + path.string() + ": " + ec.message());
  }
}

}  // namespace vorn::cad::host
