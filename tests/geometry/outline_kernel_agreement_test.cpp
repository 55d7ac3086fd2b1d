// The fast forms of the kernel's steps against the straightforward ones: over a corpus of
// inputs, every step of the fast chain leaves exactly the lists of the straightforward chain,
// segment for segment and bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"
#include "geometry/shadow_sites.h"
#include "geometry/sun_position.h"

namespace vorn {
namespace {

constexpr double kDeg = kPi / 180.0;

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

bool SamePointBits(const TAcadPoint& a, const TAcadPoint& b) {
  return Bits(a.x) == Bits(b.x) && Bits(a.y) == Bits(b.y) && Bits(a.z) == Bits(b.z);
}

std::string Show(const TLineEnt& s) {
  std::ostringstream out;
  out.precision(17);
  out << "(" << s.st.x << "," << s.st.y << ")-(" << s.ed.x << "," << s.ed.y << ") id " << s.id;
  return out.str();
}

// Empty when equal, else where they first differ.
std::string Difference(const LineList& fast, const LineList& slow) {
  if (fast.size() != slow.size()) {
    return "lengths " + std::to_string(fast.size()) + " and " + std::to_string(slow.size());
  }
  for (std::size_t i = 0; i < fast.size(); ++i) {
    const TLineEnt& f = fast[i];
    const TLineEnt& s = slow[i];
    if (f.id != s.id || !SamePointBits(f.st, s.st) || !SamePointBits(f.ed, s.ed)) {
      return "segment " + std::to_string(i) + ": " + Show(f) + " and " + Show(s);
    }
  }
  return {};
}

void ExpectSameLists(const Workspace& fast, const Workspace& slow, const std::string& step) {
  EXPECT_EQ(Difference(fast.AryLine, slow.AryLine), "") << "AryLine after " << step;
  EXPECT_EQ(Difference(fast.ArySeg, slow.ArySeg), "") << "ArySeg after " << step;
}

// Runs the whole chain with both forms side by side, comparing after every step: the
// standard sequence, the trace, then region by region the removal of the traced region, the
// pruning and the next trace; finally the reversed pairs of the last outline.
void ExpectSameChain(const LineList& input) {
  Workspace fast;
  Workspace slow;
  fast.AryLine = input;
  slow.AryLine = input;

  MergeCollinear(fast);
  reference::MergeCollinear(slow);
  ExpectSameLists(fast, slow, "MergeCollinear");
  if (::testing::Test::HasFailure()) return;

  GetBuildingSpan(fast);
  reference::GetBuildingSpan(slow);
  EXPECT_EQ(Bits(fast.BuildingSpan), Bits(slow.BuildingSpan))
      << fast.BuildingSpan << " and " << slow.BuildingSpan;
  fast.BuildingSpan *= 1000.0;
  slow.BuildingSpan *= 1000.0;

  SplitSegments(fast);
  reference::SplitSegments(slow);
  ExpectSameLists(fast, slow, "SplitSegments");
  if (::testing::Test::HasFailure()) return;

  RemoveDuplicates(fast);
  reference::RemoveDuplicates(slow);
  ExpectSameLists(fast, slow, "RemoveDuplicates");
  if (::testing::Test::HasFailure()) return;

  for (int region = 0; region < 50; ++region) {
    for (Workspace* ws : {&fast, &slow}) {
      GetMinCorner(*ws);
      ws->TraceFrom = ws->MinCorner;
      ws->TraceStart = FindTraceStart(*ws);
      ws->AryLine.clear();
    }
    const bool tracedFast = TraceOutline(fast);
    const bool tracedSlow = reference::TraceOutline(slow);
    EXPECT_EQ(tracedFast, tracedSlow) << "region " << region;
    ExpectSameLists(fast, slow, "TraceOutline of region " + std::to_string(region));
    if (::testing::Test::HasFailure() || !tracedSlow) break;

    {
      Workspace fastPairs = fast;
      Workspace slowPairs = slow;
      // The outline with every other segment repeated backwards gives reversed pairs.
      for (Workspace* ws : {&fastPairs, &slowPairs}) {
        const LineList outline = ws->AryLine;
        for (std::size_t i = 0; i < outline.size(); i += 2) {
          TLineEnt back = outline[i];
          std::swap(back.st, back.ed);
          ws->AryLine.push_back(back);
        }
      }
      RemoveReversePairs(fastPairs);
      reference::RemoveReversePairs(slowPairs);
      ExpectSameLists(fastPairs, slowPairs, "RemoveReversePairs");
    }

    // Points on, near and off the outline, its corners and the middles of its sides.
    for (const TLineEnt& s : slow.AryLine) {
      for (const TAcadPoint& p :
           {s.st, TAcadPoint{(s.st.x + s.ed.x) / 2, (s.st.y + s.ed.y) / 2, 0},
            TAcadPoint{s.st.x + 3e-6, s.st.y - 3e-6, 0}, TAcadPoint{s.st.x - 0.5, s.st.y + 0.5, 0},
            TAcadPoint{s.st.x + 0.5, s.st.y + 0.5, 0}, TAcadPoint{s.st.x + 7, s.st.y - 11, 0}}) {
        EXPECT_EQ(PointInOutline(p, slow.BuildingSpan, slow.AryLine),
                  reference::PointInOutline(p, slow.BuildingSpan, slow.AryLine))
            << p.x << "," << p.y;
      }
    }
    RemoveEnclosed(fast);
    reference::RemoveEnclosed(slow);
    ExpectSameLists(fast, slow, "RemoveEnclosed");
    const std::size_t before = slow.ArySeg.size();
    PruneDangling(fast);
    reference::PruneDangling(slow);
    ExpectSameLists(fast, slow, "PruneDangling");
    while (slow.ArySeg.size() > 3 && !::testing::Test::HasFailure()) {
      const std::size_t pass = slow.ArySeg.size();
      PruneDangling(fast);
      reference::PruneDangling(slow);
      ExpectSameLists(fast, slow, "PruneDangling again");
      if (slow.ArySeg.size() == pass) break;
    }
    if (::testing::Test::HasFailure() || slow.ArySeg.size() < 3 || slow.ArySeg.size() >= before) {
      break;
    }
  }
}

// The kernel's input for the shadow of a wire frame at one time, as MakeShadowOutline builds it.
LineList ShadowInput(const LineList& edges, double latDeg, int season, double northDeg, double t,
                     double plane) {
  SunState sun;
  SetSunState(sun, SeasonDeclination(season), latDeg * kDeg, northDeg);
  const SunPos pos = GetSunPos(sun, t, sun.SunDeclination);
  LineList input;
  if (!pos.ok) return input;
  AppendFootprints(edges, input);
  for (const TLineEnt& e : edges) {
    AppendEdgeShadow(e, plane, ShadowDirection(sun, pos), pos.ratio, input);
  }
  return input;
}

TLineEnt Seg(double x1, double y1, double x2, double y2) {
  TLineEnt s;
  s.st = {x1, y1, 0};
  s.ed = {x2, y2, 0};
  return s;
}

// Boxes on a coarse lattice, so that many share edges, corners and lines.
LineList RectilinearBuilding(std::mt19937& rng, int boxes, double cell) {
  std::uniform_int_distribution<int> pos(0, 2 * static_cast<int>(std::sqrt(boxes)) + 2);
  std::uniform_int_distribution<int> size(1, 4);
  std::uniform_int_distribution<int> floors(1, 8);
  LineList edges;
  for (int b = 0; b < boxes; ++b) {
    AddPrism(edges, Box(pos(rng) * cell, pos(rng) * cell, size(rng) * cell, size(rng) * cell,
                        floors(rng) * 3000.0));
  }
  return edges;
}

// Turned polygons of random corner counts with random centres, some overlapping.
LineList PolygonalBuilding(std::mt19937& rng, int parts, double spread) {
  std::uniform_real_distribution<double> at(0, spread);
  std::uniform_real_distribution<double> radius(2000, 12000);
  std::uniform_int_distribution<int> sides(3, 24);
  std::uniform_real_distribution<double> height(3000, 40000);
  LineList edges;
  for (int p = 0; p < parts; ++p) {
    AddPrism(edges, RegularPolygon(at(rng), at(rng), radius(rng), sides(rng), height(rng)));
  }
  return edges;
}

// The segments of random rectilinear polygons taken directly as the kernel's input.
LineList RectilinearSoup(std::mt19937& rng, int squares, double cell) {
  std::uniform_int_distribution<int> pos(0, 3 * static_cast<int>(std::sqrt(squares)) + 3);
  std::uniform_int_distribution<int> size(1, 3);
  LineList out;
  for (int s = 0; s < squares; ++s) {
    const double x = pos(rng) * cell;
    const double y = pos(rng) * cell;
    const double w = size(rng) * cell;
    const double h = size(rng) * cell;
    out.push_back(Seg(x, y, x + w, y));
    out.push_back(Seg(x + w, y, x + w, y + h));
    out.push_back(Seg(x + w, y + h, x, y + h));
    out.push_back(Seg(x, y + h, x, y));
  }
  return out;
}

// Pieces of a few lines (some turned, so their points carry round-off) in shuffled order and
// random direction, overlapping, touching and apart.
LineList CollinearPieces(std::mt19937& rng, int pieces) {
  std::uniform_real_distribution<double> unit(0, 1);
  const double angles[] = {0, kPi / 2, 0.3, 1.1, 2.5};
  LineList out;
  for (int p = 0; p < pieces; ++p) {
    const double a = angles[p % 5];
    const double offset = (p % 3) * 7.0;
    double s = std::floor(unit(rng) * 40) * 2.5;
    double e = s + 2.5 * (1 + std::floor(unit(rng) * 4));
    if (unit(rng) < 0.5) std::swap(s, e);
    const double ox = -offset * std::sin(a);
    const double oy = offset * std::cos(a);
    out.push_back(Seg(ox + s * std::cos(a), oy + s * std::sin(a), ox + e * std::cos(a),
                      oy + e * std::sin(a)));
  }
  // A closing frame so that there is something to trace.
  out.push_back(Seg(-200, -200, 200, -200));
  out.push_back(Seg(200, -200, 200, 200));
  out.push_back(Seg(200, 200, -200, 200));
  out.push_back(Seg(-200, 200, -200, -200));
  std::shuffle(out.begin(), out.end(), rng);
  return out;
}

// Pieces end to end along turned lines with gaps from a micrometre to ten millimetres between
// them, and pieces beside them off the line by up to 0.012 (around the collinearity
// tolerance). The round-off of turned lines can make nearly collinear copies "cross" anywhere.
LineList GappedCollinearPieces(std::mt19937& rng, int lines, int pieces) {
  std::uniform_real_distribution<double> unit(0, 1);
  LineList out;
  for (int l = 0; l < lines; ++l) {
    const double a = unit(rng) * kPi;
    const double ox = unit(rng) * 50000;
    const double oy = unit(rng) * 50000;
    const auto at = [&](double s, double off) {
      return TAcadPoint{ox + s * std::cos(a) - off * std::sin(a),
                        oy + s * std::sin(a) + off * std::cos(a), 0};
    };
    double s = 0;
    for (int p = 0; p < pieces; ++p) {
      const double length = p % 3 == 0 ? 50 : 250;
      TLineEnt piece;
      piece.st = at(s, 0);
      piece.ed = at(s + length, 0);
      out.push_back(piece);
      if (l % 2 == 0 && p % 4 == 1) {
        TLineEnt beside;
        beside.st = at(s + length / 3, (unit(rng) - 0.5) * 0.024);
        beside.ed = at(s + length * 1.4, (unit(rng) - 0.5) * 0.024);
        out.push_back(beside);
      }
      s += length + std::pow(10.0, -3 + 4 * unit(rng));
    }
  }
  std::shuffle(out.begin(), out.end(), rng);
  return out;
}

// A comb: a spine with teeth whose ends lie on the spine's interior, and teeth ending on
// other teeth.
LineList TJunctions(int teeth) {
  LineList out = {Seg(0, 0, teeth * 10.0, 0)};
  for (int t = 1; t < teeth; ++t) {
    out.push_back(Seg(t * 10.0, 0, t * 10.0, 30 + (t % 3) * 10.0));
    if (t % 2 == 0) out.push_back(Seg((t - 1) * 10.0, 15, t * 10.0, 15));
  }
  out.push_back(Seg(0, 0, 0, 60));
  out.push_back(Seg(0, 60, teeth * 10.0, 60));
  out.push_back(Seg(teeth * 10.0, 60, teeth * 10.0, 0));
  return out;
}

// Many segments through one point, and a fan of segments sharing one end.
LineList ThroughOnePoint(int count, double cx, double cy, double r) {
  LineList out;
  for (int k = 0; k < count; ++k) {
    const double a = kPi * k / count;
    out.push_back(Seg(cx - r * std::cos(a), cy - r * std::sin(a), cx + r * std::cos(a),
                      cy + r * std::sin(a)));
    out.push_back(Seg(cx + 3 * r, cy, cx + 3 * r + r * std::cos(2 * a), cy + r * std::sin(2 * a)));
  }
  return out;
}

LineList Scaled(LineList lines, double scale, double offset) {
  for (TLineEnt& s : lines) {
    for (TAcadPoint* p : {&s.st, &s.ed}) {
      p->x = p->x * scale + offset;
      p->y = p->y * scale - offset / 2;
    }
  }
  return lines;
}

struct Case {
  std::string name;
  LineList input;
};

std::vector<Case> Corpus() {
  std::vector<Case> corpus;
  // The union oracle's sites at a few times and skies.
  for (const Site& site : Sites()) {
    LineList edges;
    for (const Footprint& f : site.parts) AddPrism(edges, f);
    corpus.push_back({site.name + " 9h", ShadowInput(edges, 35.68, 0, 90.0, 9.0, 4000)});
    corpus.push_back({site.name + " 13h", ShadowInput(edges, 43.06, 1, 72.5, 13.0, 4000)});
    corpus.push_back({site.name + " 15.5h", ShadowInput(edges, 26.2, 2, 135.0, 15.5, 0)});
  }
  std::mt19937 rng(20240611);
  // Random buildings of 10 to 2,000 input segments (a box gives 12 edges, 48 segments).
  for (int boxes : {1, 3, 10, 40}) {
    const LineList edges = RectilinearBuilding(rng, boxes, 3000);
    corpus.push_back({"rectilinear " + std::to_string(boxes),
                      ShadowInput(edges, 35.68, 0, 90.0, 10.0 + boxes % 5, 4000)});
    if (boxes < 40) {
      corpus.push_back({"rectilinear north 30 " + std::to_string(boxes),
                        ShadowInput(edges, 35.68, 0, 120.0, 14.0, 0)});
    }
  }
  for (int parts : {1, 4, 12}) {
    const LineList edges = PolygonalBuilding(rng, parts, 30000);
    corpus.push_back(
        {"polygonal " + std::to_string(parts), ShadowInput(edges, 35.68, 0, 80.0, 11.0, 4000)});
  }
  corpus.push_back({"rectilinear soup 10", RectilinearSoup(rng, 3, 1000)});
  corpus.push_back({"rectilinear soup 400", RectilinearSoup(rng, 100, 1000)});
  corpus.push_back({"rectilinear soup 2000", RectilinearSoup(rng, 500, 1000)});
  corpus.push_back({"collinear pieces", CollinearPieces(rng, 200)});
  corpus.push_back({"gapped collinear pieces", GappedCollinearPieces(rng, 30, 40)});
  // Two pieces of one turned line 0.26 apart whose extended copies round-off makes cross.
  corpus.push_back(
      {"pieces of a turned line 0.26 apart",
       {Seg(47629.283987586256, 25940.84387262557, 47831.318918229634, 26088.091578210155),
        Seg(47831.528553833581, 26088.244365461309, 47871.935539962258, 26117.693906578228),
        Seg(47600, 25900, 47900, 25900), Seg(47900, 25900, 47900, 26200),
        Seg(47900, 26200, 47600, 26200), Seg(47600, 26200, 47600, 25900)}});
  corpus.push_back({"T-junctions", TJunctions(40)});
  corpus.push_back({"through one point", ThroughOnePoint(60, 5, 5, 50)});
  {
    LineList touching;
    AddPrism(touching, Box(0, 0, 10000, 10000, 12000));
    AddPrism(touching, Box(10000, 0, 10000, 6000, 20000));
    AddPrism(touching, Box(10000, 6000, 5000, 4000, 9000));
    AddPrism(touching, Box(20000, 6000, 3000, 3000, 9000));  // touches at a corner
    corpus.push_back({"touching parts", ShadowInput(touching, 35.68, 0, 90.0, 12.0, 4000)});
  }
  const LineList site = corpus[2].input;
  corpus.push_back({"tiny coordinates", Scaled(site, 1e-4, 0)});
  corpus.push_back({"huge coordinates", Scaled(site, 1e3, 3e9)});
  corpus.push_back({"far from the origin", Scaled(site, 1, 7.5e7)});
  corpus.push_back({"tiny pieces near each other", Scaled(TJunctions(12), 1e-6, 1)});
  return corpus;
}

TEST(OutlineKernelAgreement, EveryFastStepLeavesExactlyTheListsOfTheStraightforwardStep) {
  for (const Case& c : Corpus()) {
    SCOPED_TRACE(c.name + " (" + std::to_string(c.input.size()) + " segments)");
    ExpectSameChain(c.input);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(OutlineKernelAgreement, WholeOutlinesAgreeAndStayTheReferenceOnes) {
  for (const Site& site : Sites()) {
    Workspace fast;
    Workspace slow;
    SetSunState(fast.sun, SeasonDeclination(0), 35.68 * kDeg, 90.0);
    slow.sun = fast.sun;
    for (const Footprint& f : site.parts) AddPrism(fast.BuildingEdges, f);
    slow.BuildingEdges = fast.BuildingEdges;
    for (double t = 8.0; t <= 16.0; t += 2.0) {
      SCOPED_TRACE(site.name + " " + std::to_string(t));
      ASSERT_EQ(MakeShadowOutline(fast, t, 4000), reference::MakeShadowOutline(slow, t, 4000));
      EXPECT_EQ(Difference(fast.AryLine, slow.AryLine), "");
      std::vector<LineList> fastOutlines;
      std::vector<LineList> slowOutlines;
      fast.AryLine = ShadowInput(fast.BuildingEdges, 35.68, 0, 90.0, t, 4000);
      slow.AryLine = fast.AryLine;
      ASSERT_TRUE(PrepareSegments(fast));
      ASSERT_TRUE(reference::PrepareSegments(slow));
      const RegionTrace a = TraceAllRegions(
          fast, [] { return true; }, [&](const LineList& o) { fastOutlines.push_back(o); });
      const RegionTrace b = reference::TraceAllRegions(
          slow, [] { return true; }, [&](const LineList& o) { slowOutlines.push_back(o); });
      EXPECT_EQ(a.outlines, b.outlines);
      EXPECT_EQ(a.traceFailed, b.traceFailed);
      EXPECT_EQ(a.segmentsLeft, b.segmentsLeft);
      ASSERT_EQ(fastOutlines.size(), slowOutlines.size());
      for (std::size_t i = 0; i < fastOutlines.size(); ++i) {
        EXPECT_EQ(Difference(fastOutlines[i], slowOutlines[i]), "");
      }
    }
  }
}

TEST(OutlineKernelAgreement, SortingByDistanceKeepsTheExchangeSortsOrderOfTies) {
  // Long lists take the fast path; ties between different points (equal distances on both
  // sides of the start, and the corners of a square around it) must come out in the exchange
  // sort's own order.
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> coord(-20, 20);
  for (int round = 0; round < 20; ++round) {
    std::vector<TTempPoint> points;
    const int count = 10 + round * 7;
    for (int i = 0; i < count; ++i) {
      TTempPoint p;
      if (round % 2 == 0) {
        p.pt = {static_cast<double>(coord(rng)), 0.0, 0.0};  // ties: same point or mirrored
      } else {
        p.pt = {static_cast<double>(coord(rng) % 3), static_cast<double>(coord(rng) % 3), 0.0};
      }
      p.id = round % 4 == 3 ? i % 2 : 0;
      points.push_back(p);
    }
    std::vector<TTempPoint> fast = points;
    std::vector<TTempPoint> slow = points;
    const TAcadPoint from = round % 3 == 0 ? TAcadPoint{0.5, 0, 0} : TAcadPoint{0, 0, 0};
    SortPointsByDist(fast, from);
    reference::SortPointsByDist(slow, from);
    ASSERT_EQ(fast.size(), slow.size());
    for (std::size_t i = 0; i < fast.size(); ++i) {
      EXPECT_TRUE(SamePointBits(fast[i].pt, slow[i].pt) && fast[i].id == slow[i].id)
          << "round " << round << " position " << i;
    }
  }
}

}  // namespace
}  // namespace vorn
