// Wall shadows: the wall model, the shadow of a box on the wall against its projection along
// the textbook sun's rays, the trimming to the wall face, the frame, and the command over the
// drawing host.
#include "shadows/wall_shadows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/form_fixture.h"
#include "dxf/number_format.h"
#include "geometry/point_ops.h"
#include "geometry/sun_position.h"
#include "isochrones/wall_isochrones.h"

namespace vorn {
namespace {

using testing::FormTest;

constexpr double kDeg = kPi / 180.0;

TLineEnt Line(TAcadPoint a, TAcadPoint b) {
  TLineEnt s;
  s.st = a;
  s.ed = b;
  return s;
}

// The edges acquisition makes of a closed rectangle with a thickness: bottom, top and the
// vertical edges.
LineList Prism(double x0, double y0, double x1, double y1, double h) {
  const TAcadPoint c[4] = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
  LineList edges;
  for (int i = 0; i < 4; ++i) {
    TAcadPoint a = c[i], b = c[(i + 1) % 4];
    edges.push_back(Line(a, b));
    TAcadPoint at = a, bt = b;
    at.z = bt.z = h;
    edges.push_back(Line(at, bt));
    edges.push_back(Line(a, at));
  }
  return edges;
}

TEST(WallModel, EitherPickDirectionGivesTheSameElevation) {
  const TAcadPoint building{5000, 4000, 0};
  const TLineEnt westToEast = Line({-5000, 30000}, {25000, 30000});
  const TLineEnt eastToWest = Line({25000, 30000}, {-5000, 30000});
  for (const TLineEnt& picked : {westToEast, eastToWest}) {
    const auto wall = OrientWall(picked, building);
    ASSERT_TRUE(wall);
    // Standing on the wall facing the building (south), the west end is on the right.
    EXPECT_EQ(wall->st, (TAcadPoint{-5000, 30000}));
    EXPECT_EQ(wall->ed, (TAcadPoint{25000, 30000}));
  }
  // A wall south of the building: facing north, the east end is on the right.
  const auto south = OrientWall(Line({-5000, -9000}, {25000, -9000}), building);
  ASSERT_TRUE(south);
  EXPECT_EQ(south->st, (TAcadPoint{25000, -9000}));
}

TEST(WallModel, HeightFromZThicknessOrTheBuilding) {
  struct Case {
    double z, thickness, gbzmax, height;
  };
  const Case cases[] = {
      {0, 0, 15000, 15000},    // neither: as high as the building
      {0, 6000, 20000, 6000},  // the thickness drawn says how high it is
      {9000, 6000, 20000, 9000},
      {0, 0, 0, kDefaultWallHeight},
  };
  for (const Case& c : cases) {
    TLineEnt line = Line({0, 0, c.z}, {1000, 0, c.z});
    EXPECT_EQ(WallHeight(WallWithHeights(line, c.gbzmax, c.thickness)), c.height) << c.thickness;
  }
}

// The sun's direction (east, north, up components) from the textbook formulas.
struct SunVector {
  double e, n, u;
};
SunVector TextbookSun(double latitude, double declination, double t) {
  const double w = (t - 12.0) * 15.0 * kDeg;
  return {-std::cos(declination) * std::sin(w),
          std::sin(declination) * std::cos(latitude) -
              std::cos(declination) * std::sin(latitude) * std::cos(w),
          std::sin(declination) * std::sin(latitude) +
              std::cos(declination) * std::cos(latitude) * std::cos(w)};
}

struct Pt {
  double x, y;
};

double Cross(Pt o, Pt a, Pt b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

std::vector<Pt> ConvexHull(std::vector<Pt> p) {
  std::sort(p.begin(), p.end(), [](Pt a, Pt b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  std::vector<Pt> h(2 * p.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && Cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  for (std::size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && Cross(h[k - 2], h[k - 1], p[i - 1]) <= 0) --k;
    h[k++] = p[i - 1];
  }
  h.resize(k - 1);
  return h;
}

double Area(const std::vector<Pt>& p) {
  double a = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const Pt q = p[(i + 1) % p.size()];
    a += p[i].x * q.y - q.x * p[i].y;
  }
  return a / 2;
}

double DistanceToSegment(Pt p, Pt a, Pt b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  double s = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
  s = std::clamp(s, 0.0, 1.0);
  return std::hypot(p.x - a.x - s * dx, p.y - a.y - s * dy);
}

double DistanceToPolygon(Pt p, const std::vector<Pt>& poly) {
  double d = 1e300;
  for (std::size_t i = 0; i < poly.size(); ++i) {
    d = std::min(d, DistanceToSegment(p, poly[i], poly[(i + 1) % poly.size()]));
  }
  return d;
}

struct OracleCase {
  double latitudeDeg;
  int season;
  double northDeg;
};

// A box in front of a wall facing the sun: the traced outline on the wall is the projection of
// the box's corners along the sun's rays onto the wall plane (its convex hull), also below the
// ground, where the trimming takes it off later. When all of it lies below the ground the
// shadow does not reach the wall and nothing is traced.
TEST(WallShadowOracle, BoxOutlineIsItsProjectionAlongTheSunsRays) {
  const OracleCase cases[] = {{35.683333, 0, 90}, {43.05, 0, 90}, {35.683333, 1, 80}};
  int compared = 0;
  for (const OracleCase& c : cases) {
    Workspace ws;
    ws.BuildingEdges = Prism(0, 0, 10000, 8000, 20000);
    const double latitude = c.latitudeDeg * kDeg;
    const double declination = SeasonDeclination(c.season);
    SetSunState(ws.sun, declination, latitude, c.northDeg);
    // A wall 22 m north of the box, square to true north.
    const double n = c.northDeg * kDeg;
    const Pt north{std::cos(n), std::sin(n)}, east{std::sin(n), -std::cos(n)};
    const auto plan = [&](double e, double nn) {
      return TAcadPoint{5000 + e * east.x + nn * north.x, 4000 + e * east.y + nn * north.y, 0};
    };
    const TLineEnt picked = Line(plan(20000, 26000), plan(-20000, 26000));
    ws.WallLine = *OrientWall(picked, ws.BuildingEdges.front().st);
    const TAcadPoint west = plan(-20000, 26000);
    for (const double t : {9.0, 10.5, 12.0, 13.25, 15.0}) {
      const SunVector sun = TextbookSun(latitude, declination, t);
      if (sun.n >= 0 || sun.u <= 0) continue;  // only while the sun faces the wall
      const Pt sunPlan{sun.e * east.x + sun.n * north.x, sun.e * east.y + sun.n * north.y};
      std::vector<Pt> projected;
      for (const TLineEnt& e : ws.BuildingEdges) {
        for (const TAcadPoint& p : {e.st, e.ed}) {
          // p - s * sun meets the wall plane (north distance 26000 from the box centre).
          const double along = (p.x - 5000) * north.x + (p.y - 4000) * north.y;
          const double s = (along - 26000) / (sunPlan.x * north.x + sunPlan.y * north.y);
          const double x = p.x - s * sunPlan.x, y = p.y - s * sunPlan.y;
          projected.push_back({(x - west.x) * east.x + (y - west.y) * east.y, p.z - s * sun.u});
        }
      }
      const std::vector<Pt> hull = ConvexHull(projected);

      const std::string what = "lat " + std::to_string(c.latitudeDeg) + " t " + std::to_string(t);
      double highest = -1e300;
      for (const Pt& h : hull) highest = std::max(highest, h.y);
      if (highest < -1.0) {
        // Every ray meets the ground before the wall's plane: nothing reaches the wall.
        EXPECT_FALSE(MakeKabeLine(ws, c.northDeg, t, true)) << what;
        continue;
      }
      ASSERT_TRUE(MakeKabeLine(ws, c.northDeg, t, true)) << what;
      std::vector<Pt> outline;
      for (const TLineEnt& s : ws.AryLine) outline.push_back({s.st.x, s.st.y});
      EXPECT_NEAR(Area(outline), Area(hull), 1e-9 * Area(hull)) << what;
      for (const Pt& p : outline) EXPECT_LT(DistanceToPolygon(p, hull), 1e-6) << what;
      for (const Pt& h : hull) EXPECT_LT(DistanceToPolygon(h, outline), 1e-6) << what;
      ++compared;
    }
  }
  EXPECT_GE(compared, 10);
}

TEST(WallShadows, TimeWhoseShadowDoesNotReachTheWallDrawsNothing) {
  Workspace ws;
  ws.BuildingEdges = Prism(0, 0, 10000, 8000, 20000);
  SetSunState(ws.sun, SeasonDeclination(1), 35.683333 * kDeg, 90);
  ws.sun.NorthAngle = WallNorthAngle(90);
  ws.WallLine = Line({-5000, 30000, 20000}, {25000, 30000, 20000});
  // At the equinox noon the 20 m box casts 14 m: 22 m short of the wall.
  BuildWallQuads(ws, 12.0, true);
  EXPECT_TRUE(ws.AryLine.empty());
  EXPECT_FALSE(MakeKabeLine(ws, 90, 12.0, true));
  // Without the reach test the plane beyond still gets its (underground) quadrilaterals.
  ws.AryLine.clear();
  BuildWallQuads(ws, 12.0, false);
  EXPECT_EQ(ws.AryLine.size(), 4 * ws.BuildingEdges.size());
}

TEST(ClipToWallRect, EachSideTrimsOrDrops) {
  struct Case {
    TLineEnt in;
    bool kept;
    TLineEnt out;
  };
  const double m = 12000, H = 6000;
  const Case cases[] = {
      {Line({1000, 1000}, {2000, 2000}), true, Line({1000, 1000}, {2000, 2000})},
      {Line({1000, -1000}, {2000, -10}), false, {}},
      {Line({1000, -1000}, {1000, 1000}), true, Line({1000, 0}, {1000, 1000})},
      {Line({1000, 5000}, {1000, 7000}), true, Line({1000, 5000}, {1000, 6000})},
      {Line({1000, 7000}, {2000, 9000}), false, {}},
      {Line({-1000, 1000}, {1000, 1000}), true, Line({0, 1000}, {1000, 1000})},
      {Line({11000, 1000}, {13000, 1000}), true, Line({11000, 1000}, {12000, 1000})},
      {Line({13000, 1000}, {14000, 1000}), false, {}},
      {Line({-100, -100}, {100, 100}), true, Line({0, 0}, {100, 100})},
      {Line({500, 500}, {500, 500.000001}), false, {}},
  };
  for (const Case& c : cases) {
    const LineList kept = ClipToWallRect({c.in}, m, H);
    ASSERT_EQ(kept.size(), c.kept ? 1u : 0u) << c.in.st.x << "," << c.in.st.y;
    if (!c.kept) continue;
    EXPECT_NEAR(kept[0].st.x, c.out.st.x, 1e-9);
    EXPECT_NEAR(kept[0].st.y, c.out.st.y, 1e-9);
    EXPECT_NEAR(kept[0].ed.x, c.out.ed.x, 1e-9);
    EXPECT_NEAR(kept[0].ed.y, c.out.ed.y, 1e-9);
  }
}

TEST(WallChains, BrokenRunsStartNewChains) {
  const LineList kept = {Line({0, 0}, {1, 0}), Line({1, 0}, {2, 1}), Line({5, 5}, {6, 5}),
                         Line({6, 5}, {7, 7})};
  const auto chains = WallChains(kept);
  ASSERT_EQ(chains.size(), 2u);
  EXPECT_EQ(chains[0].size(), 3u);
  EXPECT_EQ(chains[1].front(), (TAcadPoint{5, 5}));
  EXPECT_EQ(chains[1].back(), (TAcadPoint{7, 7}));
}

// The frame lines of a written document: (u1, v1, u2, v2, dashed).
struct FrameLine {
  double u1, v1, u2, v2;
  bool dashed;
};
std::vector<FrameLine> FrameLines(const DxfDocument& doc) {
  std::vector<FrameLine> lines;
  const auto& items = doc.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].rfind("  0\r\nLINE", 0) != 0) continue;
    FrameLine f{};
    std::size_t j = i + 1;
    EXPECT_EQ(items[j++], " 62\r\n251");
    if (items[j] == "  6\r\nHIDDEN2") {
      f.dashed = true;
      ++j;
    }
    const auto value = [&](const char* code) {
      EXPECT_EQ(items[j].rfind(code, 0), 0u) << items[j];
      return std::stod(items[j++].substr(5));
    };
    f.u1 = value(" 10");
    f.v1 = value(" 20");
    ++j;
    f.u2 = value(" 11");
    f.v2 = value(" 21");
    lines.push_back(f);
  }
  return lines;
}

TEST(WallFrame, HeightLinesEveryMetreLengthLinesEveryFiveAndTheEnd) {
  for (const bool onWallLine : {true, false}) {
    WallDiagramParameters params;
    params.onWallLine = onWallLine;
    DxfDocument doc;
    AppendWallFrame(doc, 12000, 6500, params);
    const auto lines = FrameLines(doc);
    const int heights = onWallLine ? 6 : 7;  // 1..6 m, or 0..6 m with the ground line
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(heights + 4)) << onWallLine;
    for (int i = 0; i < heights; ++i) {
      const int metre = onWallLine ? i + 1 : i;
      EXPECT_EQ(lines[i].v1, 1000.0 * metre);
      EXPECT_EQ(lines[i].u2, 12000.0);
      EXPECT_EQ(lines[i].dashed, metre % 2 == 1) << metre;
    }
    const double lengths[] = {0, 5000, 10000, 12000};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(lines[heights + i].u1, lengths[i]);
      EXPECT_EQ(lines[heights + i].v2, 6500.0);
      EXPECT_FALSE(lines[heights + i].dashed);
    }
  }
}

class WallCommand : public FormTest {
 protected:
  void SetUp() override {
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/tests/shadows/fixtures/wall_cases.dxf");
    form = StartForm();
    // A short period at the coarsest step keeps the wall isochrones quick.
    form->Edit2.Text = "11";
    form->Edit7.Text = "13";
    form->RadioGroup6.SetItemIndex(2);
    cad.user.SelectLayer("box");
    form->Button2Click();
    ASSERT_EQ(form->workspace.BuildingEdges.size(), 16u);
    before = cad.host.Document().modelSpace.size();
  }

  std::string HandleOn(const std::string& layer) const {
    for (const auto& e : cad.host.Document().modelSpace) {
      if (e.entity.common.layer == layer) return e.entity.common.handle;
    }
    return {};
  }

  // The entities the command added, by kind and layer.
  int Added(const std::string& type, const std::string& layer) const {
    int n = 0;
    const auto& ms = cad.host.Document().modelSpace;
    for (std::size_t i = before; i < ms.size(); ++i) {
      if (cad::host::DxfTypeOf(ms[i].entity) == type && ms[i].entity.common.layer == layer) ++n;
    }
    return n;
  }

  std::unique_ptr<TForm1> form;
  std::size_t before = 0;
};

TEST_F(WallCommand, ElevationLiesOnTheWallLineAndOneUndoTakesItAway) {
  form->Edit11.Text = "0.5";
  cad.user.Entity(HandleOn("wall_thick"));
  form->Button5Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  EXPECT_NE(cad.host.PromptLog().find(kPromptWallPicked), std::string::npos);
  // 6 m wall on the wall line: height lines 1..6, length lines 0..30 m and the end line.
  EXPECT_EQ(form->Label24.Caption.rfind("ﾒｯｼｭｻｲｽﾞ : ", 0), 0u) << form->Label24.Caption;
  EXPECT_EQ(form->Label26.Caption.rfind("所要時間 : ", 0), 0u) << form->Label26.Caption;
  EXPECT_GT(Added("TEXT", "VORN_HEKIMEN"), 0);
  EXPECT_EQ(Added("LINE", "VORN_HWAKU"), 6 + 7 + 1);
  EXPECT_GT(Added("POLYLINE", "VORN_HEKIMEN"), 0);
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
  const std::string text = testing::ReadFile(exeFolder() / "VORN_1.dxf");
  EXPECT_NE(text.find("HIDDEN2"), std::string::npos);
  EXPECT_TRUE(form->Button5.Enabled);
  EXPECT_FALSE(form->Button7.Enabled);
  EXPECT_TRUE(cad.host.Undo());
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
}

class NullMonitor final : public RunMonitor {
 public:
  bool Running() override { return true; }
  void AdvanceProgress() override {}
  void ProcessMessages() override {}
  void ShowMessage(const std::string&) override {}
};

int CountItems(const DxfDocument& doc, const std::string& item) {
  return static_cast<int>(std::count(doc.Items().begin(), doc.Items().end(), item));
}

TEST(WallShadows, OutlineLeavingThroughTheTopGivesTwoLabelledChains) {
  Workspace ws;
  ws.BuildingEdges = Prism(0, 0, 10000, 8000, 20000);
  SetSunState(ws.sun, SeasonDeclination(0), 35.683333 * kDeg, 90);
  // A wall 3 m high 22 m north of the 20 m box: at noon the shadow reaches 6.8 m up.
  ws.WallLine = Line({-5000, 30000, 3000}, {25000, 30000, 3000});
  WallDiagramParameters params;
  params.firstHour = params.lastHour = 12.0;
  NullMonitor monitor;
  DxfDocument doc;
  ASSERT_TRUE(DrawKabeLine(ws, params, monitor, doc));
  EXPECT_EQ(CountItems(doc, "  0\r\nPOLYLINE\r\n  8\r\nVORN_HEKIMEN"), 2);
  EXPECT_EQ(CountItems(doc, "  1\r\n12:00"), 2);
  // The first chain's label: at its last vertex, 0.2 text heights down to the right, left
  // aligned at the top.
  const auto& items = doc.Items();
  const auto text = std::find(items.begin(), items.end(), "  0\r\nTEXT\r\n  8\r\nVORN_HEKIMEN");
  ASSERT_NE(text, items.end());
  ASSERT_EQ(*(text - 1), "  0\r\nSEQEND");
  const auto value = [](const std::string& item) { return std::stod(item.substr(5)); };
  const double shift = 0.2 * 300 / std::sqrt(2.0);
  EXPECT_NEAR(value(*(text + 1)), value(*(text - 3)) + shift, 1e-6);
  EXPECT_NEAR(value(*(text + 2)), value(*(text - 2)) - shift, 1e-6);
  EXPECT_EQ(*(text + 3), " 11\r\n" + (text + 1)->substr(5));
  EXPECT_EQ(*(text + 4), " 21\r\n" + (text + 2)->substr(5));
  EXPECT_EQ(*(text + 5), " 40\r\n300.0");
  EXPECT_EQ(*(text + 8), " 50\r\n0.0");
  EXPECT_EQ(*(text + 10), " 73\r\n3");
}

TEST_F(WallCommand, WallsOfEveryHeightRuleGetTheirFrame) {
  struct Case {
    const char* layer;
    int heightLines;  // on the wall line: 1 m up to the wall's height
  };
  // The box is 20 m high: a wall drawn without height or thickness takes that height.
  const Case cases[] = {{"wall", 20}, {"wall_thick", 6}, {"wall_raised", 9}, {"wall_12m", 20}};
  for (const Case& c : cases) {
    before = cad.host.Document().modelSpace.size();
    cad.user.Entity(HandleOn(c.layer));
    form->Button5Click();
    const int lengthLines = std::string(c.layer) == "wall_12m" ? 3 + 1 : 7 + 1;
    EXPECT_EQ(Added("LINE", "VORN_HWAKU"), c.heightLines + lengthLines) << c.layer;
  }
}

TEST_F(WallCommand, PlacedByTheUserExplodedOrAsOneBlock) {
  form->CheckBox4.Checked = false;
  form->Edit29.Text = "壁面影";
  cad.user.Entity(HandleOn("wall")).InsertionPoint({100000, 50000});
  form->Button5Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  // Not on the wall line: the ground line is part of the frame.
  EXPECT_EQ(Added("LINE", "VORN_HWAKU"), 21 + 7 + 1);
  EXPECT_GT(Added("POLYLINE", "壁面影"), 0);
  EXPECT_EQ(Added("INSERT", "0"), 0);
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);

  before = cad.host.Document().modelSpace.size();
  form->CheckBox12.Checked = true;
  cad.user.Entity(HandleOn("wall")).InsertionPoint({100000, 90000});
  form->Button5Click();
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before + 1);
  // The first placement removed its definition, so the name comes round again.
  EXPECT_NE(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
}

TEST_F(WallCommand, AsOneBlockOnTheWallLineTurnedAlongIt) {
  form->CheckBox12.Checked = true;
  cad.user.Entity(HandleOn("wall_reversed"));
  form->Button5Click();
  ASSERT_EQ(cad.host.Document().modelSpace.size(), before + 1);
  EXPECT_NE(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
  EXPECT_NE(cad.host.PromptLog().find("-INSERT"), std::string::npos);
}

TEST_F(WallCommand, NoWallIsochroneMeansNothingIsInserted) {
  // A single instant: no point of the wall is shaded for an hour.
  form->Edit2.Text = "12";
  form->Edit7.Text = "12";
  cad.user.Entity(HandleOn("wall"));
  form->Button5Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, kWallIsochronesCaption);
  EXPECT_EQ(shell.messages[0].text, kWallIsochronesImpossible);
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_FALSE(std::filesystem::exists(exeFolder() / "VORN_1.dxf"));
  EXPECT_TRUE(form->Button5.Enabled);
}

TEST_F(WallCommand, StopDuringTheWallIsochronesInsertsNothing) {
  int pumps = 0;
  shell.onProcessMessages = [&] {
    if (++pumps == 40) form->Button7Click();
  };
  cad.user.Entity(HandleOn("wall"));
  form->Button5Click();
  EXPECT_GE(pumps, 40);
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_FALSE(form->RunningFlag);
  EXPECT_TRUE(form->Button5.Enabled);
}

TEST(WallIsochrones, LevelColoursFromEightHoursDown) {
  const int expected[] = {5, 3, 6, 4, 2, 5, 3, 6};
  for (int K = 0; K < 8; ++K) EXPECT_EQ(WallLevelColor(K), expected[K]) << K;
}

struct LabelCase {
  std::vector<TAcadPoint> contour;
  const char* angle;
};

TEST(WallIsochrones, ChainsOfATrimmedContourAreLabelledAlongTheLine) {
  const LabelCase cases[] = {
      // Out through the ground line and back up: the later chain starts up the wall.
      {{{2000, 1000}, {2000, -2000}, {6000, -2000}, {6000, 1000}}, "90.0000"},
      // Out through the top and back down: the later chain starts down the wall.
      {{{2000, 1000}, {2000, 8000}, {6000, 8000}, {6000, 1000}}, "270.0000"},
  };
  for (const LabelCase& c : cases) {
    std::vector<TTempPoint> contour;
    for (const TAcadPoint& p : c.contour) contour.push_back({0, p, ""});
    WallDiagramParameters params;
    params.textHeight = "250";
    params.textHeightValue = 250;
    DxfDocument doc;
    AppendWallContour(doc, contour, 5, 10000, 5000, params);
    EXPECT_EQ(CountItems(doc, "  0\r\nPOLYLINE\r\n  8\r\nVORN_HEKIMEN"), 2) << c.angle;
    EXPECT_EQ(CountItems(doc, " 62\r\n5"), 4) << c.angle;  // both lines and both labels
    EXPECT_EQ(CountItems(doc, "  1\r\n3.0Hr"), 2) << c.angle;
    EXPECT_EQ(CountItems(doc, " 50\r\n" + std::string(c.angle)), 2) << c.angle;
    EXPECT_EQ(CountItems(doc, " 40\r\n250"), 2);
  }
}

TEST(WallIsochrones, EightHourLevelShowsWhereTheWallIsShadedAllDay) {
  Workspace ws;
  // A long block 30 m high just south of a 40 m wall: its lower part is in shadow from 8 to
  // 16, the line of the whole period crossing the wall about 24 m up.
  ws.BuildingEdges = Prism(-100000, 0, 100000, 8000, 30000);
  SetSunState(ws.sun, SeasonDeclination(0), 35.683333 * kDeg, 90);
  ws.WallLine = Line({-10000, 18000, 40000}, {10000, 18000, 40000});
  WallIsochroneParameters params;
  params.firstHour = 8.0;
  params.lastHour = 16.0;
  params.stepItem = 2;
  NullMonitor monitor;
  std::string mesh, progress;
  const WallIsochroneView view{[&](const std::string& t) { mesh = t; },
                               [&](const std::string& t) { progress = t; }, [](int, int) {}};
  DxfDocument doc;
  EXPECT_EQ(DrawKabeTouji(ws, params, monitor, view, doc), WallIsochroneEnd::kDrawn);
  EXPECT_GE(CountItems(doc, "  1\r\n8.0Hr"), 1);
  EXPECT_EQ(mesh.rfind("ﾒｯｼｭｻｲｽﾞ : ", 0), 0u);
  EXPECT_EQ(progress.rfind("所要時間 : ", 0), 0u);
}

TEST_F(WallCommand, CancelledPickIsReportedAndSnapModeComesBack) {
  cad.host.Application()->ActiveDocument()->SetVariable("SNAPMODE", int32_t{1});
  cad.user.Cancel();
  form->Button5Click();
  EXPECT_NE(cad.host.PromptLog().find(kPromptWallPickFailed), std::string::npos);
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_EQ(
      cad::CadValueToDouble(cad.host.Application()->ActiveDocument()->GetVariable("SNAPMODE")),
      1.0);
}

TEST_F(WallCommand, PickThatIsNotALineDrawsNothing) {
  cad.user.Entity(HandleOn("text"));
  form->Button5Click();
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  EXPECT_TRUE(shell.messages.empty());
}

}  // namespace
}  // namespace vorn
