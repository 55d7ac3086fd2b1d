// Buildings made of prisms for the sky tests, and the sky factor computed independently from
// first principles: for every plan direction from the point the highest elevation at which a
// ray still meets a building, and the covered part of the unit disc under orthographic
// projection, ½·sin²h per unit of azimuth.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/records.h"

namespace vorn::testing {

struct Plan {
  double x, y;
};

// The wire frame of a prism standing on the ground: footprint, roof and the vertical edges,
// as acquisition makes it of a thick closed polyline.
inline LineList Prism(const std::vector<Plan>& footprint, double height) {
  LineList edges;
  const std::size_t n = footprint.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Plan a = footprint[i];
    const Plan b = footprint[(i + 1) % n];
    TLineEnt bottom;
    bottom.st = {a.x, a.y, 0.0};
    bottom.ed = {b.x, b.y, 0.0};
    TLineEnt top = bottom;
    top.st.z = height;
    top.ed.z = height;
    TLineEnt side;
    side.st = bottom.st;
    side.ed = top.st;
    edges.push_back(bottom);
    edges.push_back(top);
    edges.push_back(side);
  }
  return edges;
}

struct Box {
  double x0, y0, x1, y1, height;
};

inline LineList BoxEdges(const Box& b) {
  return Prism({{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, b.y1}, {b.x0, b.y1}}, b.height);
}

// Plan distance along the ray from (px, py) in direction (dx, dy) to the box's footprint, or a
// negative value when the ray misses it (slab method).
inline double RayToBox(double px, double py, double dx, double dy, const Box& b) {
  double tmin = 0.0;
  double tmax = 1e300;
  const double lo[2] = {b.x0, b.y0};
  const double hi[2] = {b.x1, b.y1};
  const double p[2] = {px, py};
  const double d[2] = {dx, dy};
  for (int k = 0; k < 2; ++k) {
    if (std::fabs(d[k]) < 1e-15) {
      if (p[k] < lo[k] || p[k] > hi[k]) return -1.0;
      continue;
    }
    double t1 = (lo[k] - p[k]) / d[k];
    double t2 = (hi[k] - p[k]) / d[k];
    if (t1 > t2) std::swap(t1, t2);
    tmin = std::max(tmin, t1);
    tmax = std::min(tmax, t2);
    if (tmin > tmax) return -1.0;
  }
  return tmin;
}

// The exact sky factor in percent at (px, py) over a plane at height e, by midpoint integration
// over `steps` azimuths.
inline double ExactSkyFactor(const std::vector<Box>& boxes, double px, double py, double e,
                             int steps = 1 << 18) {
  const double pi = 3.14159265358979323846;
  double covered = 0.0;
  for (int i = 0; i < steps; ++i) {
    const double phi = (i + 0.5) * 2 * pi / steps;
    const double dx = std::cos(phi);
    const double dy = std::sin(phi);
    double best = 0.0;
    for (const Box& b : boxes) {
      if (b.height <= e) continue;
      const double t = RayToBox(px, py, dx, dy, b);
      if (t < 0) continue;
      const double h = t > 0 ? std::atan((b.height - e) / t) : pi / 2;
      best = std::max(best, h);
    }
    covered += 0.5 * std::sin(best) * std::sin(best);
  }
  covered *= 2 * pi / steps;
  return (1.0 - covered / pi) * 100.0;
}

}  // namespace vorn::testing
