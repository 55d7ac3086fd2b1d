// The traced shadow outlines against an independent polygon union: for each time, the
// regions traced one by one must cover exactly the union of the edges' shadow quadrilaterals
// computed from an independently placed sun, exactly by slabs and region by region by
// shapely.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"
#include "geometry/shadow_sites.h"
#include "python_checks.h"
#include "test_files.h"

namespace vorn {
namespace {

constexpr double kDeg = kPi / 180.0;

// Shadow of a point from the textbook sun: azimuth from due south, west positive; in a
// drawing whose true north is northDeg from +x.
TAcadPoint TextbookShadow(const TAcadPoint& p, double h, double latDeg, double decl, double t,
                          double northDeg) {
  if (p.z <= h) return {p.x, p.y, 0};
  const double phi = latDeg * kDeg;
  const double hour = (t - 12) * 15 * kDeg;
  const double altitude =
      std::asin(std::sin(phi) * std::sin(decl) + std::cos(phi) * std::cos(decl) * std::cos(hour));
  const double azimuth =
      std::atan2(std::sin(hour) * std::cos(decl),
                 std::sin(phi) * std::cos(decl) * std::cos(hour) - std::cos(phi) * std::sin(decl));
  // Away from the sun in a north-up frame, then turned so that north points at northDeg.
  const double east = std::sin(azimuth);
  const double north = std::cos(azimuth);
  const double turn = (northDeg - 90) * kDeg;
  const double dx = east * std::cos(turn) - north * std::sin(turn);
  const double dy = east * std::sin(turn) + north * std::cos(turn);
  const double length = (p.z - h) / std::tan(altitude);
  return {p.x + dx * length, p.y + dy * length, 0};
}

using Ring = std::vector<TAcadPoint>;

// The shadow quadrilateral of every edge that rises above the plane, from the textbook sun,
// and the footprints, which the traced outline encloses whether or not a shadow covers them.
std::vector<Ring> ShadowPieces(const Site& site, const LineList& edges, double h, double latDeg,
                               double decl, double t, double northDeg) {
  std::vector<Ring> pieces;
  for (const TLineEnt& e : edges) {
    const TAcadPoint s1 = TextbookShadow(e.st, h, latDeg, decl, t, northDeg);
    const TAcadPoint s2 = TextbookShadow(e.ed, h, latDeg, decl, t, northDeg);
    Ring quad = {{e.st.x, e.st.y, 0}, {e.ed.x, e.ed.y, 0}, s2, s1};
    double twice = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      twice += quad[i].x * quad[(i + 1) % 4].y - quad[(i + 1) % 4].x * quad[i].y;
    }
    if (std::fabs(twice) > 2.0) pieces.push_back(quad);  // else an edge at or below the plane
  }
  for (const Footprint& f : site.parts) {
    Ring ring;
    for (const auto& [x, y] : f.corners) ring.push_back({x, y, 0});
    pieces.push_back(ring);
  }
  return pieces;
}

// Exact area of a union of simple polygons by vertical slabs: between consecutive x of all
// vertices and edge crossings, the covered length is linear in x, so its value at the slab's
// middle times the slab's width is the slab's area.
double UnionAreaBySlabs(const std::vector<Ring>& pieces) {
  std::vector<std::pair<TAcadPoint, TAcadPoint>> edges;
  for (const Ring& r : pieces) {
    for (std::size_t i = 0; i < r.size(); ++i) edges.emplace_back(r[i], r[(i + 1) % r.size()]);
  }
  std::vector<double> xs;
  for (const auto& [a, b] : edges) xs.push_back(a.x);
  for (std::size_t i = 0; i < edges.size(); ++i) {
    for (std::size_t j = i + 1; j < edges.size(); ++j) {
      TAcadPoint x;
      if (CrossPoint(edges[i].first, edges[i].second, edges[j].first, edges[j].second, false, x)) {
        const auto within = [&](const std::pair<TAcadPoint, TAcadPoint>& e) {
          return x.x >= std::min(e.first.x, e.second.x) && x.x <= std::max(e.first.x, e.second.x);
        };
        if (within(edges[i]) && within(edges[j])) xs.push_back(x.x);
      }
    }
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  double area = 0;
  for (std::size_t k = 0; k + 1 < xs.size(); ++k) {
    const double x = (xs[k] + xs[k + 1]) / 2;
    std::vector<std::pair<double, double>> covered;
    for (const Ring& r : pieces) {
      std::vector<double> ys;
      for (std::size_t i = 0; i < r.size(); ++i) {
        const TAcadPoint& a = r[i];
        const TAcadPoint& b = r[(i + 1) % r.size()];
        if ((a.x < x) != (b.x < x)) ys.push_back(a.y + (x - a.x) / (b.x - a.x) * (b.y - a.y));
      }
      std::sort(ys.begin(), ys.end());
      for (std::size_t i = 0; i + 1 < ys.size(); i += 2) covered.emplace_back(ys[i], ys[i + 1]);
    }
    std::sort(covered.begin(), covered.end());
    double length = 0, top = -1e300;
    for (const auto& [lo, hi] : covered) {
      if (hi <= top) continue;
      length += hi - std::max(lo, top);
      top = hi;
    }
    area += length * (xs[k + 1] - xs[k]);
  }
  return area;
}

double DistanceToSegment(const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  const double u =
      len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
  return std::hypot(p.x - (a.x + u * dx), p.y - (a.y + u * dy));
}

// A point is on the union's boundary when it lies on some piece's edge and strictly inside
// no piece.
bool OnUnionBoundary(const TAcadPoint& p, const std::vector<Ring>& pieces) {
  constexpr double kNear = 1e-6;
  bool onEdge = false;
  for (const Ring& r : pieces) {
    double nearest = 1e300;
    bool inside = false;
    for (std::size_t i = 0; i < r.size(); ++i) {
      const TAcadPoint& a = r[i];
      const TAcadPoint& b = r[(i + 1) % r.size()];
      nearest = std::min(nearest, DistanceToSegment(p, a, b));
      if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x)) {
        inside = !inside;
      }
    }
    if (nearest < kNear)
      onEdge = true;
    else if (inside)
      return false;
  }
  return onEdge;
}

// Outer-ring areas of the union's regions, largest first, one list per case, from shapely
// (GEOS) run as a separate process.
std::vector<std::vector<double>> ShapelyRegionAreas(const std::vector<std::vector<Ring>>& cases) {
  const testing::TempFolder temp;
  const std::filesystem::path& dir = temp.path();
  {
    std::ofstream in(dir / "in.txt");
    in.precision(17);
    for (const std::vector<Ring>& pieces : cases) {
      in << "case " << pieces.size() << "\n";
      for (const Ring& r : pieces) {
        for (const TAcadPoint& p : r) in << p.x << " " << p.y << " ";
        in << "\n";
      }
    }
  }
  const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR +
                              "/tests/geometry/union_regions.py < " + (dir / "in.txt").string() +
                              " > " + (dir / "out.txt").string();
  std::vector<std::vector<double>> result;
  if (std::system(command.c_str()) == 0) {
    std::ifstream out(dir / "out.txt");
    for (std::string line; std::getline(out, line);) {
      std::istringstream values(line);
      result.emplace_back(std::istream_iterator<double>(values), std::istream_iterator<double>());
    }
  }
  return result;
}

double OutlineArea(const LineList& outline) {
  double twice = 0;
  for (const TLineEnt& s : outline) twice += s.st.x * s.ed.y - s.ed.x * s.st.y;
  return twice / 2;
}

std::vector<LineList> TracedRegions(const LineList& edges, double plane, double latDeg, double decl,
                                    double t, double northDeg) {
  Workspace ws;
  SetSunState(ws.sun, decl, latDeg * kDeg, northDeg);
  const SunPos sun = GetSunPos(ws.sun, t, decl);
  EXPECT_TRUE(sun.ok);
  AppendFootprints(edges, ws.AryLine);
  for (const TLineEnt& e : edges) {
    AppendEdgeShadow(e, plane, ShadowDirection(ws.sun, sun), sun.ratio, ws.AryLine);
  }
  std::vector<LineList> outlines;
  EXPECT_TRUE(PrepareSegments(ws));
  const RegionTrace trace = TraceAllRegions(
      ws, [] { return true; }, [&](const LineList& o) { outlines.push_back(o); });
  EXPECT_FALSE(trace.traceFailed);
  return outlines;
}

TEST(ShadowOutlineUnion, RegionsCoverExactlyTheUnionOfTheShadowQuadrilaterals) {
  struct Sky {
    double latDeg;
    int season;
    double northDeg;
  };
  const Sky skies[] = {{35.68, 0, 90.0}, {43.06, 1, 72.5}, {26.2, 2, 135.0}};
  const double plane = 4000;
  std::vector<std::vector<LineList>> traced;
  std::vector<std::vector<Ring>> allPieces;
  for (const Site& site : Sites()) {
    LineList edges;
    for (const Footprint& f : site.parts) AddPrism(edges, f);
    for (const Sky& sky : skies) {
      const double decl = SeasonDeclination(sky.season);
      for (double t = 8.0; t <= 16.0; t += 1.0) {
        SCOPED_TRACE(site.name + " lat " + std::to_string(sky.latDeg) + " t " + std::to_string(t));
        const std::vector<LineList> outlines =
            TracedRegions(edges, plane, sky.latDeg, decl, t, sky.northDeg);
        const std::vector<Ring> pieces =
            ShadowPieces(site, edges, plane, sky.latDeg, decl, t, sky.northDeg);

        double tracedArea = 0;
        for (const LineList& outline : outlines) {
          const double area = OutlineArea(outline);
          EXPECT_GT(area, 0) << "outlines run counter-clockwise";
          tracedArea += area;
          for (const TLineEnt& s : outline) {
            EXPECT_TRUE(OnUnionBoundary(s.st, pieces)) << s.st.x << "," << s.st.y;
          }
        }
        const double exact = UnionAreaBySlabs(pieces);
        EXPECT_NEAR(tracedArea, exact, 1e-9 * exact);

        traced.push_back(outlines);
        allPieces.push_back(pieces);
      }
    }
  }

  // Region by region against an independent polygon library.
  VORN_SKIP_WITHOUT_PYTHON();
  const std::vector<std::vector<double>> regions = ShapelyRegionAreas(allPieces);
  ASSERT_EQ(regions.size(), traced.size()) << "shapely (python3-shapely) did not answer";
  for (std::size_t c = 0; c < traced.size(); ++c) {
    std::vector<double> areas;
    for (const LineList& outline : traced[c]) areas.push_back(OutlineArea(outline));
    std::sort(areas.rbegin(), areas.rend());
    ASSERT_EQ(areas.size(), regions[c].size()) << "case " << c;
    for (std::size_t k = 0; k < areas.size(); ++k) {
      EXPECT_NEAR(areas[k], regions[c][k], 1e-9 * regions[c][k]) << "case " << c;
    }
  }
}

}  // namespace
}  // namespace vorn
