// The traced isochrones against an oracle worked out here from first principles: the textbook
// sun position, each top edge's shadow quadrilateral in exact plan coordinates, and per test
// point the number of sampled instants at which the point lies in one of them. Each level's
// traced region (smoothing off) must classify every test point the oracle puts farther than
// two cells from its boundary the same way.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dxf/number_format.h"
#include "geometry/point_ops.h"
#include "isochrones/duration_raster.h"
#include "isochrones/isochrone_fixtures.h"
#include "isochrones/isochrone_lines.h"

namespace vorn {
namespace {

using testing::AddPrism;
using testing::Outline;
using testing::Rect;
using testing::ScriptedMonitor;

struct XY {
  double x, y;
};

struct Site {
  const char* name;
  std::vector<std::pair<Outline, double>> prisms;
  double north;
  int season;
};

constexpr double kLatitude = 35.0 + 41.0 / 60.0;
constexpr double kPlane = 4000.0;
constexpr double kStepMinutes = 5.0;
constexpr int kN = 400;

// Where the shadow of a point at height z falls at t hours, from the altitude and azimuth of
// the sun (azimuth from due south, positive toward the west), turned to the drawing's north.
XY ShadowOf(double x, double y, double z, double t, double declination, double north) {
  const double phi = kLatitude * kPi / 180, hour = (t - 12) * 15 * kPi / 180;
  const double altitude = std::asin(std::sin(phi) * std::sin(declination) +
                                    std::cos(phi) * std::cos(declination) * std::cos(hour));
  const double azimuth = std::atan2(std::sin(hour) * std::cos(declination),
                                    std::sin(phi) * std::cos(declination) * std::cos(hour) -
                                        std::cos(phi) * std::sin(declination));
  // The shadow points away from the sun: toward north-east in the afternoon.
  const double east = std::sin(azimuth), northward = std::cos(azimuth);
  const double turn = (north - 90) * kPi / 180;
  const double dx = east * std::cos(turn) - northward * std::sin(turn);
  const double dy = east * std::sin(turn) + northward * std::cos(turn);
  const double length = (z - kPlane) / std::tan(altitude);
  return {x + dx * length, y + dy * length};
}

bool InPolygon(const std::vector<XY>& poly, double x, double y) {
  bool in = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    if ((poly[i].y > y) != (poly[j].y > y) &&
        x < (poly[j].x - poly[i].x) * (y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x) {
      in = !in;
    }
  }
  return in;
}

class Oracle {
 public:
  Oracle(const Workspace& ws, const Sampling& s, double declination, double north) {
    for (int k = 1; k < s.Count(); ++k) {
      const double t = s.Instant(k);
      std::vector<std::vector<XY>> quads;
      for (const TLineEnt& e : ws.BuildingEdges) {
        if (!(e.st.z > kPlane && e.ed.z > kPlane)) continue;
        quads.push_back({{e.st.x, e.st.y},
                         {e.ed.x, e.ed.y},
                         ShadowOf(e.ed.x, e.ed.y, e.ed.z, t, declination, north),
                         ShadowOf(e.st.x, e.st.y, e.st.z, t, declination, north)});
      }
      instants_.push_back(std::move(quads));
    }
  }

  int Count(double x, double y) const {
    int count = 0;
    for (const auto& quads : instants_) {
      for (const auto& q : quads) {
        if (InPolygon(q, x, y)) {
          ++count;
          break;
        }
      }
    }
    return count;
  }

 private:
  std::vector<std::vector<std::vector<XY>>> instants_;
};

TEST(IsochroneOracle, TracedLevelsClassifyTestPointsAsTheShadowCountsDo) {
  Outline lShape = {{0, 0}, {30000, 0}, {30000, 9000}, {10000, 9000}, {10000, 25000}, {0, 25000}};
  Outline tower;  // 12 m x 20 m, turned by 30 degrees
  for (const auto& [x, y] : Rect(-6000, -10000, 12000, 20000)) {
    const double a = 30 * kPi / 180;
    tower.push_back({x * std::cos(a) - y * std::sin(a), x * std::sin(a) + y * std::cos(a)});
  }
  const std::vector<Site> sites = {
      {"box", {{Rect(0, 0, 20000, 12000), 25000}}, 90.0, 0},
      {"L-shape", {{lShape, 20000}}, 90.0, 0},
      {"two wings",
       {{Rect(0, 0, 8000, 30000), 12000}, {Rect(45000, 0, 8000, 30000), 12000}},
       90.0,
       1},
      {"rotated tower, north 65", {{tower, 45000}}, 65.0, 0},
  };
  const std::vector<double> levels = {4.0, 3.0, 1.5};  // the run's order: longest first
  for (const Site& site : sites) {
    Workspace ws;
    testing::SetTokyoSun(ws, site.season, site.north);
    for (const auto& [outline, height] : site.prisms) AddPrism(ws, outline, height);
    ToujiHaniParameters hani;
    hani.planeHeight = kPlane;
    hani.level = 1.5;
    const auto range = GetToujiHani(ws, hani, [](int, double) { return true; });
    ASSERT_TRUE(range.has_value());
    const double cell = range->CellFor(kN);
    Sampling s;
    s.stepMinutes = kStepMinutes;
    s.planeHeight = kPlane;
    s.map = RasterMapping{range->txmin, range->tymin, cell, kN};
    ClearDurationGrid(ws);
    ASSERT_TRUE(
        SampleDurations(ws, s, AccumulationMethod::kFast, [](int, double) { return true; }));

    std::vector<std::vector<std::vector<XY>>> traced;
    BitRaster raster(kN);
    ScriptedMonitor monitor;
    std::vector<std::string> messages;
    for (double hours : levels) {
      LevelTraceParameters p;
      p.threshold = LevelThreshold(hours, kStepMinutes, 8.0);
      p.n = kN;
      p.x0 = range->txmin;
      p.y0 = range->tymin;
      p.cell = cell;
      p.levelText = FormatFixed(hours, 1) + "Hr";
      traced.emplace_back();
      TraceLevelContours(
          ws.DurationGrid, raster, p, monitor, [&](const std::string& m) { messages.push_back(m); },
          [&](const std::vector<TTempPoint>& contour) {
            std::vector<XY> poly;
            for (const TTempPoint& q : contour) poly.push_back({q.pt.x, q.pt.y});
            traced.back().push_back(poly);
          });
    }
    EXPECT_TRUE(messages.empty()) << site.name << ": " << messages[0];

    const Oracle oracle(ws, s, ws.sun.SunDeclination, site.north);
    const double side = std::max(range->txmax - range->txmin, range->tymax - range->tymin);
    // Per test point its count and those of twelve points each one, one and a half and two
    // cells around it.
    const int grid = 22;
    struct TestPoint {
      double x, y;
      int count;
      std::vector<int> around;
    };
    std::vector<TestPoint> points;
    for (int i = 0; i <= grid; ++i) {
      for (int j = 0; j <= grid; ++j) {
        TestPoint tp{range->txmin + side * i / grid, range->tymin + side * j / grid, 0, {}};
        tp.count = oracle.Count(tp.x, tp.y);
        for (int k = 0; k < 12; ++k) {
          for (double r : {cell, 1.5 * cell, 2 * cell}) {
            tp.around.push_back(
                oracle.Count(tp.x + r * std::cos(k * kPi / 6), tp.y + r * std::sin(k * kPi / 6)));
          }
        }
        points.push_back(std::move(tp));
      }
    }
    for (std::size_t l = 0; l < levels.size(); ++l) {
      const double threshold = LevelThreshold(levels[l], kStepMinutes, 8.0);
      int farInside = 0, farOutside = 0, mismatches = 0;
      for (const TestPoint& tp : points) {
        const bool in = tp.count >= threshold;
        bool far = true;
        for (int c : tp.around) far = far && ((c >= threshold) == in);
        if (!far) continue;
        bool inTraced = false;
        for (const auto& poly : traced[l]) inTraced = inTraced != InPolygon(poly, tp.x, tp.y);
        (in ? farInside : farOutside) += 1;
        if (inTraced != in && ++mismatches <= 3) {
          ADD_FAILURE() << site.name << " " << levels[l] << "Hr: the point (" << tp.x << ", "
                        << tp.y << ") is " << (in ? "" : "not ") << "shaded long enough, count "
                        << tp.count;
        }
      }
      EXPECT_EQ(mismatches, 0) << site.name << " " << levels[l] << "Hr";
      EXPECT_GT(farInside, 10) << site.name << " " << levels[l] << "Hr";
      EXPECT_GT(farOutside, 100) << site.name << " " << levels[l] << "Hr";
    }
    if (std::string(site.name) == "two wings") {
      EXPECT_GE(traced[2].size(), 2u) << "each wing its own 1.5-hour line";
    }
  }
}

}  // namespace
}  // namespace vorn
