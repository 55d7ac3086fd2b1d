#include "acquisition/wireframe_preview.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/point_ops.h"

namespace vorn {

namespace {

TLineEnt Edge(int32_t kind, const TAcadPoint& st, const TAcadPoint& ed) {
  TLineEnt e;
  e.id = kind;
  e.st = st;
  e.ed = ed;
  return e;
}

TAcadPoint Grounded(TAcadPoint p) {
  p.z = 0.0;
  return p;
}

// The angle is formed in single precision, as the preview always has.
double SingleRadians(double degrees) {
  return static_cast<double>(static_cast<float>(degrees) * static_cast<float>(kPi / 180.0));
}

TAcadPoint Project(const TAcadPoint& p, double h, double sinV, double cosV) {
  const double r = std::sqrt(p.x * p.x + p.y * p.y);
  // The point's own direction from the origin (atan2), so that points left of the y axis keep
  // their side instead of being mirrored through the origin.
  const double a = (std::fabs(p.x) > 1e-5 ? std::atan2(p.y, p.x) : std::copysign(kPi / 2, p.y)) - h;
  return {r * std::cos(a), r * std::sin(a) * cosV + p.z * sinV, 0.0};
}

}  // namespace

uint32_t PreviewColour(int32_t kind) {
  switch (kind) {
    case kPreviewFootprint:
      return 0xC0C0C0;
    case kPreviewPlumb:
      return 0x808080;
    default:
      return 0xFF0000;
  }
}

int PreviewCadColour(int32_t kind) {
  switch (kind) {
    case kPreviewFootprint:
      return 9;
    case kPreviewPlumb:
      return 8;
    default:
      return 1;
  }
}

std::vector<TLineEnt> PreviewEdges(const LineList& building, bool footprint) {
  std::vector<TLineEnt> edges;
  edges.reserve(building.size() * (footprint ? 4 : 1));
  for (const TLineEnt& e : building) edges.push_back(Edge(kPreviewBuilding, e.st, e.ed));
  if (!footprint) return edges;
  for (const TLineEnt& e : building) {
    edges.push_back(Edge(kPreviewFootprint, Grounded(e.st), Grounded(e.ed)));
  }
  for (const TLineEnt& e : building) {
    if (e.st.z > 0.0) edges.push_back(Edge(kPreviewPlumb, e.st, Grounded(e.st)));
    if (e.ed.z > 0.0) edges.push_back(Edge(kPreviewPlumb, e.ed, Grounded(e.ed)));
  }
  return edges;
}

std::vector<TLineEnt> ProjectPreview(const std::vector<TLineEnt>& edges, int hdeg, int vdeg) {
  const double v = SingleRadians(vdeg);
  const double h = SingleRadians(360 - hdeg);
  const double sinV = std::sin(v), cosV = std::cos(v);
  std::vector<TLineEnt> projected;
  projected.reserve(edges.size());
  for (const TLineEnt& e : edges) {
    projected.push_back(Edge(e.id, Project(e.st, h, sinV, cosV), Project(e.ed, h, sinV, cosV)));
  }
  return projected;
}

PreviewBounds ProjectedBounds(const std::vector<TLineEnt>& projected) {
  PreviewBounds b;
  bool first = true;
  for (const TLineEnt& e : projected) {
    for (const TAcadPoint& p : {e.st, e.ed}) {
      if (first) {
        b = {p.x, p.y, p.x, p.y};
        first = false;
      }
      b.xmin = std::min(b.xmin, p.x);
      b.ymin = std::min(b.ymin, p.y);
      b.xmax = std::max(b.xmax, p.x);
      b.ymax = std::max(b.ymax, p.y);
    }
  }
  return b;
}

void DrawPixelLine(RgbPicture& picture, int x1, int y1, int x2, int y2, uint32_t colour) {
  const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  // Bounded by the longer side, however far outside the picture the ends lie.
  for (long steps = static_cast<long>(dx) - dy; steps >= 0; --steps) {
    if (x1 >= 0 && y1 >= 0 && x1 < picture.width && y1 < picture.height) {
      picture.pixels[static_cast<std::size_t>(y1) * picture.width + x1] = colour;
    }
    if (x1 == x2 && y1 == y2) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x1 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y1 += sy;
    }
  }
}

void PaintPreview(const std::vector<TLineEnt>& projected, const PreviewBounds& bounds,
                  double& scale, RgbPicture& picture) {
  if (projected.empty()) return;
  picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height,
                        kPreviewBackground);
  if (scale == 0.0) {
    scale = std::fabs(1.2 * std::max(bounds.xmax - bounds.xmin, bounds.ymax - bounds.ymin) /
                      picture.width);
  }
  if (!(scale > 0.0) || !std::isfinite(scale)) return;  // nothing to fit
  const double xcen = (bounds.xmin + bounds.xmax) / 2, ycen = (bounds.ymin + bounds.ymax) / 2;
  const double half = picture.width / 2.0;
  // Far outside the picture a coordinate would not fit an int; such lines are not drawn.
  const double limit = 1e6;
  const auto pixel = [&](double value, double centre) {
    return std::clamp((value - centre) / scale + half, -limit, limit);
  };
  for (const TLineEnt& e : projected) {
    const int x1 = static_cast<int>(RoundOff(pixel(e.st.x, xcen)));
    const int y1 = picture.height - static_cast<int>(RoundOff(pixel(e.st.y, ycen)));
    const int x2 = static_cast<int>(RoundOff(pixel(e.ed.x, xcen)));
    const int y2 = picture.height - static_cast<int>(RoundOff(pixel(e.ed.y, ycen)));
    DrawPixelLine(picture, x1, y1, x2, y2, PreviewColour(e.id));
  }
}

}  // namespace vorn
