// Geometry of the host's entities: placing a block's entities with an insertion's point, scale
// and rotation, dissolving block references and polylines, and the plan outline used by
// window and crossing selection.
#pragma once

#include <vector>

#include "dxf/dxf_drawing.h"
#include "geometry/records.h"

namespace vorn::cad::host {

// base -> scaled by `scale` -> turned by `rotation` (radians) about the world z axis -> moved
// to `position`. Only positive uniform scales: they keep every entity's kind and orientation.
struct Placement {
  TAcadPoint base;
  TAcadPoint position;
  double scale = 1.0;
  double rotation = 0.0;

  TAcadPoint Apply(const TAcadPoint& p) const;
  TAcadPoint Turn(const TAcadPoint& v) const;  // directions: rotation only
};

dxf::Entity PlaceEntity(const dxf::Entity& entity, const Placement& placement);

// The entities a polyline dissolves into (lines and arcs); empty for other kinds.
std::vector<dxf::Entity> ExplodePolyline(const dxf::Entity& entity);

// The plan outline as a chain of points (pairs of consecutive points are segments); arcs and
// circles are divided finely. Block references are not handled here.
std::vector<TAcadPoint> PlanOutline(const dxf::Entity& entity);

// The DXF arbitrary-axis algorithm.
TAcadPoint OcsToWorld(const TAcadPoint& p, const TAcadPoint& normal);
TAcadPoint WorldToOcs(const TAcadPoint& p, const TAcadPoint& normal);

// Rectangle tests in plan: every point inside (window), or inside or crossing (crossing).
bool OutlineInsideWindow(const std::vector<TAcadPoint>& outline, const TAcadPoint& c1,
                         const TAcadPoint& c2);
bool OutlineCrossesWindow(const std::vector<TAcadPoint>& outline, const TAcadPoint& c1,
                          const TAcadPoint& c2);

}  // namespace vorn::cad::host
