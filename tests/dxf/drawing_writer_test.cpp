#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dxf/code_page.h"
#include "dxf/dxf_document.h"
#include "dxf/dxf_reader.h"
#include "dxf/dxf_tags.h"
#include "dxf/number_format.h"
#include "test_files.h"

namespace vorn::dxf {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const std::filesystem::path kFixtures =
    std::filesystem::path(VORN_SOURCE_DIR) / "tests/dxf/fixtures";

using vorn::testing::ReadFile;
using vorn::testing::TempFolder;
using vorn::testing::WriteFile;

Entity MakeEntity(EntityData data, std::string handle = "", std::string layer = "0") {
  Entity entity;
  entity.common.handle = std::move(handle);
  entity.common.layer = std::move(layer);
  entity.data = std::move(data);
  return entity;
}

Drawing OneEntity(EntityData data, std::string codePage = "ANSI_932") {
  Drawing drawing;
  drawing.codePage = std::move(codePage);
  drawing.entities.push_back(MakeEntity(std::move(data), "1F"));
  return drawing;
}

// The file's lines as (code, value) pairs, the values decoded from CP932.
std::vector<std::pair<int, std::string>> Groups(const std::string& bytes) {
  std::vector<std::pair<int, std::string>> groups;
  for (const DxfTag& tag : ReadDxfTags(EncodingToUtf8(bytes, "CP932"))) {
    groups.emplace_back(tag.code, tag.value);
  }
  return groups;
}

// The groups of the first record of `type` up to the next group 0.
std::vector<std::pair<int, std::string>> RecordGroups(const std::string& bytes,
                                                      const std::string& type) {
  const auto groups = Groups(bytes);
  std::vector<std::pair<int, std::string>> record;
  for (size_t i = 0; i < groups.size(); ++i) {
    if (groups[i] != std::pair<int, std::string>{0, type}) continue;
    for (size_t j = i + 1; j < groups.size() && groups[j].first != 0; ++j) {
      record.push_back(groups[j]);
    }
    break;
  }
  return record;
}

// ---------------------------------------------------------------------------------------------
// The text

TEST(R12Text, HasTheR12FrameWithCrlfLineEndsAndAlignedGroupCodes) {
  Text text;
  text.text = "日影";
  const std::string bytes = WriteDrawingR12(OneEntity(text));
  EXPECT_THAT(bytes, StartsWith("  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\n"
                                "AC1009\r\n  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n"));
  EXPECT_THAT(bytes, ::testing::EndsWith("  0\r\nENDSEC\r\n  0\r\nEOF\r\n"));
  size_t lines = 0;
  for (size_t pos = bytes.find('\n'); pos != std::string::npos; pos = bytes.find('\n', pos + 1)) {
    ASSERT_GT(pos, 0u);
    EXPECT_EQ(bytes[pos - 1], '\r') << "bare LF at byte " << pos;
    ++lines;
  }
  EXPECT_EQ(lines % 2, 0u);
  for (const auto& [code, value] : Groups(bytes)) EXPECT_GE(code, 0);
  const std::vector<std::string> sections{"HEADER", "TABLES", "BLOCKS", "ENTITIES"};
  std::vector<std::string> found;
  const auto groups = Groups(bytes);
  for (size_t i = 0; i + 1 < groups.size(); ++i) {
    if (groups[i].second == "SECTION") found.push_back(groups[i + 1].second);
  }
  EXPECT_EQ(found, sections);
}

TEST(R12Text, LwPolylineBecomesA2DPolylineWithElevationThicknessBulgesAndClosedFlag) {
  LwPolyline polyline;
  polyline.elevation = 1200;
  polyline.closed = true;
  polyline.vertices = {{0, 0, 0.25}, {20, 0, 0}, {20, 10, 0}};
  Drawing drawing = OneEntity(polyline);
  drawing.entities[0].common.layer = "壁";
  drawing.entities[0].common.thickness = 3000;
  const std::string bytes = WriteDrawingR12(drawing);
  const std::string expected =
      "  0\r\nPOLYLINE\r\n  5\r\n1F\r\n  8\r\n壁\r\n 66\r\n     1\r\n 10\r\n0\r\n 20\r\n0\r\n"
      " 30\r\n1200\r\n 70\r\n     1\r\n 39\r\n3000\r\n"
      "  0\r\nVERTEX\r\n  5\r\n20\r\n  8\r\n壁\r\n 10\r\n0\r\n 20\r\n0\r\n 42\r\n0.25\r\n"
      "  0\r\nVERTEX\r\n  5\r\n21\r\n  8\r\n壁\r\n 10\r\n20\r\n 20\r\n0\r\n"
      "  0\r\nVERTEX\r\n  5\r\n22\r\n  8\r\n壁\r\n 10\r\n20\r\n 20\r\n10\r\n"
      "  0\r\nSEQEND\r\n  5\r\n23\r\n  8\r\n壁\r\n";
  EXPECT_THAT(bytes, HasSubstr(Utf8ToEncoding(expected, "CP932")));
}

TEST(R12Text, AMirroredLwPolylineKeepsItsNormalAndVertices) {
  Drawing drawing = OneEntity(LwPolyline{-4.5, false, {{1, 2, -0.5}, {3, 4, 0}}});
  drawing.entities[0].common.extrusion = {0, 0, -1};
  const Drawing back = ReadDxf(WriteDrawingR12(drawing));
  const Entity& entity = back.entities.at(0);
  EXPECT_EQ(entity.common.extrusion, (TAcadPoint{0, 0, -1}));
  const auto& polyline = std::get<Polyline>(entity.data);
  EXPECT_EQ(polyline.flags, 0);
  EXPECT_EQ(polyline.elevation, -4.5);
  ASSERT_EQ(polyline.vertices.size(), 2u);
  EXPECT_EQ(polyline.vertices[0].point, (TAcadPoint{1, 2, 0}));
  EXPECT_EQ(polyline.vertices[0].bulge, -0.5);
  EXPECT_EQ(polyline.vertices[1].point, (TAcadPoint{3, 4, 0}));
}

TEST(R12Text, TextKeepsEveryPlacementGroup) {
  Text text;
  text.position = {100, 200, 0};
  text.alignment = {150, 250, 0};
  text.height = 350;
  text.text = "日本語の文字";
  text.rotation = 30;
  text.widthFactor = 0.8;
  text.horizontal = 1;
  text.vertical = 2;
  text.style = "ROMAN";
  const auto record = RecordGroups(WriteDrawingR12(OneEntity(text)), "TEXT");
  const std::vector<std::pair<int, std::string>> expected{
      {5, "1F"},           {8, "0"},   {10, "100"},   {20, "200"},  {30, "0"},      {40, "350"},
      {1, "日本語の文字"}, {50, "30"}, {41, "0.8"},   {7, "ROMAN"}, {72, "     1"}, {11, "150"},
      {21, "250"},         {31, "0"},  {73, "     2"}};
  EXPECT_EQ(record, expected);
}

TEST(R12Text, OptionalGroupsAppearOnlyWhenSet) {
  Entity plain = MakeEntity(Line{{0, 0, 0}, {1, 0, 0}}, "A");
  Entity styled = plain;
  styled.common.handle = "B";
  styled.common.lineType = "DASHED";
  styled.common.colour = 256;
  styled.common.thickness = 2.5;
  styled.common.extrusion = {0, 0, -1};
  styled.common.paperSpace = true;
  Drawing drawing;
  drawing.entities = {plain, styled};
  const std::string bytes = WriteDrawingR12(drawing);
  const auto groups = Groups(bytes);
  auto lineRecord = [&](const std::string& handle) {
    std::vector<int> codes;
    for (size_t i = 0; i + 1 < groups.size(); ++i) {
      if (groups[i] != std::pair<int, std::string>{0, "LINE"} || groups[i + 1].second != handle) {
        continue;
      }
      for (size_t j = i + 1; j < groups.size() && groups[j].first != 0; ++j) {
        codes.push_back(groups[j].first);
      }
    }
    return codes;
  };
  EXPECT_EQ(lineRecord("A"), (std::vector<int>{5, 8, 10, 20, 30, 11, 21, 31}));
  EXPECT_EQ(lineRecord("B"),
            (std::vector<int>{5, 8, 6, 62, 67, 10, 20, 30, 11, 21, 31, 39, 210, 220, 230}));
}

TEST(R12Text, EveryNameTheEntitiesUseIsDefinedInTheTables) {
  Drawing drawing;
  drawing.layers = {Layer{"壁", 3, "HIDDEN2", 0}};
  Entity line = MakeEntity(Line{{0, 0, 0}, {1, 1, 0}}, "A", "NEW");
  line.common.lineType = "DOT";
  Text text;
  text.style = "ROMAN";
  drawing.entities = {line, MakeEntity(text, "B", "")};
  drawing.entities[1].common.lineType = "";
  const Drawing back = ReadDxf(WriteDrawingR12(drawing));
  std::vector<std::string> layers, lineTypes;
  for (const auto& layer : back.layers) layers.push_back(layer.name);
  for (const auto& lineType : back.lineTypes) lineTypes.push_back(lineType.name);
  EXPECT_EQ(layers, (std::vector<std::string>{"0", "壁", "NEW"}));
  EXPECT_THAT(lineTypes, ::testing::UnorderedElementsAre("HIDDEN2", "DOT", "CONTINUOUS"));
  EXPECT_EQ(back.entities[1].common.layer, "0");   // an empty layer name has no R12 form
  EXPECT_FALSE(back.entities[1].common.lineType);  // nor has an empty line type name
  EXPECT_THAT(RecordGroups(WriteDrawingR12(drawing), "STYLE"),
              ::testing::Contains(std::pair<int, std::string>{2, "STANDARD"}));
}

struct EscapeCase {
  const char* name;
  std::string text;
  std::string codePage;
  std::string stored;  // as the file holds it, in UTF-8 for comparison
  std::string readBack;
  friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }
};

class R12TextEncoding : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(R12TextEncoding, StoresWhatTheCodePageHoldsAndEscapesTheRest) {
  Text text;
  text.text = GetParam().text;
  const Drawing drawing = OneEntity(text, GetParam().codePage);
  const std::string bytes = WriteDrawingR12(drawing);
  const Drawing back = ReadDxf(bytes);
  const std::string encoding = EncodingForDwgCodePage(back.codePage);
  EXPECT_THAT(bytes, HasSubstr("  1\r\n" + Utf8ToEncoding(GetParam().stored, encoding) + "\r\n"));
  EXPECT_EQ(std::get<Text>(back.entities.at(0).data).text, GetParam().readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, R12TextEncoding,
    ::testing::Values(
        EscapeCase{"japanese_in_cp932", "時刻日影図", "ANSI_932", "時刻日影図", "時刻日影図"},
        EscapeCase{"accent_not_in_cp932", "café", "ANSI_932", "caf\\U+00E9", "café"},
        EscapeCase{"japanese_in_cp1252", "壁 é", "ANSI_1252", "\\U+58C1 é", "壁 é"},
        EscapeCase{"beyond_the_bmp", "\xF0\x9F\x98\x80", "ANSI_932", "\\U+D83D\\U+DE00",
                   "\xF0\x9F\x98\x80"},
        EscapeCase{"line_breaks", "two\r\nlines", "ANSI_932", "two  lines", "two  lines"},
        // A text holding an escape's shape literally keeps it: its backslash is escaped.
        EscapeCase{"literal_escape", "a\\U+0041 \\U+12 \\u+0041", "ANSI_932",
                   "a\\U+005CU+0041 \\U+12 \\u+0041", "a\\U+0041 \\U+12 \\u+0041"},
        EscapeCase{"unicode_page_uses_cp932", "日影", "UTF-8", "日影", "日影"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(R12Text, KeepsTheHeaderVariablesTheDrawingsUseDependsOn) {
  Drawing drawing;
  drawing.headerTexts = {{"$INSBASE", "1.5,2,3"},    {"$EXTMIN", "1e+20,1e+20,1e+20"},
                         {"$LIMMAX", "420.0,297.0"}, {"$LTSCALE", "10"},
                         {"$PDMODE", "3"},           {"$PDSIZE", "not a number"},
                         {"$TDCREATE", "2461385.4"}, {"$EXTMAX", "1,2"}};
  const Drawing back = ReadDxf(WriteDrawingR12(drawing));
  EXPECT_EQ(back.headerTexts.at("$INSBASE"), "1.5,2,3");
  EXPECT_EQ(back.headerTexts.at("$EXTMIN"), "1E20,1E20,1E20");
  EXPECT_EQ(back.headerTexts.at("$EXTMAX"), "1,2,0");
  EXPECT_EQ(back.headerTexts.at("$LIMMAX"), "420,297");
  EXPECT_EQ(back.headerTexts.at("$LTSCALE"), "10");
  EXPECT_EQ(back.headerTexts.at("$PDMODE"), "3");
  EXPECT_FALSE(back.headerTexts.contains("$PDSIZE"));
  EXPECT_FALSE(back.headerTexts.contains("$TDCREATE"));
}

TEST(R12Text, LeavesOutAnIntegerVariableItsGroupCannotHold) {
  for (const char* value : {"99999999999", "-32769", "32768", "2.5"}) {
    Drawing drawing;
    drawing.headerTexts = {{"$PDMODE", value}};
    EXPECT_FALSE(ReadDxf(WriteDrawingR12(drawing)).headerTexts.contains("$PDMODE")) << value;
  }
  for (const char* value : {"-32768", "32767"}) {
    Drawing drawing;
    drawing.headerTexts = {{"$PDMODE", value}};
    EXPECT_EQ(ReadDxf(WriteDrawingR12(drawing)).headerTexts.at("$PDMODE"), value);
  }
}

TEST(R12Text, HandlesStayUniqueAndTheSeedIsAboveThemAll) {
  Drawing drawing;
  for (const char* handle : {"A", "A", "", "zz", "1B", "FFFFFFFFFFFFFFFF"}) {
    drawing.entities.push_back(MakeEntity(Point{}, handle));
  }
  const R12Output output = WriteDrawingR12WithNotes(drawing);
  EXPECT_EQ(output.notes.handlesAssigned, 4);
  const Drawing back = ReadDxf(output.bytes);
  std::set<std::string> handles;
  for (const auto& entity : back.entities) handles.insert(entity.common.handle);
  EXPECT_EQ(handles.size(), 6u);
  EXPECT_EQ(back.entities[0].common.handle, "A");
  EXPECT_EQ(back.entities[4].common.handle, "1B");
  const unsigned long seed = std::stoul(back.headerTexts.at("$HANDSEED"), nullptr, 16);
  for (const auto& handle : handles) EXPECT_LT(std::stoul(handle, nullptr, 16), seed);
}

struct BadDrawingCase {
  const char* name;
  Drawing drawing;
  const char* message;
  friend void PrintTo(const BadDrawingCase& c, std::ostream* os) { *os << c.name; }
};

Drawing WithNan() { return OneEntity(Circle{{0, std::nan(""), 0}, 1}); }
Drawing WithInfiniteBulge() { return OneEntity(LwPolyline{0, false, {{0, 0, INFINITY}}}); }
Drawing WithBrokenUtf8() {
  Text text;
  text.text = "ab\xE6\x97";
  return OneEntity(text);
}
Drawing WithUnknownCodePage() { return OneEntity(Point{}, "ANSI_XYZ"); }
Drawing WithEndlessEllipse() { return OneEntity(Ellipse{{0, 0, 0}, {1, 0, 0}, 0.5, 0, INFINITY}); }

class UnwritableDrawing : public ::testing::TestWithParam<BadDrawingCase> {};

TEST_P(UnwritableDrawing, IsASaveErrorNamingTheProblem) {
  try {
    WriteDrawingR12(GetParam().drawing);
    FAIL() << "no error";
  } catch (const DxfSaveError& error) {
    EXPECT_THAT(error.what(), HasSubstr(GetParam().message));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnwritableDrawing,
    ::testing::Values(BadDrawingCase{"nan", WithNan(), "group 20 of CIRCLE 1F is not a finite"},
                      BadDrawingCase{"inf", WithInfiniteBulge(), "group 42"},
                      BadDrawingCase{"utf8", WithBrokenUtf8(), "not valid UTF-8"},
                      BadDrawingCase{"code_page", WithUnknownCodePage(), "ANSI_XYZ"},
                      BadDrawingCase{"ellipse", WithEndlessEllipse(), "not numbers"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Ellipses and layouts

struct EllipseCase {
  const char* name;
  Ellipse ellipse;
  TAcadPoint extrusion;
  bool closed;
  bool is3D;
  friend void PrintTo(const EllipseCase& c, std::ostream* os) { *os << c.name; }
};

class EllipseOutline : public ::testing::TestWithParam<EllipseCase> {};

// The polyline's vertices lie on the ellipse: in the axes (u, w) of the ellipse's plane every
// vertex satisfies (a/|major|)² + (b/(ratio·|major|))² = 1, and the first is at startParam.
TEST_P(EllipseOutline, IsAPolylineThroughPointsOfTheEllipse) {
  const EllipseCase& c = GetParam();
  Drawing drawing = OneEntity(c.ellipse);
  drawing.entities[0].common.extrusion = c.extrusion;
  const R12Output output = WriteDrawingR12WithNotes(drawing);
  EXPECT_EQ(output.notes.ellipsesAsPolylines, 1);
  const Drawing back = ReadDxf(output.bytes);
  const auto& polyline = std::get<Polyline>(back.entities.at(0).data);
  EXPECT_EQ((polyline.flags & 1) != 0, c.closed);
  EXPECT_EQ((polyline.flags & 8) != 0, c.is3D);
  EXPECT_EQ(back.entities[0].common.extrusion, (TAcadPoint{0, 0, 1}));
  ASSERT_GE(polyline.vertices.size(), 4u);
  const TAcadPoint& a = c.ellipse.majorAxis;
  const double major = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  const TAcadPoint& n = c.extrusion;
  const TAcadPoint w{n.y * a.z - n.z * a.y, n.z * a.x - n.x * a.z, n.x * a.y - n.y * a.x};
  for (const auto& vertex : polyline.vertices) {
    TAcadPoint p = vertex.point;
    if (!c.is3D) p.z = polyline.elevation;
    const TAcadPoint d{p.x - c.ellipse.centre.x, p.y - c.ellipse.centre.y,
                       p.z - c.ellipse.centre.z};
    const double along = (d.x * a.x + d.y * a.y + d.z * a.z) / (major * major);
    const double across = (d.x * w.x + d.y * w.y + d.z * w.z) / (major * major * c.ellipse.ratio);
    EXPECT_NEAR(along * along + across * across, 1.0, 1e-9);
    EXPECT_NEAR(d.x * n.x + d.y * n.y + d.z * n.z, 0.0, 1e-9);  // in the ellipse's plane
  }
  const TAcadPoint first = polyline.vertices.front().point;
  const double s = c.ellipse.startParam;
  EXPECT_NEAR(first.x, c.ellipse.centre.x + std::cos(s) * a.x + std::sin(s) * w.x * c.ellipse.ratio,
              1e-9);
  EXPECT_NEAR(first.y, c.ellipse.centre.y + std::cos(s) * a.y + std::sin(s) * w.y * c.ellipse.ratio,
              1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EllipseOutline,
    ::testing::Values(
        EllipseCase{"full",
                    Ellipse{{0, 0, 0}, {10, 0, 0}, 0.5, 0, 2 * std::numbers::pi},
                    {0, 0, 1},
                    true,
                    false},
        EllipseCase{"quarter_raised",
                    Ellipse{{5, 5, 300}, {0, 4, 0}, 0.25, 0, std::numbers::pi / 2},
                    {0, 0, 1},
                    false,
                    false},
        EllipseCase{
            "across_zero", Ellipse{{0, 0, 0}, {3, 4, 0}, 0.5, 5.5, 0.5}, {0, 0, 1}, false, false},
        EllipseCase{"whole_turns_apart",
                    Ellipse{{0, 0, 0}, {2, 0, 0}, 0.5, 1, 1 + 4 * std::numbers::pi},
                    {0, 0, 1},
                    true,
                    false},
        EllipseCase{
            "equal_parameters", Ellipse{{0, 0, 0}, {2, 0, 0}, 0.5, 1, 1}, {0, 0, 1}, true, false},
        EllipseCase{"tilted",
                    Ellipse{{1, 2, 3}, {0, 6, 8}, 0.5, 0, 2 * std::numbers::pi},
                    {1, 0, 0},
                    true,
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Layouts, ModelAndPaperSpaceBlocksTakeTheirR12NamesFurtherLayoutsAreNoted) {
  Drawing drawing;
  drawing.blocks = {Block{"*Model_Space", {}, 0, "0", {}}, Block{"*Paper_Space", {}, 0, "0", {}},
                    Block{"*Paper_Space0", {}, 0, "0", {MakeEntity(Point{}, "5")}},
                    Block{"B", {1, 2, 0}, 0, "0", {MakeEntity(Point{}, "6")}}};
  const R12Output output = WriteDrawingR12WithNotes(drawing);
  EXPECT_EQ(output.notes.layoutBlocksLeftOut, 1);
  EXPECT_EQ(output.notes.Describe(), "1 layout block(s) with entities left out");
  std::vector<std::string> names;
  for (const auto& block : ReadDxf(output.bytes).blocks) names.push_back(block.name);
  EXPECT_EQ(names, (std::vector<std::string>{"$Model_Space", "$Paper_Space", "B"}));
}

// ---------------------------------------------------------------------------------------------
// Round trips

Drawing ReadFixture(const char* name) { return ReadDxfFile(kFixtures / name); }

TEST(RoundTrip, AnR12DrawingComesBackUnchanged) {
  for (const char* name : {"r12_cp932.dxf", "r12_unicode_escapes.dxf"}) {
    SCOPED_TRACE(name);
    const Drawing original = ReadFixture(name);
    const R12Output output = WriteDrawingR12WithNotes(original);
    EXPECT_EQ(output.notes.Describe(), "");
    const Drawing back = ReadDxf(output.bytes);
    EXPECT_EQ(back.version, "AC1009");
    EXPECT_EQ(back.codePage, original.codePage);
    EXPECT_EQ(back.layers, original.layers);
    EXPECT_EQ(back.lineTypes, original.lineTypes);
    EXPECT_EQ(back.blocks, original.blocks);
    ASSERT_EQ(back.entities.size(), original.entities.size());
    for (size_t i = 0; i < back.entities.size(); ++i) {
      EXPECT_EQ(back.entities[i], original.entities[i]) << "entity " << i;
    }
  }
}

// What R12 cannot hold comes back in its R12 form; everything else is unchanged.
TEST(RoundTrip, LaterDrawingsComeBackInTheirR12Forms) {
  for (const char* name : {"r2000_cp932.dxf", "r2018_utf8.dxf"}) {
    SCOPED_TRACE(name);
    const Drawing original = ReadFixture(name);
    const R12Output output = WriteDrawingR12WithNotes(original);
    EXPECT_EQ(output.notes.ellipsesAsPolylines, 2);
    EXPECT_EQ(output.notes.Describe(), "2 ellipse(s) written as polylines");
    const Drawing back = ReadDxf(output.bytes);
    EXPECT_EQ(back.codePage, "ANSI_932");
    EXPECT_EQ(back.layers, original.layers);
    ASSERT_EQ(back.entities.size(), original.entities.size());
    for (size_t i = 0; i < back.entities.size(); ++i) {
      const Entity& before = original.entities[i];
      const Entity& after = back.entities[i];
      if (const auto* lw = std::get_if<LwPolyline>(&before.data)) {
        const auto& polyline = std::get<Polyline>(after.data);
        EXPECT_EQ(after.common, before.common);
        EXPECT_EQ(polyline.flags, lw->closed ? 1 : 0);
        EXPECT_EQ(polyline.elevation, lw->elevation);
        ASSERT_EQ(polyline.vertices.size(), lw->vertices.size());
        for (size_t k = 0; k < lw->vertices.size(); ++k) {
          EXPECT_EQ(polyline.vertices[k].point,
                    (TAcadPoint{lw->vertices[k].x, lw->vertices[k].y, 0}));
          EXPECT_EQ(polyline.vertices[k].bulge, lw->vertices[k].bulge);
        }
      } else if (std::holds_alternative<Ellipse>(before.data)) {
        EXPECT_TRUE(std::holds_alternative<Polyline>(after.data)) << "entity " << i;
        EXPECT_EQ(after.common.layer, before.common.layer);
        EXPECT_EQ(after.common.handle, before.common.handle);
      } else {
        EXPECT_EQ(after, before) << "entity " << i;
      }
    }
    std::vector<std::string> names;
    for (const auto& block : back.blocks) names.push_back(block.name);
    EXPECT_EQ(names, (std::vector<std::string>{"$Model_Space", "$Paper_Space", "窓"}));
    EXPECT_EQ(back.blocks[2], original.blocks[2]);
  }
}

// ---------------------------------------------------------------------------------------------
// An independent reader: ezdxf

struct PythonRun {
  int status = -1;
  std::string output;
};

PythonRun RunPython(const std::string& arguments) {
  PythonRun run;
  const std::string command = std::string(VORN_PYTHON) + " " + arguments + " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return run;
  std::array<char, 4096> buffer{};
  size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
    run.output.append(buffer.data(), read);
  }
  run.status = pclose(pipe.release());
  return run;
}

bool EzdxfAvailable() {
  if (std::string(VORN_PYTHON).empty()) return false;
  return RunPython("-c \"import ezdxf\"").status == 0;
}

std::string Num(double value) {
  const double rounded = std::round(value * 1e6) / 1e6;
  return FormatGeneral(rounded == 0.0 ? 0.0 : rounded);
}
std::string Pt(const TAcadPoint& p) { return Num(p.x) + " " + Num(p.y) + " " + Num(p.z); }

// The line ezdxf_check.py prints for an entity, from what our own reader read.
std::string Summary(const Entity& entity) {
  struct Visitor {
    std::string head;
    std::string operator()(const Line& l) const {
      return "LINE" + head + Pt(l.start) + " " + Pt(l.end);
    }
    std::string operator()(const Circle& c) const {
      return "CIRCLE" + head + Pt(c.centre) + " " + Num(c.radius);
    }
    std::string operator()(const Arc& a) const {
      return "ARC" + head + Pt(a.centre) + " " + Num(a.radius) + " " + Num(a.startAngle) + " " +
             Num(a.endAngle);
    }
    std::string operator()(const Point& p) const { return "POINT" + head + Pt(p.position); }
    std::string operator()(const Text& t) const {
      return "TEXT" + head + t.text + " " + Pt(t.position) + " " + Num(t.height) + " " +
             Num(t.rotation);
    }
    std::string operator()(const Insert& i) const {
      return "INSERT" + head + i.blockName + " " + Pt(i.position) + " " + Num(i.scale.x) + " " +
             Num(i.scale.y) + " " + Num(i.rotation);
    }
    std::string operator()(const Polyline& p) const {
      std::string text = "POLYLINE" + head + "flags=" + std::to_string(p.flags & 9) +
                         " elevation=" + Num(p.elevation);
      for (const auto& v : p.vertices) text += " [" + Pt(v.point) + " " + Num(v.bulge) + "]";
      return text;
    }
    std::string operator()(const LwPolyline&) const { return "LWPOLYLINE not in R12"; }
    std::string operator()(const Ellipse&) const { return "ELLIPSE not in R12"; }
  };
  const std::string head = " " + entity.common.layer + " t=" + Num(entity.common.thickness) + " ";
  return "entity " + std::visit(Visitor{head}, entity.data);
}

struct EzdxfCase {
  const char* fixture;
  bool recover;  // names with \U+ escapes: ezdxf decodes them only in its recover loader
  friend void PrintTo(const EzdxfCase& c, std::ostream* os) { *os << c.fixture; }
};

class EzdxfReadsOurR12 : public ::testing::TestWithParam<EzdxfCase> {};

TEST_P(EzdxfReadsOurR12, WithoutAuditErrorsAndSeesWhatWeSee) {
  if (!EzdxfAvailable()) GTEST_SKIP() << "python3 with ezdxf is not installed";
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "saved.dxf";
  SaveDrawingR12(ReadFixture(GetParam().fixture), file);
  const PythonRun run = RunPython((kFixtures / "ezdxf_check.py").string() + " " + file.string() +
                                  (GetParam().recover ? " recover" : ""));
  ASSERT_EQ(run.status, 0) << run.output;
  std::istringstream lines(run.output);
  std::vector<std::string> entities;
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with("entity ")) entities.push_back(line);
  }
  EXPECT_THAT(run.output, HasSubstr("version AC1009\nerrors 0\nfixes 0\n"));
  EXPECT_THAT(run.output, Not(HasSubstr("problem")));
  std::vector<std::string> ours;
  for (const auto& entity : ReadDxfFile(file).entities) ours.push_back(Summary(entity));
  EXPECT_EQ(entities, ours);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EzdxfReadsOurR12,
                         ::testing::Values(EzdxfCase{"r12_cp932.dxf", false},
                                           EzdxfCase{"r12_unicode_escapes.dxf", true},
                                           EzdxfCase{"r2000_cp932.dxf", false},
                                           EzdxfCase{"r2018_utf8.dxf", false}),
                         [](const auto& info) {
                           std::string name = info.param.fixture;
                           return name.substr(0, name.find('.'));
                         });

TEST(EzdxfReadsOurR12, ADrawingBuiltInMemoryNeedsNoFixes) {
  if (!EzdxfAvailable()) GTEST_SKIP() << "python3 with ezdxf is not installed";
  Drawing drawing;
  Entity line = MakeEntity(Line{{0, 0, 0}, {1, 1, 0}}, "", "NEW");
  line.common.lineType = "DOT";
  Text text;
  text.text = "天空率";
  text.style = "ROMAN";
  Entity ellipse = MakeEntity(Ellipse{{1, 2, 3}, {0, 6, 8}, 0.5, 0, 1}, "A");
  ellipse.common.extrusion = {1, 0, 0};
  drawing.entities = {line, MakeEntity(text, "A"), ellipse,
                      MakeEntity(Insert{"B", {5, 5, 0}, {1, 1, 1}, 0}, "")};
  drawing.blocks = {Block{"B", {0, 0, 0}, 0, "0", {MakeEntity(Point{}, "")}}};
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "built.dxf";
  const R12WriteNotes notes = SaveDrawingR12(drawing, file);
  EXPECT_EQ(notes.handlesAssigned, 4);
  const PythonRun run = RunPython((kFixtures / "ezdxf_check.py").string() + " " + file.string());
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_THAT(run.output, HasSubstr("errors 0\nfixes 0\n"));
  EXPECT_THAT(run.output, HasSubstr("entity TEXT 0 t=0 天空率"));
}

// ---------------------------------------------------------------------------------------------
// Saving

TEST(SaveDrawingR12, WritesTheR12TextAndReplacesAnOlderFile) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "drawing.dxf";
  WriteFile(file, "old");
  const Drawing drawing = ReadFixture("r12_cp932.dxf");
  SaveDrawingR12(drawing, file);
  EXPECT_EQ(ReadFile(file), WriteDrawingR12(drawing));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"drawing.dxf"}));
}

TEST(SaveDrawingR12, LeavesOtherFilesAloneEvenWithTheNameOfATemporaryFile) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "drawing.dxf";
  WriteFile(folder.path() / "drawing.dxf.tmp", "the user's own file");
  SaveDrawingR12(OneEntity(Point{}), file);
  EXPECT_EQ(ReadFile(folder.path() / "drawing.dxf.tmp"), "the user's own file");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"drawing.dxf", "drawing.dxf.tmp"}));
}

TEST(SaveDrawingR12, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "drawing.dxf";
  WriteFile(file, "old");
  EXPECT_THROW(SaveDrawingR12(WithNan(), file), DxfSaveError);
  EXPECT_EQ(ReadFile(file), "old");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"drawing.dxf"}));
}

TEST(SaveDrawingR12, AMissingFolderOrAFolderAsTargetIsASaveError) {
  TempFolder folder;
  EXPECT_THROW(SaveDrawingR12(OneEntity(Point{}), folder.path() / "no" / "drawing.dxf"),
               DxfSaveError);
  std::filesystem::create_directory(folder.path() / "taken.dxf");
  WriteFile(folder.path() / "taken.dxf" / "inside", "kept");
  EXPECT_THROW(SaveDrawingR12(OneEntity(Point{}), folder.path() / "taken.dxf"), DxfSaveError);
  EXPECT_EQ(ReadFile(folder.path() / "taken.dxf" / "inside"), "kept");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"taken.dxf"}));
}

}  // namespace
}  // namespace vorn::dxf
