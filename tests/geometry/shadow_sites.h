// Buildings for the kernel's tests: prisms as acquisition makes their wire frames, and the
// sites of the union oracle.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "geometry/point_ops.h"
#include "geometry/records.h"

namespace vorn {

struct Footprint {
  std::vector<std::pair<double, double>> corners;  // counter-clockwise
  double height;                                   // mm
};

// The wire frame of a prism as acquisition makes it: bottom, top and vertical edges.
inline void AddPrism(LineList& edges, const Footprint& f) {
  const std::size_t n = f.corners.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto [x1, y1] = f.corners[i];
    const auto [x2, y2] = f.corners[(i + 1) % n];
    for (double z : {0.0, f.height}) {
      TLineEnt e;
      e.st = {x1, y1, z};
      e.ed = {x2, y2, z};
      edges.push_back(e);
    }
    TLineEnt v;
    v.st = {x1, y1, 0};
    v.ed = {x1, y1, f.height};
    edges.push_back(v);
  }
}

inline Footprint Box(double x, double y, double w, double d, double height) {
  return {{{x, y}, {x + w, y}, {x + w, y + d}, {x, y + d}}, height};
}

inline Footprint RegularPolygon(double cx, double cy, double r, int sides, double height) {
  Footprint f{{}, height};
  for (int i = 0; i < sides; ++i) {
    const double a = 2 * kPi * i / sides + 0.1;
    f.corners.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
  }
  return f;
}

struct Site {
  std::string name;
  std::vector<Footprint> parts;
};

inline std::vector<Site> Sites() {
  return {
      {"box", {Box(0, 0, 12000, 8000, 15000)}},
      {"L-shape",
       {{{{0, 0}, {20000, 0}, {20000, 6000}, {7000, 6000}, {7000, 18000}, {0, 18000}}, 12000}}},
      {"tower on a podium", {Box(0, 0, 30000, 15000, 7000), Box(5000, 3000, 10000, 8000, 45000)}},
      {"many edges", {RegularPolygon(0, 0, 9000, 36, 20000)}},
      {"separate wings", {Box(0, 0, 8000, 8000, 10000), Box(80000, -30000, 6000, 9000, 9000)}},
      {"touching parts", {Box(0, 0, 10000, 10000, 12000), Box(10000, 0, 10000, 6000, 20000)}},
      {"rotated block", {{{{0, 0}, {17320.5, 10000}, {12320.5, 18660.3}, {-5000, 8660.3}}, 25000}}},
  };
}

}  // namespace vorn
