#include "shadows/deemed_boundary.h"

#include <cmath>

#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"

namespace vorn {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// The turn from one outline segment's course to the next, in (-pi, pi].
double CourseTurn(const TLineEnt& a, const TLineEnt& b) {
  double turn = PointAngle(b.st, b.ed) - PointAngle(a.st, a.ed);
  while (turn > kPi) turn -= 2 * kPi;
  while (turn <= -kPi) turn += 2 * kPi;
  return turn;
}

// tan(delta / 4) of the counter-clockwise sweep from start to end (degrees).
double ArcBulge(const TArcEnt& arc) {
  double delta = arc.eddeg - arc.stdeg;
  if (delta < 0.0) delta += 360.0;
  return std::tan(delta * kPi / 180.0 / 4.0);
}

}  // namespace

std::vector<DxfVertex> OffsetOutline(const LineList& outline, double d, std::vector<TArcEnt>& arcs,
                                     LineList& offsets) {
  const std::size_t n = outline.size();
  offsets.clear();
  for (const TLineEnt& s : outline) {
    const double a = PointAngle(s.ed, s.st) + kPi / 2;  // to the right of the course: outward
    TLineEnt o;
    o.st = PolarPoint(s.st, a, d);
    o.ed = PolarPoint(s.ed, a, d);
    offsets.push_back(o);
  }
  if (n == 0) return {};
  offsets.push_back(offsets.front());

  for (std::size_t k = 0; k < n; ++k) {
    TLineEnt& here = offsets[k];
    TLineEnt& next = offsets[k + 1];
    TAcadPoint crossing;
    // A straight corner (collinear pieces of one side) would otherwise become an arc whose
    // sweep, a rounding error below zero, is taken as almost a full circle.
    if (std::fabs(CourseTurn(outline[k], outline[(k + 1) % n])) < kSamePointTol) {
      next.st = here.ed;
      here.id = 0;
    } else if (CrossPoint(here.st, here.ed, next.st, next.ed, true, crossing)) {
      here.ed = crossing;
      next.st = crossing;
      here.id = 0;
    } else {
      TArcEnt arc;
      arc.center = outline[k].ed;
      arc.hankei = d;
      arc.stdeg = PointAngle(arc.center, here.ed) * kRadToDeg;
      arc.eddeg = PointAngle(arc.center, next.st) * kRadToDeg;
      arcs.push_back(arc);
      here.id = static_cast<int32_t>(arcs.size());
    }
  }

  std::vector<DxfVertex> vertices;
  for (std::size_t k = 0; k < n; ++k) {
    const TLineEnt& here = offsets[k];
    if (here.id == 0) {
      vertices.push_back({here.ed.x, here.ed.y, std::nullopt});
      continue;
    }
    vertices.push_back({here.ed.x, here.ed.y, ArcBulge(arcs[here.id - 1])});
    vertices.push_back({offsets[k + 1].st.x, offsets[k + 1].st.y, std::nullopt});
  }
  return vertices;
}

BoundaryResult MakeKyoukaisen(Workspace& ws, DxfDocument& doc) {
  if (ws.AryLine.size() <= 2) return BoundaryResult::kTooFewSegments;
  ws.AryArc.clear();
  ws.AryArc.reserve(100);
  const bool traced = PrepareSegments(ws) && TraceNextOutline(ws) && ws.AryLine.size() >= 3;
  BoundaryResult result = BoundaryResult::kTraceFailed;
  if (traced) {
    const LineList outline = ws.AryLine;
    for (int j = 1; j <= 2; ++j) {
      const std::vector<DxfVertex> vertices =
          OffsetOutline(outline, j * kBoundaryStep, ws.AryArc, ws.AryKeep);
      AddDxfPolyline(doc, kBoundaryLayer, vertices, true);
      ws.AryLwpEle.clear();
    }
    result = BoundaryResult::kDrawn;
  }
  ws.AryArc.clear();
  ws.AryKeep.clear();
  ws.AryLine.clear();
  return result;
}

}  // namespace vorn
