// Buildings for the benchmarks, made of plain edges as the building pick leaves them.
#pragma once

#include <vector>

#include "geometry/records.h"

namespace vorn {

// A prism standing on z = 0: the floor and roof edges of every side and a vertical edge at
// every corner.
inline void AddPrism(LineList& edges, const std::vector<TAcadPoint>& corners, double height) {
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const TAcadPoint& a = corners[i];
    const TAcadPoint& b = corners[(i + 1) % corners.size()];
    for (double z : {0.0, height}) {
      TLineEnt e;
      e.st = {a.x, a.y, z};
      e.ed = {b.x, b.y, z};
      edges.push_back(e);
    }
    TLineEnt v;
    v.st = {a.x, a.y, 0};
    v.ed = {a.x, a.y, height};
    edges.push_back(v);
  }
}

}  // namespace vorn
