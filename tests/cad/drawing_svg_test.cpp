#include "cad/host/drawing_svg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "dxf/dxf_reader.h"
#include "geometry/point_ops.h"
#include "host_fixture.h"
#include "python_checks.h"

namespace vorn::cad::host {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ReadFile;
using testing::TempFolder;

// A prefix and a number, appended: a literal before a temporary string makes GCC 12's optimiser
// report a false overlap (-Wrestrict) inside std::string in Release builds.
std::string Numbered(std::string_view prefix, int number) {
  std::string text(prefix);
  text += std::to_string(number);
  return text;
}

// The HIDDEN2 pattern in millimetres, as the hidden line type files define it.
const dxf::LineType kHidden2{"HIDDEN2", "Hidden (.5x) _ _ _ _", 4.7625, {3.175, -1.5875}};

dxf::Entity MakeEntity(dxf::EntityData data, std::string layer = "0") {
  dxf::Entity entity;
  entity.common.layer = std::move(layer);
  entity.data = std::move(data);
  return entity;
}

dxf::Entity Coloured(dxf::Entity entity, int colour) {
  entity.common.colour = colour;
  return entity;
}

dxf::Entity LineFrom(double x1, double y1, double x2, double y2, std::string layer = "0") {
  return MakeEntity(dxf::Line{{x1, y1, 0}, {x2, y2, 0}}, std::move(layer));
}

dxf::Text TextAt(double x, double y, std::string text) {
  dxf::Text t;
  t.position = {x, y, 0};
  t.height = 2.5;
  t.text = std::move(text);
  return t;
}

void Add(HostDocument& document, dxf::Entity entity) {
  document.modelSpace.push_back(MakeHostEntity(document, std::move(entity)));
}

void AddBlock(HostDocument& document, std::string name, std::vector<dxf::Entity> entities) {
  HostBlock block;
  block.name = std::move(name);
  for (auto& entity : entities) block.entities.push_back(MakeHostEntity(document, entity));
  document.blocks.push_back(std::move(block));
}

dxf::Entity InsertOf(std::string block, TAcadPoint at, double scale = 1, double rotation = 0) {
  dxf::Insert insert;
  insert.blockName = std::move(block);
  insert.position = at;
  insert.scale = {scale, scale, scale};
  insert.rotation = rotation;
  return MakeEntity(insert);
}

// One entity of every kind the drawing model has, spread over (0,0)-(200,100).
HostDocument EveryKind() {
  HostDocument document = NewHostDocument();
  document.layers.push_back({"建物", 1, "CONTINUOUS", 0});
  Add(document, LineFrom(0, 0, 200, 100, "建物"));
  Add(document, MakeEntity(dxf::Circle{{50, 50, 0}, 10}));
  Add(document, MakeEntity(dxf::Arc{{100, 50, 0}, 10, 0, 90}));
  dxf::Ellipse ellipse;
  ellipse.centre = {150, 50, 0};
  ellipse.majorAxis = {20, 0, 0};
  ellipse.ratio = 0.5;
  Add(document, MakeEntity(ellipse));
  dxf::LwPolyline lw;
  lw.closed = true;
  lw.vertices = {{10, 80, 0.5}, {40, 80, 0}, {40, 95, 0}};
  Add(document, MakeEntity(lw));
  dxf::Polyline poly;
  poly.vertices = {{{60, 80, 0}, 1.0, 0}, {{80, 80, 0}, 0, 0}};
  Add(document, MakeEntity(poly));
  dxf::Polyline poly3d;
  poly3d.flags = 8;
  poly3d.vertices = {{{100, 80, 5}, 0, 32}, {{120, 90, 9}, 0, 32}};
  Add(document, MakeEntity(poly3d));
  Add(document, MakeEntity(TextAt(150, 85, "日影 <A&B>")));
  Add(document, MakeEntity(dxf::Point{{190, 10, 0}}));
  AddBlock(document, "MARK", {LineFrom(-5, 0, 5, 0), LineFrom(0, -5, 0, 5)});
  Add(document, InsertOf("MARK", {20, 20, 0}));
  return document;
}

std::string Render(const HostDocument& document, SvgOptions options = {}) {
  return RenderSvg(document, options);
}

std::vector<std::string> Captures(const std::string& text, const std::string& pattern) {
  std::vector<std::string> out;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it) {
    out.push_back((*it)[1].str());
  }
  return out;
}

// The stroke colours of the paths, in drawing order.
std::vector<std::string> PathColours(const std::string& svg) {
  return Captures(svg, "<path d=\"[^\"]*\" stroke=\"([^\"]*)\"");
}

std::vector<std::string> PathData(const std::string& svg) {
  return Captures(svg, "<path d=\"([^\"]*)\"");
}

struct P {
  double x, y;
};

// The points of a path's data; M, L and Z are the only commands the renderer writes.
std::vector<P> PathPoints(const std::string& d) {
  std::istringstream in(std::regex_replace(d, std::regex("[MLZ]"), " "));
  std::vector<P> points;
  for (double x, y; in >> x >> y;) points.push_back({x, y});
  return points;
}

// An independent check of the picture with Python's XML parser: the file must parse, and every
// path point and text position must lie inside the view box (after the y flip). Prints
// "paths N texts M" on success.
constexpr const char* kSvgCheck = R"PY(
import re, sys
import xml.etree.ElementTree as ET
ns = '{http://www.w3.org/2000/svg}'
root = ET.parse(sys.argv[1]).getroot()
assert root.tag == ns + 'svg', root.tag
x0, y0, w, h = map(float, root.get('viewBox').split())
def inside(x, y):
    # drawing y is flipped by the group's scale(1,-1)
    return x0 <= x <= x0 + w and y0 <= -y <= y0 + h
paths = root.iter(ns + 'path')
count = 0
for p in paths:
    count += 1
    nums = [float(v) for v in re.findall(r'[-+]?[0-9.]+(?:[eE][-+]?[0-9]+)?', p.get('d'))]
    for x, y in zip(nums[0::2], nums[1::2]):
        assert inside(x, y), ('outside', x, y, p.get('d'))
texts = list(root.iter(ns + 'text'))
for t in texts:
    m = [float(v) for v in t.get('transform')[7:-1].split()]
    assert inside(m[4], m[5]), ('text outside', t.get('transform'))
print('paths', count, 'texts', len(texts))
)PY";

std::string RunPython(const TempFolder& folder, const std::string& svg) {
  const auto script = folder.path() / "check_svg.py";
  const auto picture = folder.path() / "picture.svg";
  std::ofstream(script) << kSvgCheck;
  std::ofstream(picture, std::ios::binary) << svg;
  const std::string command =
      std::string(VORN_PYTHON) + " \"" + script.string() + "\" \"" + picture.string() + "\" 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  char buffer[512];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  return out;
}

TEST(AciColourTest, StandardPaletteValues) {
  struct Case {
    int aci;
    RgbColour rgb;
  };
  const Case cases[] = {
      {1, {255, 0, 0}},      {2, {255, 255, 0}},     {5, {0, 0, 255}},      {7, {255, 255, 255}},
      {8, {128, 128, 128}},  {9, {192, 192, 192}},   {10, {255, 0, 0}},     {11, {255, 127, 127}},
      {12, {204, 0, 0}},     {13, {204, 102, 102}},  {19, {76, 38, 38}},    {20, {255, 63, 0}},
      {21, {255, 159, 127}}, {30, {255, 127, 0}},    {31, {255, 191, 127}}, {50, {255, 255, 0}},
      {90, {0, 255, 0}},     {130, {0, 255, 255}},   {170, {0, 0, 255}},    {210, {255, 0, 255}},
      {240, {255, 0, 63}},   {249, {76, 38, 47}},    {250, {51, 51, 51}},   {255, {255, 255, 255}},
      {0, {255, 255, 255}},  {256, {255, 255, 255}}, {-3, {255, 255, 255}},
  };
  for (const auto& c : cases) EXPECT_EQ(AciColour(c.aci), c.rgb) << "ACI " << c.aci;
}

TEST(AciColourTest, ForegroundIsBlackOnTheWhitePicture) {
  EXPECT_EQ(SvgColour(7), "#000000");
  EXPECT_EQ(SvgColour(256), "#000000");
  EXPECT_EQ(SvgColour(1), "#ff0000");
  EXPECT_EQ(SvgColour(140), "#00bfff");
}

TEST(SvgDashArrayTest, Patterns) {
  struct Case {
    std::string name;
    std::vector<double> elements;
    double pixelsPerUnit;
    double ltScale;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {"large enough stays in drawing units", {10, -5}, 1.0, 1.0, {10, 5}},
      {"LTSCALE multiplies", {10, -5}, 1.0, 2.0, {20, 10}},
      {"too small is enlarged to the minimum", {3.175, -1.5875}, 0.016, 1.0, {500, 250}},
      {"leading gap moves to the end", {-5, 10}, 1.0, 1.0, {10, 5}},
      {"runs of one kind join", {10, 5, -5, -5}, 1.0, 1.0, {15, 10}},
      {"closing dash joins the first", {10, -5, 6}, 1.0, 1.0, {16, 5}},
      {"a dot keeps no length", {10, -5, 0, -5}, 1.0, 1.0, {10, 5, 0, 5}},
      {"no pattern is solid", {}, 1.0, 1.0, {}},
      {"only a dash is solid", {10}, 1.0, 1.0, {}},
      {"only dots and no gap length is solid", {0, 0}, 1.0, 1.0, {}},
      {"a broken value is solid", {10, -NAN}, 1.0, 1.0, {}},
      {"a broken scale is solid", {10, -5}, std::numeric_limits<double>::infinity(), 1.0, {}},
  };
  for (const auto& c : cases) {
    SvgOptions options;
    options.ltScale = c.ltScale;
    options.minDashPx = 4.0;
    const auto got = SvgDashArray({"T", "", 0, c.elements}, c.pixelsPerUnit, options);
    ASSERT_EQ(got.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1e-9) << c.name;
  }
}

TEST(RenderSvgTest, EveryKindParsesAndLiesInsideTheViewBox) {
  TempFolder folder;
  const std::string svg = Render(EveryKind());
  VORN_SKIP_WITHOUT_PYTHON();
  // 10 paths: line, circle, arc, ellipse, two polylines, 3D polyline, point, two block lines.
  EXPECT_EQ(RunPython(folder, svg), "paths 10 texts 1\n");
}

TEST(RenderSvgTest, ViewBoxIsTheExtentWithItsMargin) {
  HostDocument document = NewHostDocument();
  Add(document, LineFrom(1000, 2000, 11000, 7000));
  SvgOptions options;
  options.marginFraction = 0.1;
  const std::string svg = Render(document, options);
  EXPECT_THAT(svg, HasSubstr("viewBox=\"0 -8000 12000 7000\""));
  EXPECT_THAT(svg, HasSubstr("width=\"1600\" height=\"933\""));
  EXPECT_THAT(svg, HasSubstr("<g transform=\"scale(1,-1)\""));
  // 1 px at 12000 units over 1600 px, and kept at 1 px on zooming where renderers can.
  EXPECT_THAT(svg, HasSubstr("stroke-width=\"7.5\""));
  EXPECT_THAT(svg, HasSubstr("vector-effect: non-scaling-stroke; stroke-width: 1px"));
  EXPECT_THAT(svg, HasSubstr("class=\"solid\""));
}

TEST(RenderSvgTest, EmptyDrawingIsStillAPicture) {
  TempFolder folder;
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(RunPython(folder, Render(NewHostDocument())), "paths 0 texts 0\n");
}

TEST(RenderSvgTest, CurvesRunTheRightWay) {
  struct Case {
    std::string name;
    dxf::EntityData data;
    double minX, maxX, minY, maxY;
  };
  dxf::Ellipse half;
  half.majorAxis = {10, 0, 0};
  half.ratio = 0.5;
  half.startParam = 0;
  half.endParam = kPi;
  dxf::LwPolyline bulged;
  bulged.vertices = {{0, 0, 1.0}, {10, 0, 0}};
  dxf::LwPolyline bulgedBack;
  bulgedBack.vertices = {{0, 0, -1.0}, {10, 0, 0}};
  const Case cases[] = {
      {"arc 0-90 is the first quadrant", dxf::Arc{{0, 0, 0}, 10, 0, 90}, 0, 10, 0, 10},
      {"arc 270-0 crosses zero", dxf::Arc{{0, 0, 0}, 10, 270, 0}, 0, 10, -10, 0},
      {"half ellipse above the major axis", half, -10, 10, 0, 5},
      {"positive bulge runs counter-clockwise", bulged, 0, 10, -5, 0},
      {"negative bulge runs clockwise", bulgedBack, 0, 10, 0, 5},
  };
  for (const auto& c : cases) {
    HostDocument document = NewHostDocument();
    Add(document, MakeEntity(c.data));
    const auto paths = PathData(Render(document));
    ASSERT_EQ(paths.size(), 1u) << c.name;
    const auto points = PathPoints(paths[0]);
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (const auto& p : points) {
      minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    EXPECT_NEAR(minX, c.minX, 0.02) << c.name;
    EXPECT_NEAR(maxX, c.maxX, 0.02) << c.name;
    EXPECT_NEAR(minY, c.minY, 0.02) << c.name;
    EXPECT_NEAR(maxY, c.maxY, 0.02) << c.name;
  }
}

TEST(RenderSvgTest, ClosedShapesCloseTheirPath) {
  HostDocument document = NewHostDocument();
  dxf::LwPolyline square;
  square.closed = true;
  square.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
  Add(document, MakeEntity(square));
  dxf::Polyline open;
  open.vertices = {{{0, 0, 0}, 0, 0}, {{5, 5, 0}, 0, 0}};
  Add(document, MakeEntity(open));
  const auto paths = PathData(Render(document));
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0], "M0 0 L10 0 10 10 0 10 Z");
  EXPECT_EQ(paths[1], "M0 0 L5 5");
}

TEST(RenderSvgTest, DownwardExtrusionMirrorsX) {
  HostDocument document = NewHostDocument();
  dxf::Entity circle = MakeEntity(dxf::Circle{{10, 0, 0}, 1});
  circle.common.extrusion = {0, 0, -1};
  Add(document, circle);
  dxf::LwPolyline lw;
  lw.vertices = {{20, 5, 0}, {30, 5, 0}};
  dxf::Entity mirrored = MakeEntity(lw);
  mirrored.common.extrusion = {0, 0, -1};
  Add(document, mirrored);
  dxf::Entity text = MakeEntity(TextAt(10, 20, "R"));
  text.common.extrusion = {0, 0, -1};
  Add(document, text);
  const std::string svg = Render(document);
  const auto paths = PathData(svg);
  ASSERT_EQ(paths.size(), 2u);
  for (const auto& p : PathPoints(paths[0])) EXPECT_NEAR(p.x, -10, 1.001);
  EXPECT_EQ(paths[1], "M-20 5 L-30 5");
  EXPECT_THAT(svg, HasSubstr("matrix(-1 0 0 -1 -10 20)"));  // seen from below: mirrored
}

TEST(RenderSvgTest, PaperSpaceEntitiesAreNotDrawn) {
  HostDocument document = NewHostDocument();
  dxf::Entity onPaper = LineFrom(0, 0, 1, 1);
  onPaper.common.paperSpace = true;
  Add(document, onPaper);
  document.paperSpace.push_back(LineFrom(0, 0, 2, 2));
  Add(document, LineFrom(0, 0, 3, 3));
  EXPECT_EQ(PathData(Render(document)), std::vector<std::string>{"M0 0 L3 3"});
}

TEST(RenderSvgTest, InsertPlacesTheBlockWithScaleAndRotation) {
  HostDocument document = NewHostDocument();
  AddBlock(document, "BAR", {LineFrom(1, 0, 11, 0)});
  document.blocks.back().base = {1, 0, 0};
  Add(document, InsertOf("bar", {100, 50, 0}, 2, 90));  // block names in any letter case
  const auto paths = PathData(Render(document));
  ASSERT_EQ(paths.size(), 1u);
  const auto points = PathPoints(paths[0]);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_NEAR(points[0].x, 100, 1e-6);
  EXPECT_NEAR(points[0].y, 50, 1e-6);
  EXPECT_NEAR(points[1].x, 100, 1e-6);
  EXPECT_NEAR(points[1].y, 70, 1e-6);
}

TEST(RenderSvgTest, NestedInsertsCompose) {
  HostDocument document = NewHostDocument();
  AddBlock(document, "INNER", {LineFrom(0, 0, 1, 0)});
  AddBlock(document, "OUTER", {InsertOf("INNER", {10, 0, 0}, 1, 90)});
  Add(document, InsertOf("OUTER", {0, 0, 0}, 3, 0));
  const auto points = PathPoints(PathData(Render(document)).at(0));
  ASSERT_EQ(points.size(), 2u);
  EXPECT_NEAR(points[0].x, 30, 1e-6);
  EXPECT_NEAR(points[0].y, 0, 1e-6);
  EXPECT_NEAR(points[1].x, 30, 1e-6);
  EXPECT_NEAR(points[1].y, 3, 1e-6);
}

TEST(RenderSvgTest, ColoursResolveByLayerAndByBlock) {
  HostDocument document = NewHostDocument();
  document.layers.push_back({"RED", 1, "CONTINUOUS", 0});
  document.layers.push_back({"BLUE", 5, "CONTINUOUS", 0});
  Add(document, LineFrom(0, 0, 1, 0, "RED"));                 // BYLAYER: red
  Add(document, Coloured(LineFrom(0, 1, 1, 1, "RED"), 3));    // own colour: green
  Add(document, Coloured(LineFrom(0, 2, 1, 2, "RED"), 256));  // explicit BYLAYER: red
  Add(document, Coloured(LineFrom(0, 3, 1, 3), 0));           // BYBLOCK outside a block
  AddBlock(document, "B",
           {Coloured(LineFrom(0, 0, 1, 0), 0),  // BYBLOCK: the insert's
            LineFrom(0, 1, 1, 1),               // layer 0: the insert's layer
            LineFrom(0, 2, 1, 2, "RED"),        // its own layer
            Coloured(LineFrom(0, 3, 1, 3), 6)});
  dxf::Entity insert = Coloured(InsertOf("B", {10, 0, 0}), 30);
  insert.common.layer = "BLUE";
  Add(document, insert);
  dxf::Entity byLayerInsert = InsertOf("B", {20, 0, 0});
  byLayerInsert.common.layer = "BLUE";
  Add(document, byLayerInsert);
  EXPECT_THAT(PathColours(Render(document)),
              ElementsAre("#ff0000", "#00ff00", "#ff0000", "#000000",  //
                          "#ff7f00", "#0000ff", "#ff0000", "#ff00ff",  // orange insert
                          "#0000ff", "#0000ff", "#ff0000", "#ff00ff"));
}

TEST(RenderSvgTest, LayersThatAreOffAreNotDrawn) {
  HostDocument document = NewHostDocument();
  document.layers.push_back({"OFF", -1, "CONTINUOUS", 0});
  document.layers.push_back({"FROZEN", 2, "CONTINUOUS", 1});
  document.layers.push_back({"ON", 3, "CONTINUOUS", 0});
  Add(document, LineFrom(0, 0, 1, 0, "OFF"));
  Add(document, MakeEntity(TextAt(0, 0, "hidden"), "OFF"));
  Add(document, LineFrom(0, 0, 1, 0, "FROZEN"));
  AddBlock(document, "B", {LineFrom(0, 0, 1, 0), LineFrom(0, 1, 1, 1, "ON")});
  dxf::Entity insert = InsertOf("B", {0, 0, 0});
  insert.common.layer = "OFF";
  Add(document, insert);
  const std::string svg = Render(document);
  EXPECT_THAT(PathColours(svg), ElementsAre("#00ff00"));
  EXPECT_THAT(svg, Not(HasSubstr("hidden")));
}

TEST(RenderSvgTest, Hidden2LineGetsAVisibleDashArray) {
  HostDocument document = NewHostDocument();
  document.lineTypes.push_back(kHidden2);
  document.layers.push_back({"VORN_JIKOKU", 2, "HIDDEN2", 0});
  Add(document, LineFrom(0, 0, 100000, 0, "VORN_JIKOKU"));  // 100 m at 1600 px
  dxf::Entity own = LineFrom(0, 1000, 100000, 1000);
  own.common.lineType = "hidden2";
  Add(document, own);
  Add(document, LineFrom(0, 2000, 100000, 2000));  // layer 0 is CONTINUOUS
  const std::string svg = Render(document);
  const auto dashes = Captures(svg, "stroke-dasharray=\"([^\"]*)\"");
  ASSERT_EQ(dashes.size(), 2u);
  // The 3.175 mm dash is far below a pixel here; it is enlarged to the 4 px minimum.
  const double unitsPerPixel = 100000 * 1.06 / 1600;
  std::istringstream in(std::regex_replace(dashes[0], std::regex(","), " "));
  double dash = 0, gap = 0;
  in >> dash >> gap;
  EXPECT_NEAR(dash / unitsPerPixel, 4.0 * 2, 0.01);  // the gap is the shortest at 4 px
  EXPECT_NEAR(gap / unitsPerPixel, 4.0, 0.01);
  EXPECT_EQ(dashes[1], dashes[0]);
  EXPECT_EQ(Captures(svg, "(class=\"solid\")").size(), 1u);  // only the continuous line
}

TEST(RenderSvgTest, TextIsEscapedAndPlaced) {
  TempFolder folder;
  HostDocument document = NewHostDocument();
  Add(document, MakeEntity(TextAt(10, 20, "日影 <1> & \"2\" %%d %%c")));
  Add(document, MakeEntity(TextAt(30, 20, std::string("bad \xFF\xC3 byte\x01"))));
  const std::string svg = Render(document);
  EXPECT_THAT(svg, HasSubstr(">日影 &lt;1&gt; &amp; &quot;2&quot; ° ⌀</text>"));
  EXPECT_THAT(svg, HasSubstr(">bad \uFFFD\uFFFD byte </text>"));
  EXPECT_THAT(svg, HasSubstr("matrix(1 0 0 -1 10 20)"));
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(RunPython(folder, svg), "paths 0 texts 2\n");
}

TEST(RenderSvgTest, TextJustificationAndRotation) {
  struct Case {
    std::string name;
    int horizontal, vertical;
    std::string expected;
  };
  const Case cases[] = {
      {"left baseline at the first point", 0, 0, "matrix(0 1 1 0 10 20)\""},
      {"centre at the second point", 1, 0, "text-anchor=\"middle\""},
      {"right", 2, 0, "text-anchor=\"end\""},
      {"middle", 4, 0, "text-anchor=\"middle\" dominant-baseline=\"central\""},
      {"top", 0, 3, "dominant-baseline=\"text-before-edge\""},
      {"bottom", 0, 1, "dominant-baseline=\"text-after-edge\""},
  };
  for (const auto& c : cases) {
    HostDocument document = NewHostDocument();
    dxf::Text text = TextAt(10, 20, "T");
    text.alignment = {50, 60, 0};
    text.rotation = 90;
    text.horizontal = c.horizontal;
    text.vertical = c.vertical;
    Add(document, MakeEntity(text));
    const std::string svg = Render(document);
    EXPECT_THAT(svg, HasSubstr(c.expected)) << c.name;
    if (c.horizontal != 0 || c.vertical != 0) {
      EXPECT_THAT(svg, HasSubstr(" 50 60)")) << c.name;
    }
  }
}

TEST(RenderSvgTest, FittedTextSpansItsTwoPoints) {
  HostDocument document = NewHostDocument();
  dxf::Text text = TextAt(0, 0, "FIT");
  text.alignment = {30, 40, 0};
  text.horizontal = 5;
  Add(document, MakeEntity(text));
  const std::string svg = Render(document);
  EXPECT_THAT(svg, HasSubstr("matrix(0.6 0.8 0.8 -0.6 0 0)"));
  EXPECT_THAT(svg, HasSubstr("textLength=\"50\" lengthAdjust=\"spacingAndGlyphs\""));
}

TEST(RenderSvgTest, TitleIsEscaped) {
  SvgOptions options;
  options.title = "敷地 <案 A&B>";
  EXPECT_THAT(Render(EveryKind(), options), HasSubstr("<title>敷地 &lt;案 A&amp;B&gt;</title>"));
  EXPECT_THAT(Render(EveryKind()), Not(HasSubstr("<title>")));
}

TEST(RenderSvgTest, SelfReferencingBlocksEnd) {
  HostDocument document = NewHostDocument();
  AddBlock(document, "SELF", {LineFrom(0, 0, 1, 0), InsertOf("SELF", {1, 0, 0})});
  AddBlock(document, "A", {LineFrom(0, 0, 0, 1), InsertOf("B", {0, 1, 0})});
  AddBlock(document, "B", {LineFrom(0, 0, 1, 1), InsertOf("A", {1, 1, 0})});
  Add(document, InsertOf("SELF", {0, 0, 0}));
  Add(document, InsertOf("A", {5, 5, 0}));
  Add(document, InsertOf("MISSING", {5, 5, 0}));
  EXPECT_EQ(PathData(Render(document)).size(), 3u);
}

TEST(RenderSvgTest, BlocksThatMultiplyEnd) {
  // Sixteen levels of eight inserts each, ending in lines on a layer that is off: without a
  // limit on the work this would visit 8^16 entities.
  HostDocument document = NewHostDocument();
  document.layers.push_back({"OFF", -7, "CONTINUOUS", 0});
  AddBlock(document, "L16", {LineFrom(0, 0, 1, 0, "OFF")});
  for (int level = 15; level >= 0; --level) {
    std::vector<dxf::Entity> inserts;
    for (int i = 0; i < 8; ++i) {
      inserts.push_back(InsertOf(Numbered("L", level + 1), {double(i), 0, 0}));
    }
    AddBlock(document, Numbered("L", level), inserts);
  }
  Add(document, InsertOf("L0", {0, 0, 0}));
  Add(document, LineFrom(0, 0, 5, 5));
  EXPECT_EQ(PathData(Render(document)), std::vector<std::string>{"M0 0 L5 5"});
}

TEST(RenderSvgTest, BrokenNumbersAreLeftOut) {
  TempFolder folder;
  HostDocument document = NewHostDocument();
  Add(document, LineFrom(0, 0, NAN, 1));
  Add(document, MakeEntity(dxf::Circle{{0, 0, 0}, std::numeric_limits<double>::infinity()}));
  dxf::Entity zeroNormal = MakeEntity(dxf::Circle{{5, 5, 0}, 1});
  zeroNormal.common.extrusion = {0, 0, 0};
  Add(document, zeroNormal);
  Add(document, LineFrom(0, 0, 10, 10));
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(RunPython(folder, Render(document)), "paths 2 texts 0\n");
}

TEST(SaveSvgTest, WritesAndReplacesTheFile) {
  TempFolder folder;
  const auto path = folder.path() / "out.svg";
  std::ofstream(path) << "old";
  SaveSvg(EveryKind(), {}, path);
  EXPECT_EQ(ReadFile(path), Render(EveryKind()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(SaveSvgTest, FailureNamesThePathAndLeavesNothing) {
  TempFolder folder;
  const auto missing = folder.path() / "no such folder" / "out.svg";
  try {
    SaveSvg(EveryKind(), {}, missing);
    FAIL() << "no error";
  } catch (const SvgSaveError& error) {
    EXPECT_THAT(error.what(), HasSubstr("no such folder"));
  }
  EXPECT_THROW(SaveSvg(EveryKind(), {}, folder.path()), SvgSaveError);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

// The sample site of examples/ opens in the host with every entity read.
TEST(SampleSiteTest, OpensWithEveryLayerAndEntity) {
  const std::filesystem::path site =
      std::filesystem::path(VORN_SOURCE_DIR) / "examples" / "sample_site.dxf";
  ScriptedInteraction user;
  DxfDrawingFiles files;
  DrawingHost host(user, files);
  const OpenReport report = host.Open(site);
  EXPECT_TRUE(report.skippedEntities.empty());
  const HostDocument& document = host.Document();
  std::map<std::string, std::map<std::string, int>> counts;  // layer -> kind -> count
  for (const auto& entity : document.modelSpace) {
    ++counts[entity.entity.common.layer][DxfTypeOf(entity.entity)];
  }
  using Kinds = std::map<std::string, int>;
  EXPECT_EQ(counts["建物"], (Kinds{{"LWPOLYLINE", 3}, {"LINE", 1}}));
  EXPECT_EQ(counts["特定点"], (Kinds{{"CIRCLE", 5}, {"TEXT", 5}}));
  EXPECT_EQ(counts["測定点"], (Kinds{{"CIRCLE", 4}, {"TEXT", 4}}));
  EXPECT_EQ(counts["敷地"], (Kinds{{"LWPOLYLINE", 1}}));
  EXPECT_EQ(counts["隣地壁面"], (Kinds{{"LINE", 1}}));
  for (const char* name : {"建物", "特定点", "測定点", "敷地", "隣地壁面"}) {
    EXPECT_NE(FindLayer(document, name), nullptr) << name;
  }
  double tallest = 0;
  for (const auto& entity : document.modelSpace) {
    tallest = std::max(tallest, entity.entity.common.thickness);
  }
  EXPECT_EQ(tallest, 40000);

  TempFolder folder;
  SvgOptions options;
  options.title = "サンプル敷地";
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(RunPython(folder, RenderSvg(document, options)), "paths 18 texts 11\n");
}

}  // namespace
}  // namespace vorn::cad::host
