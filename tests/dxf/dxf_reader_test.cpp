#include "dxf/dxf_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dxf/code_page.h"
#include "dxf/dxf_tags.h"
#include "test_files.h"

namespace vorn::dxf {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::filesystem::path kFixtures =
    std::filesystem::path(VORN_SOURCE_DIR) / "tests/dxf/fixtures";

using vorn::testing::ReadFile;
using vorn::testing::TempFolder;
using vorn::testing::WriteFile;

// A DXF text from lines joined by LF.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// A whole file whose ENTITIES section holds `entities` (already DXF lines).
std::string WithEntities(const std::vector<std::string>& entities,
                         const std::string& version = "AC1009",
                         const std::string& codePage = "ANSI_932") {
  std::vector<std::string> lines{"  0", "SECTION", "  2", "HEADER",       "  9", "$ACADVER",
                                 "  1", version,   "  9", "$DWGCODEPAGE", "  3", codePage,
                                 "  0", "ENDSEC",  "  0", "SECTION",      "  2", "ENTITIES"};
  lines.insert(lines.end(), entities.begin(), entities.end());
  lines.insert(lines.end(), {"  0", "ENDSEC", "  0", "EOF"});
  return Lines(lines);
}

const Entity& OnlyEntity(const Drawing& drawing) {
  EXPECT_EQ(drawing.entities.size(), 1u);
  static const Entity kNone{};
  return drawing.entities.empty() ? kNone : drawing.entities.front();
}

// ---------------------------------------------------------------------------------------------
// The tag layer

struct TagLayoutCase {
  const char* name;
  std::string bytes;
  friend void PrintTo(const TagLayoutCase& c, std::ostream* os) { *os << c.name; }
};

class TagLayout : public ::testing::TestWithParam<TagLayoutCase> {};

TEST_P(TagLayout, GivesTheSameTagsWhateverTheLineEndsAndBlanks) {
  const std::vector<DxfTag> tags = ReadDxfTags(GetParam().bytes);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0].code, 0);
  EXPECT_EQ(TrimmedValue(tags[0]), "LINE");
  EXPECT_EQ(tags[0].line, 1);
  EXPECT_EQ(tags[1].code, 10);
  EXPECT_DOUBLE_EQ(TagDouble(tags[1]), 1.5);
  EXPECT_EQ(tags[1].line, 3);
  EXPECT_EQ(tags[1].valueLine(), 4);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, TagLayout,
    ::testing::Values(TagLayoutCase{"lf", "  0\nLINE\n 10\n1.5\n"},
                      TagLayoutCase{"crlf", "  0\r\nLINE\r\n 10\r\n1.5\r\n"},
                      TagLayoutCase{"no_final_line_end", "  0\r\nLINE\r\n 10\r\n1.5"},
                      TagLayoutCase{"blanks_around_codes", "0  \nLINE\n\t10 \n1.5\n"},
                      TagLayoutCase{"trailing_blanks_in_values", "  0\nLINE  \n 10\n 1.5 \n"},
                      TagLayoutCase{"plus_sign", "  0\nLINE\n 10\n+1.5\n"},
                      TagLayoutCase{"utf8_byte_order_mark", "\xEF\xBB\xBF  0\nLINE\n 10\n1.5\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TagValues, TextKeepsItsBlanksAndNumbersAcceptTheUsualForms) {
  const std::vector<DxfTag> tags = ReadDxfTags("  1\n  two  words \n 40\n1e-3\n 70\n  1.0\n");
  EXPECT_EQ(tags[0].value, "  two  words ");
  EXPECT_DOUBLE_EQ(TagDouble(tags[1]), 0.001);
  EXPECT_EQ(TagInt(tags[2]), 1);
}

// ---------------------------------------------------------------------------------------------
// Drawings written by ezdxf

struct FixtureCase {
  const char* file;
  const char* version;
  const char* codePage;
  bool laterEntities;  // LWPOLYLINE, ELLIPSE, MTEXT and HATCH, which R12 does not have
  friend void PrintTo(const FixtureCase& c, std::ostream* os) { *os << c.file; }
};

class EzdxfFixture : public ::testing::TestWithParam<FixtureCase> {
 protected:
  void SetUp() override { drawing_ = ReadDxfFile(kFixtures / GetParam().file); }

  template <class T>
  const T& Data(size_t index) const {
    EXPECT_LT(index, drawing_.entities.size());
    return std::get<T>(drawing_.entities.at(index).data);
  }
  const EntityCommon& Common(size_t index) const { return drawing_.entities.at(index).common; }

  Drawing drawing_;
};

TEST_P(EzdxfFixture, ReadsVersionAndCodePage) {
  EXPECT_EQ(drawing_.version, GetParam().version);
  EXPECT_EQ(drawing_.codePage, GetParam().codePage);
  EXPECT_EQ(drawing_.headerTexts.at("$INSBASE"), "0.0,0.0,0.0");
  EXPECT_EQ(drawing_.headerTexts.at("$CLAYER"), "0");
}

TEST_P(EzdxfFixture, ReadsLayersWithJapaneseNames) {
  ASSERT_EQ(drawing_.layers.size(), 5u);
  EXPECT_EQ(drawing_.layers[2], (Layer{"壁", 3, "DASHED", 0}));
  EXPECT_EQ(drawing_.layers[3], (Layer{"屋根", -5, "Continuous", 0}));
  EXPECT_EQ(drawing_.layers[4], (Layer{"FROZEN", 7, "Continuous", 1}));
}

TEST_P(EzdxfFixture, ReadsLineTypePatterns) {
  const auto dashed = std::find_if(drawing_.lineTypes.begin(), drawing_.lineTypes.end(),
                                   [](const LineType& t) { return t.name == "DASHED"; });
  ASSERT_NE(dashed, drawing_.lineTypes.end());
  EXPECT_EQ(dashed->description, "Dashed __ __ __");
  EXPECT_DOUBLE_EQ(dashed->patternLength, 0.75);
  EXPECT_THAT(dashed->elements, ElementsAre(0.5, -0.25));
}

TEST_P(EzdxfFixture, ReadsBlocksWithBasePointAndEntities) {
  const auto window = std::find_if(drawing_.blocks.begin(), drawing_.blocks.end(),
                                   [](const Block& b) { return b.name == "窓"; });
  ASSERT_NE(window, drawing_.blocks.end());
  EXPECT_EQ(window->base, (TAcadPoint{1, 2, 0}));
  ASSERT_EQ(window->entities.size(), 2u);
  EXPECT_EQ(window->entities[0].common.layer, "壁");
  EXPECT_EQ(std::get<Line>(window->entities[0].data), (Line{{0, 0, 0}, {4, 0, 0}}));
  EXPECT_EQ(std::get<Circle>(window->entities[1].data), (Circle{{2, 2, 0}, 1.5}));
}

TEST_P(EzdxfFixture, ReadsLinesWithCommonProperties) {
  EXPECT_EQ(Data<Line>(0), (Line{{0, 0, 0}, {10, 0, 0}}));
  EXPECT_EQ(Common(0).layer, "壁");
  EXPECT_EQ(Common(0).lineType, "DASHED");
  EXPECT_EQ(Common(0).colour, 1);
  EXPECT_EQ(Common(0).thickness, 5.0);
  EXPECT_FALSE(Common(0).handle.empty());
  EXPECT_EQ(Data<Line>(1), (Line{{1, 2, 3}, {4, 5, 6}}));
  EXPECT_EQ(Common(1).extrusion, (TAcadPoint{0, 0.6, 0.8}));
  EXPECT_EQ(Common(1).lineType, std::nullopt);
  EXPECT_EQ(Common(1).colour, std::nullopt);
}

TEST_P(EzdxfFixture, ReadsCirclesAndArcs) {
  EXPECT_EQ(Data<Circle>(2), (Circle{{5, 5, 1}, 2.5}));
  EXPECT_EQ(Common(2).thickness, 3.0);
  EXPECT_EQ(Common(2).layer, "屋根");
  EXPECT_EQ(Data<Arc>(3), (Arc{{1, 2, 0}, 4, 30, 120}));
}

TEST_P(EzdxfFixture, Reads2DPolylineWithElevationThicknessBulgesAndClosedFlag) {
  const auto& polyline = Data<Polyline>(4);
  EXPECT_EQ(polyline.flags & 1, 1);
  EXPECT_EQ(polyline.flags & 8, 0);
  EXPECT_EQ(polyline.elevation, 3000.0);
  EXPECT_EQ(Common(4).thickness, 2500.0);
  ASSERT_EQ(polyline.vertices.size(), 4u);
  EXPECT_EQ(polyline.vertices[1].point, (TAcadPoint{10, 0, 0}));
  EXPECT_EQ(polyline.vertices[1].bulge, 0.5);
  EXPECT_EQ(polyline.vertices[2].bulge, 0.0);
}

TEST_P(EzdxfFixture, Reads3DPolylineVerticesWithTheirHeights) {
  const auto& polyline = Data<Polyline>(5);
  EXPECT_EQ(polyline.flags & 8, 8);
  ASSERT_EQ(polyline.vertices.size(), 3u);
  EXPECT_EQ(polyline.vertices[2].point, (TAcadPoint{5, 5, 2000}));
}

TEST_P(EzdxfFixture, ReadsJapaneseTextWithPlacement) {
  const auto& text = Data<Text>(6);
  EXPECT_EQ(text.text, "日本語の文字");
  EXPECT_EQ(text.position, (TAcadPoint{100, 200, 0}));
  EXPECT_EQ(text.alignment, (TAcadPoint{150, 250, 0}));
  EXPECT_EQ(text.height, 350.0);
  EXPECT_EQ(text.rotation, 30.0);
  EXPECT_EQ(text.widthFactor, 0.8);
  EXPECT_EQ(text.horizontal, 1);
  EXPECT_EQ(text.vertical, 2);
}

TEST_P(EzdxfFixture, ReadsInsertAndPoint) {
  const auto& insert = Data<Insert>(7);
  EXPECT_EQ(insert.blockName, "窓");
  EXPECT_EQ(insert.position, (TAcadPoint{1000, 2000, 0}));
  EXPECT_EQ(insert.scale, (TAcadPoint{2, 3, 1}));
  EXPECT_EQ(insert.rotation, 45.0);
  EXPECT_EQ(Data<Point>(8).position, (TAcadPoint{7, 8, 9}));
}

TEST_P(EzdxfFixture, ReadsLaterEntitiesAndReportsTheUnknownOnes) {
  if (!GetParam().laterEntities) {
    EXPECT_EQ(drawing_.entities.size(), 9u);
    EXPECT_TRUE(drawing_.skippedEntities.empty());
    EXPECT_EQ(SkippedEntitiesNote(drawing_), "");
    return;
  }
  ASSERT_EQ(drawing_.entities.size(), 12u);
  const auto& polyline = Data<LwPolyline>(9);
  EXPECT_TRUE(polyline.closed);
  EXPECT_EQ(polyline.elevation, 1200.0);
  EXPECT_EQ(Common(9).thickness, 3000.0);
  ASSERT_EQ(polyline.vertices.size(), 3u);
  EXPECT_EQ(polyline.vertices[0].bulge, 0.25);
  EXPECT_EQ(polyline.vertices[2].x, 20.0);
  EXPECT_EQ(polyline.vertices[2].y, 10.0);
  const auto& full = Data<Ellipse>(10);
  EXPECT_EQ(full.majorAxis, (TAcadPoint{10, 0, 0}));
  EXPECT_EQ(full.ratio, 0.5);
  EXPECT_NEAR(full.endParam - full.startParam, 2 * 3.141592653589793, 1e-12);
  const auto& quarter = Data<Ellipse>(11);
  EXPECT_EQ(quarter.centre, (TAcadPoint{5, 5, 0}));
  EXPECT_NEAR(quarter.endParam, 3.141592653589793 / 2, 1e-12);
  EXPECT_EQ(drawing_.skippedEntities, (std::map<std::string, int>{{"HATCH", 1}, {"MTEXT", 2}}));
  EXPECT_EQ(SkippedEntitiesNote(drawing_), "1 HATCH, 2 MTEXT not read");
}

INSTANTIATE_TEST_SUITE_P(
    Versions, EzdxfFixture,
    ::testing::Values(FixtureCase{"r12_cp932.dxf", "AC1009", "ANSI_932", false},
                      FixtureCase{"r12_unicode_escapes.dxf", "AC1009", "ANSI_1252", false},
                      FixtureCase{"r2000_cp932.dxf", "AC1015", "ANSI_932", true},
                      FixtureCase{"r2018_utf8.dxf", "AC1032", "ANSI_932", true}),
    [](const auto& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('.'));
    });

// ---------------------------------------------------------------------------------------------
// Text decoding

TEST(TextDecoding, R12TextIsDecodedFromItsCodePage) {
  const std::string bytes = Utf8ToEncoding(
      WithEntities({"  0", "TEXT", "  8", "日影", "  1", "時刻日影図 ９時"}), "CP932");
  const Drawing drawing = ReadDxf(bytes);
  const Entity& entity = OnlyEntity(drawing);
  EXPECT_EQ(entity.common.layer, "日影");
  EXPECT_EQ(std::get<Text>(entity.data).text, "時刻日影図 ９時");
}

TEST(TextDecoding, FilesWithoutCodePageAreTakenAsTheCadsCodePage) {
  // The diagram files the program writes carry $ACADVER only.
  const std::string bytes =
      Utf8ToEncoding(Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1", "天空率",
                            "  0", "ENDSEC", "  0", "EOF"}),
                     "CP932");
  EXPECT_EQ(std::get<Text>(OnlyEntity(ReadDxf(bytes)).data).text, "天空率");
}

TEST(TextDecoding, LaterVersionsStoreUtf8WhateverTheCodePage) {
  const Drawing drawing =
      ReadDxf(WithEntities({"  0", "TEXT", "  1", "壁面 é"}, "AC1027", "ANSI_1252"));
  EXPECT_EQ(std::get<Text>(OnlyEntity(drawing).data).text, "壁面 é");
}

TEST(TextDecoding, R2004UsesTheCodePageToo) {
  const std::string bytes =
      Utf8ToEncoding(WithEntities({"  0", "TEXT", "  1", "é"}, "AC1018", "ANSI_1252"), "CP1252");
  EXPECT_EQ(std::get<Text>(OnlyEntity(ReadDxf(bytes)).data).text, "é");
}

struct EscapeCase {
  const char* stored;
  const char* expected;
  friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.stored; }
};

class UnicodeEscapes : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(UnicodeEscapes, AreDecoded) {
  const Drawing drawing = ReadDxf(WithEntities({"  0", "TEXT", "  1", GetParam().stored}));
  EXPECT_EQ(std::get<Text>(OnlyEntity(drawing).data).text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, UnicodeEscapes,
    ::testing::Values(EscapeCase{"\\U+65E5\\U+5F71", "日影"}, EscapeCase{"\\U+58c1", "壁"},
                      EscapeCase{"a\\U+00E9b", "aéb"},
                      EscapeCase{"\\U+D83D\\U+DE00", "\xF0\x9F\x98\x80"},  // a pair
                      EscapeCase{"\\U+D83D alone", "\\U+D83D alone"},      // lone surrogate
                      EscapeCase{"\\U+12G4", "\\U+12G4"},                  // not hex
                      EscapeCase{"\\U+12", "\\U+12"}));                    // too short

TEST(TextDecoding, BytesThatAreNotTheCodePageGiveTheirLine) {
  const std::string bytes = WithEntities({"  0", "TEXT", "  1", "\x81"});  // half a CP932 pair
  try {
    ReadDxf(bytes);
    FAIL() << "no error";
  } catch (const DxfReadError& error) {
    EXPECT_EQ(error.line(), 22);
    EXPECT_THAT(error.what(), HasSubstr("CP932"));
  }
}

// ---------------------------------------------------------------------------------------------
// What the reader leaves out, and what does not confuse it

TEST(UnknownEntities, AreCountedPerKindWhereverTheyStand) {
  const std::string bytes =
      Lines({"  0", "SECTION", "  2", "BLOCKS",   "  0", "BLOCK", "  2", "B",      " 10", "0",
             " 20", "0",       "  0", "SOLID",    "  0", "LINE",  "  0", "ENDBLK", "  0", "ENDSEC",
             "  0", "SECTION", "  2", "ENTITIES", "  0", "HATCH", "  8", "0",      "  0", "3DFACE",
             "  0", "HATCH",   "  0", "ENDSEC",   "  0", "EOF"});
  const Drawing drawing = ReadDxf(bytes);
  EXPECT_EQ(drawing.skippedEntities,
            (std::map<std::string, int>{{"3DFACE", 1}, {"HATCH", 2}, {"SOLID", 1}}));
  ASSERT_EQ(drawing.blocks.size(), 1u);
  EXPECT_EQ(drawing.blocks[0].entities.size(), 1u);
  EXPECT_EQ(SkippedEntitiesNote(drawing), "1 3DFACE, 2 HATCH, 1 SOLID not read");
}

TEST(UnknownEntities, AttributesOfAnInsertAreCountedAndTheirSequenceEnds) {
  const Drawing drawing =
      ReadDxf(WithEntities({"  0", "INSERT", "  2", "B", " 66", "1", "  0", "ATTRIB", "  1", "x",
                            "  0", "ATTRIB", "  0", "SEQEND", "  0", "POINT", " 10", "3"}));
  ASSERT_EQ(drawing.entities.size(), 2u);
  EXPECT_EQ(std::get<Insert>(drawing.entities[0].data).blockName, "B");
  EXPECT_EQ(std::get<Point>(drawing.entities[1].data).position.x, 3.0);
  EXPECT_EQ(drawing.skippedEntities, (std::map<std::string, int>{{"ATTRIB", 2}}));
}

TEST(UnknownEntities, MeshPolylinesAreSurfacesAndReportedAsSuch) {
  const Drawing drawing = ReadDxf(WithEntities(
      {"  0", "POLYLINE", " 70", "64",     "  0", "VERTEX",   " 10", "1",  "  0", "VERTEX",
       " 70", "128",      "  0", "SEQEND", "  0", "POLYLINE", " 70", "16", "  0", "SEQEND"}));
  EXPECT_TRUE(drawing.entities.empty());
  EXPECT_EQ(drawing.skippedEntities, (std::map<std::string, int>{{"POLYLINE (polyface mesh)", 1},
                                                                 {"POLYLINE (polygon mesh)", 1}}));
}

TEST(OtherProgramsData, ApplicationGroupsAndExtendedDataDoNotOverrideTheEntity) {
  const Drawing drawing =
      ReadDxf(WithEntities({"  0",  "LINE",       "  5",  "2F",  "102",  "{ACAD_REACTORS",
                            "330",  "1F",         " 10",  "99",  "102",  "}",
                            "100",  "AcDbEntity", "  8",  "L",   "100",  "AcDbLine",
                            " 10",  "1",          " 20",  "2",   " 30",  "3",
                            " 11",  "4",          " 21",  "5",   " 31",  "6",
                            "999",  "a comment",  "1001", "APP", "1010", "77",
                            "1020", "88",         "1040", "9"}));
  const Entity& entity = OnlyEntity(drawing);
  EXPECT_EQ(entity.common.handle, "2F");
  EXPECT_EQ(entity.common.layer, "L");
  EXPECT_EQ(std::get<Line>(entity.data), (Line{{1, 2, 3}, {4, 5, 6}}));
}

TEST(Polylines, LwPolylineVerticesKeepTheirOwnGroupsAmongWidthsAndIds) {
  const Drawing drawing = ReadDxf(WithEntities(
      {"  0",  "LWPOLYLINE", "100", "AcDbPolyline", " 90", "2",   " 70", "129", " 43", "0",   " 38",
       "-4.5", " 39",        "12",  " 10",          "1",   " 20", "2",   " 91", "7",   " 40", "0.5",
       " 41",  "0.5",        " 42", "-0.5",         " 10", "3",   " 20", "4",   " 91", "8",   "210",
       "0",    "220",        "0",   "230",          "-1"},
      "AC1015"));
  const Entity& entity = OnlyEntity(drawing);
  const auto& polyline = std::get<LwPolyline>(entity.data);
  EXPECT_TRUE(polyline.closed);
  EXPECT_EQ(polyline.elevation, -4.5);
  EXPECT_EQ(entity.common.thickness, 12.0);
  EXPECT_EQ(entity.common.extrusion, (TAcadPoint{0, 0, -1}));
  ASSERT_EQ(polyline.vertices.size(), 2u);
  EXPECT_EQ(polyline.vertices[0].x, 1.0);
  EXPECT_EQ(polyline.vertices[0].y, 2.0);
  EXPECT_EQ(polyline.vertices[0].bulge, -0.5);
  EXPECT_EQ(polyline.vertices[1].x, 3.0);
  EXPECT_EQ(polyline.vertices[1].y, 4.0);
  EXPECT_EQ(polyline.vertices[1].bulge, 0.0);
}

TEST(Polylines, AMissingSeqendEndsTheVerticesAtTheNextEntity) {
  const Drawing drawing = ReadDxf(
      WithEntities({"  0", "POLYLINE", " 66", "1", "  0", "VERTEX", " 10", "1",  " 20", "2",
                    "  0", "VERTEX",   " 10", "3", " 20", "4",      " 42", "-1", "  0", "LINE"}));
  ASSERT_EQ(drawing.entities.size(), 2u);
  const auto& polyline = std::get<Polyline>(drawing.entities[0].data);
  ASSERT_EQ(polyline.vertices.size(), 2u);
  EXPECT_EQ(polyline.vertices[1].bulge, -1.0);
  EXPECT_TRUE(std::holds_alternative<Line>(drawing.entities[1].data));
}

TEST(Sections, UnknownSectionsAndTablesAreSkipped) {
  const Drawing drawing = ReadDxf(Lines({"999",           "written by hand",
                                         "  0",           "SECTION",
                                         "  2",           "CLASSES",
                                         "  0",           "CLASS",
                                         "  1",           "X",
                                         "  0",           "ENDSEC",
                                         "  0",           "SECTION",
                                         "  2",           "TABLES",
                                         "  0",           "TABLE",
                                         "  2",           "STYLE",
                                         " 70",           "1",
                                         "  0",           "STYLE",
                                         "  2",           "S",
                                         "  0",           "ENDTAB",
                                         "  0",           "TABLE",
                                         "  2",           "LAYER",
                                         "  0",           "LAYER",
                                         "  2",           "A",
                                         " 62",           "4",
                                         "  0",           "ENDTAB",
                                         "  0",           "ENDSEC",
                                         "  0",           "SECTION",
                                         "  2",           "OBJECTS",
                                         "  0",           "DICTIONARY",
                                         "  0",           "ENDSEC",
                                         "  0",           "EOF",
                                         "text after EOF"}));
  ASSERT_EQ(drawing.layers.size(), 1u);
  EXPECT_EQ(drawing.layers[0], (Layer{"A", 4, "CONTINUOUS", 0}));
  EXPECT_TRUE(drawing.entities.empty());
}

// ---------------------------------------------------------------------------------------------
// Malformed files

struct MalformedCase {
  const char* name;
  std::string bytes;
  int line;
  const char* message;
  friend void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }
};

class MalformedFile : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedFile, GivesAReadErrorAtTheRightLine) {
  try {
    ReadDxf(GetParam().bytes);
    FAIL() << "no error";
  } catch (const DxfReadError& error) {
    EXPECT_EQ(error.line(), GetParam().line) << error.what();
    EXPECT_THAT(error.what(), HasSubstr(GetParam().message));
  }
}

std::string Garbage() {
  std::mt19937 random(7);
  std::string bytes;
  for (int i = 0; i < 4000; ++i) bytes.push_back(static_cast<char>(random() & 0xFF));
  return bytes;
}

// Lines 1-14 are the header of WithEntities, 15-18 open ENTITIES.
INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedFile,
    ::testing::Values(
        MalformedCase{"empty", "", 1, "empty"},
        MalformedCase{"binary_dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), 1, "binary"},
        MalformedCase{"garbage", Garbage(), 1, "group code"},
        MalformedCase{"code_not_integer", Lines({"  0", "SECTION", "xx", "HEADER"}), 3,
                      "group code"},
        MalformedCase{"odd_line_count", Lines({"  0", "SECTION", "  2", "ENTITIES", "  0"}), 5,
                      "no value line"},
        MalformedCase{"number_expected", WithEntities({"  0", "LINE", " 10", "abc"}), 22,
                      "needs a number, found \"abc\""},
        MalformedCase{"number_with_tail", WithEntities({"  0", "CIRCLE", " 40", "2.5mm"}), 22,
                      "needs a number"},
        MalformedCase{"not_finite", WithEntities({"  0", "POINT", " 10", "nan"}), 22,
                      "needs a number"},
        MalformedCase{"integer_expected", WithEntities({"  0", "LINE", " 62", "red"}), 22,
                      "needs a number"},
        MalformedCase{"fraction_for_integer", WithEntities({"  0", "LINE", " 62", "1.5"}), 22,
                      "needs an integer"},
        MalformedCase{"lwpolyline_y_first", WithEntities({"  0", "LWPOLYLINE", " 20", "1"}), 21,
                      "before its group 10"},
        MalformedCase{"truncated_in_entities",
                      Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "LINE", " 10", "1"}), 8,
                      "ends inside the ENTITIES section"},
        MalformedCase{"missing_eof", Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "ENDSEC"}),
                      6, "without EOF"},
        MalformedCase{"missing_endsec",
                      Lines({"  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER", "  1", "AC1009",
                             "  0", "SECTION", "  2", "ENTITIES"}),
                      9, "has no ENDSEC"},
        MalformedCase{"entity_outside_section", Lines({"  0", "LINE", "  0", "EOF"}), 1,
                      "SECTION or EOF expected"},
        MalformedCase{"section_without_name", Lines({"  0", "SECTION", "  0", "ENDSEC"}), 1,
                      "without its name"},
        MalformedCase{"block_without_endblk",
                      Lines({"  0", "SECTION", "  2", "BLOCKS", "  0", "BLOCK", "  2", "B", "  0",
                             "LINE", "  0", "ENDSEC", "  0", "EOF"}),
                      11, "block B"},
        MalformedCase{"table_without_endtab",
                      Lines({"  0", "SECTION", "  2", "TABLES", "  0", "TABLE", "  2", "LAYER",
                             "  0", "LAYER", "  2", "A", "  0", "ENDSEC", "  0", "EOF"}),
                      13, "no ENDTAB"},
        MalformedCase{"unknown_code_page", WithEntities({}, "AC1015", "ANSI_XYZ"), 12,
                      "unknown code page ANSI_XYZ"},
        // Named like a code page but unknown to the converter: refused on opening, not when
        // the drawing is saved or its first non-ASCII text is read.
        MalformedCase{"code_page_the_converter_lacks", WithEntities({}, "AC1015", "ANSI_9491252"),
                      12, "unknown code page ANSI_9491252"},
        MalformedCase{"code_page_lacking_in_a_unicode_drawing",
                      WithEntities({}, "AC1032", "CP99999"), 12, "unknown code page CP99999"},
        MalformedCase{
            "ellipse_beyond_the_numbers",
            WithEntities({"  0", "ELLIPSE", " 10", "1e308", " 11", "1e308", " 40", "1"}, "AC1015"),
            19, "ELLIPSE reaches beyond the range of numbers"},
        MalformedCase{"stray_group_in_entities",
                      Lines({"  0", "SECTION", "  2", "ENTITIES", " 10", "1"}), 5,
                      "an entity (group 0) was expected"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every cut of a real drawing is either an error with a line inside the file or, at the end,
// the drawing itself; none crashes or hangs.
TEST(MalformedFile, EveryTruncationOfADrawingIsAReadError) {
  const std::string bytes = ReadFile(kFixtures / "r2000_cp932.dxf");
  int lines = 0;
  for (size_t pos = bytes.find('\n'); pos != std::string::npos; pos = bytes.find('\n', pos + 1)) {
    ++lines;
    const std::string cut = bytes.substr(0, pos + 1);
    if (pos + 1 == bytes.size()) break;
    try {
      ReadDxf(cut);
      ADD_FAILURE() << "the first " << lines << " lines were read as a whole drawing";
    } catch (const DxfReadError& error) {
      EXPECT_GE(error.line(), 1);
      EXPECT_LE(error.line(), lines);
    }
  }
  EXPECT_NO_THROW(ReadDxf(bytes));
}

TEST(MalformedFile, DamagedBytesGiveAReadErrorOrADrawingButNothingElse) {
  const std::string original = ReadFile(kFixtures / "r12_cp932.dxf");
  std::mt19937 random(2024);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = original;
    for (int k = 0; k < 4; ++k) {
      bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
    }
    try {
      ReadDxf(bytes);
    } catch (const DxfReadError& error) {
      EXPECT_GE(error.line(), 1);
    }
  }
}

TEST(ReadDxfFile, AMissingFileIsNamedWithLineZero) {
  const TempFolder temp;
  const std::filesystem::path path = temp / "no-such.dxf";
  try {
    ReadDxfFile(path);
    FAIL() << "no error";
  } catch (const DxfReadError& error) {
    EXPECT_EQ(error.line(), 0);
    EXPECT_THAT(error.what(), HasSubstr(path.string()));
  }
}

TEST(ReadDxfFile, ErrorsInsideTheFileNameTheFileAndKeepTheLine) {
  const TempFolder temp;
  const std::filesystem::path path = temp / "broken.dxf";
  WriteFile(path, WithEntities({"  0", "LINE", " 10", "abc"}));
  try {
    ReadDxfFile(path);
    ADD_FAILURE() << "no error";
  } catch (const DxfReadError& error) {
    EXPECT_EQ(error.line(), 22);
    EXPECT_THAT(error.what(), HasSubstr(path.filename().string()));
  }
}

}  // namespace
}  // namespace vorn::dxf
