// Saving a drawing the host opened: what the session did not touch stays exactly as read, what
// it changed or added is written in the file's version and code page, what it deleted is gone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dxf/code_page.h"
#include "dxf/dxf_reader.h"
#include "host_fixture.h"

namespace vorn::cad::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string Crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// A small R2000 drawing: a HATCH the host does not model, a LINE with reactors and extended
// data, a second LINE, a block with its block record, and an OBJECTS section.
const std::vector<std::string> kHeader = {
    "  0", "SECTION",   "  2", "HEADER",       "  9", "$ACADVER",
    "  1", "AC1015",    "  9", "$DWGCODEPAGE", "  3", "ANSI_932",
    "  9", "$HANDSEED", "  5", "40",           "  0", "ENDSEC"};
const std::vector<std::string> kTables = {"  0", "SECTION",
                                          "  2", "TABLES",
                                          "  0", "TABLE",
                                          "  2", "LAYER",
                                          "  5", "2",
                                          "330", "0",
                                          "100", "AcDbSymbolTable",
                                          " 70", "1",
                                          "  0", "LAYER",
                                          "  5", "10",
                                          "330", "2",
                                          "100", "AcDbSymbolTableRecord",
                                          "100", "AcDbLayerTableRecord",
                                          "  2", "0",
                                          " 70", "0",
                                          " 62", "7",
                                          "  6", "CONTINUOUS",
                                          "  0", "ENDTAB",
                                          "  0", "TABLE",
                                          "  2", "BLOCK_RECORD",
                                          "  5", "1",
                                          "330", "0",
                                          "100", "AcDbSymbolTable",
                                          " 70", "2",
                                          "  0", "BLOCK_RECORD",
                                          "  5", "1F",
                                          "330", "1",
                                          "100", "AcDbSymbolTableRecord",
                                          "100", "AcDbBlockTableRecord",
                                          "  2", "*Model_Space",
                                          "  0", "BLOCK_RECORD",
                                          "  5", "20",
                                          "330", "1",
                                          "100", "AcDbSymbolTableRecord",
                                          "100", "AcDbBlockTableRecord",
                                          "  2", "OLD",
                                          "  0", "ENDTAB",
                                          "  0", "ENDSEC"};
const std::vector<std::string> kBlocks = {"  0", "SECTION",
                                          "  2", "BLOCKS",
                                          "  0", "BLOCK",
                                          "  5", "21",
                                          "330", "20",
                                          "100", "AcDbEntity",
                                          "  8", "0",
                                          "100", "AcDbBlockBegin",
                                          "  2", "OLD",
                                          " 70", "0",
                                          " 10", "0",
                                          " 20", "0",
                                          " 30", "0",
                                          "  3", "OLD",
                                          "  0", "POINT",
                                          "  5", "22",
                                          "330", "20",
                                          "100", "AcDbEntity",
                                          "  8", "0",
                                          "100", "AcDbPoint",
                                          " 10", "1",
                                          " 20", "2",
                                          " 30", "0",
                                          "  0", "ENDBLK",
                                          "  5", "23",
                                          "330", "20",
                                          "100", "AcDbEntity",
                                          "  8", "0",
                                          "100", "AcDbBlockEnd",
                                          "  0", "ENDSEC"};
const std::vector<std::string> kHatch = {
    "  0", "HATCH", "  5",       "30",  "330", "1F",  "100", "AcDbEntity", "  8",
    "0",   "100",   "AcDbHatch", " 10", "0.0", " 20", "0.0", " 30",        "0.0",
    "  2", "SOLID", " 70",       "1",   " 91", "0",   " 98", "0"};
const std::vector<std::string> kLine31 = {
    "  0",  "LINE",       "  5",  "31",      "102", "{ACAD_REACTORS",
    "330",  "35",         "102",  "}",       "330", "1F",
    "100",  "AcDbEntity", "  8",  "0",       "100", "AcDbLine",
    " 10",  "0.0",        " 20",  "0.0",     " 30", "0.0",
    " 11",  "1.0",        " 21",  "1.0",     " 31", "0.0",
    "1001", "VORN_TEST",  "1000", "extended"};
const std::vector<std::string> kLine32 = {
    "  0", "LINE", "  5", "32",  "330", "1F",  "100", "AcDbEntity", "  8", "0",   "100", "AcDbLine",
    " 10", "5.0",  " 20", "5.0", " 30", "0.0", " 11", "6.0",        " 21", "6.0", " 31", "0.0"};
const std::vector<std::string> kObjects = {
    "  0", "SECTION", "  2", "OBJECTS",        "  0", "DICTIONARY", "  5", "C",
    "330", "0",       "100", "AcDbDictionary", "  0", "ENDSEC",     "  0", "EOF"};

std::string R2000Drawing() {
  std::vector<std::string> lines = kHeader;
  for (const auto* part : {&kTables, &kBlocks})
    lines.insert(lines.end(), part->begin(), part->end());
  lines.insert(lines.end(), {"  0", "SECTION", "  2", "ENTITIES"});
  for (const auto* part : {&kHatch, &kLine31, &kLine32}) {
    lines.insert(lines.end(), part->begin(), part->end());
  }
  lines.insert(lines.end(), {"  0", "ENDSEC"});
  lines.insert(lines.end(), kObjects.begin(), kObjects.end());
  return Crlf(lines);
}

// The record of the saved text that starts with "0 / type / 5 / handle", up to the next group 0.
std::string Record(const std::string& text, const std::string& type, const std::string& handle) {
  const std::string start = "  0\r\n" + type + "\r\n  5\r\n" + handle + "\r\n";
  const size_t at = text.find(start);
  if (at == std::string::npos) return {};
  const size_t end = text.find("\r\n  0\r\n", at + start.size());
  return text.substr(at, end == std::string::npos ? std::string::npos : end + 2 - at);
}

unsigned long HexValue(const std::string& text) { return std::stoul(text, nullptr, 16); }

std::string HandSeed(const std::string& text) {
  const std::string key = "$HANDSEED\r\n  5\r\n";
  const size_t at = text.find(key);
  if (at == std::string::npos) return {};
  return text.substr(at + key.size(), text.find("\r\n", at + key.size()) - at - key.size());
}

class HostSave : public HostTest {
 protected:
  void Open(const std::string& bytes) {
    WriteFile(temp / "in.dxf", bytes);
    host.Open(temp / "in.dxf");
    doc = host.Application()->ActiveDocument();
  }
  std::string Saved() {
    const auto path = temp / ("saved" + std::to_string(++saves_) + ".dxf");
    note_ = host.SaveAs(path);
    return ReadFile(path);
  }
  std::string note_;

 private:
  int saves_ = 0;
};

TEST_F(HostSave, AnUntouchedDrawingComesBackGroupForGroup) {
  Open(R2000Drawing());
  EXPECT_EQ(Saved(), R2000Drawing());
  EXPECT_EQ(note_, "");
}

TEST_F(HostSave, WhatCannotBeKeptIsNamed) {
  Open("999\r\nwritten by hand\r\n" + R2000Drawing());
  EXPECT_EQ(Saved(), R2000Drawing());
  EXPECT_EQ(note_, "1 comment(s) (group 999) left out");
  EXPECT_THAT(host.PromptLog(), HasSubstr("1 comment(s) (group 999) left out"));
}

TEST_F(HostSave, ChangedAddedAndDeletedEntitiesAreWrittenForTheFilesVersion) {
  Open(R2000Drawing());
  auto model = doc->ModelSpace();
  ASSERT_EQ(model->Count(), 2);  // the two lines; the hatch is not modelled
  model->Item(0)->SetColor(3);
  model->Item(1)->Delete();
  const std::string added = model->AddLine({0, 0, 0}, {10, 0, 0})->Handle();
  const std::string text = Saved();

  EXPECT_NE(text.find(Crlf(kHatch)), std::string::npos) << "kept as read";
  EXPECT_NE(text.find(Crlf(kObjects)), std::string::npos);
  EXPECT_NE(text.find(Crlf(kBlocks)), std::string::npos);
  EXPECT_EQ(Record(text, "LINE", "32"), "") << "deleted";

  const std::string changed = Record(text, "LINE", "31");
  EXPECT_THAT(changed, HasSubstr("102\r\n{ACAD_REACTORS\r\n330\r\n35\r\n102\r\n}\r\n"));
  EXPECT_THAT(changed, HasSubstr("330\r\n1F\r\n100\r\nAcDbEntity\r\n"));
  EXPECT_THAT(changed, HasSubstr(" 62\r\n3\r\n100\r\nAcDbLine\r\n"));
  EXPECT_THAT(changed, HasSubstr("1001\r\nVORN_TEST\r\n1000\r\nextended\r\n"));

  ASSERT_GE(HexValue(added), 0x40u) << "above the file's $HANDSEED";
  const std::string line = Record(text, "LINE", added);
  EXPECT_THAT(line, HasSubstr("330\r\n1F\r\n100\r\nAcDbEntity\r\n  8\r\n0\r\n100\r\nAcDbLine\r\n"));
  EXPECT_GT(HexValue(HandSeed(text)), HexValue(added));

  const dxf::Drawing back = dxf::ReadDxf(text);
  EXPECT_EQ(back.version, "AC1015");
  ASSERT_EQ(back.entities.size(), 2u);
  EXPECT_EQ(back.entities[0].common.colour, 3);
  EXPECT_EQ(back.skippedEntities.at("HATCH"), 1);
}

TEST_F(HostSave, BlocksAddedAndDeletedTakeTheirBlockRecordsAlong) {
  Open(R2000Drawing());
  doc->Blocks()->Item(0)->Delete();  // OLD
  auto added = doc->Blocks()->Add({0, 0, 0}, "新");
  added->AddLine({0, 0, 0}, {1, 1, 0});
  const std::string text = Saved();
  EXPECT_THAT(text, Not(HasSubstr("\r\nOLD\r\n")));
  EXPECT_EQ(Record(text, "POINT", "22"), "");
  const dxf::Drawing back = dxf::ReadDxf(text);
  ASSERT_EQ(back.blocks.size(), 1u);
  EXPECT_EQ(back.blocks[0].name, "新");
  ASSERT_EQ(back.blocks[0].entities.size(), 1u);
  // The block record, the block and its line point at each other.
  const std::string opening = "  0\r\nBLOCK_RECORD\r\n  5\r\n";
  const size_t record = text.rfind(opening) + opening.size();
  const std::string recordHandle = text.substr(record, text.find("\r\n", record) - record);
  EXPECT_NE(recordHandle, "20") << "the record of OLD is gone";
  EXPECT_THAT(text, HasSubstr(opening + recordHandle + "\r\n330\r\n1\r\n"));
  EXPECT_THAT(text, HasSubstr("330\r\n" + recordHandle +
                              "\r\n100\r\nAcDbEntity\r\n  8\r\n0\r\n100\r\nAcDbBlockBegin\r\n"
                              "  2\r\n" +
                              Utf8ToEncoding("新", "CP932") + "\r\n"));
  EXPECT_THAT(Record(text, "LINE", back.blocks[0].entities[0].common.handle),
              HasSubstr("330\r\n" + recordHandle + "\r\n"));
}

TEST_F(HostSave, UndoLeavesNothingOfTheCommandInTheFile) {
  Open(R2000Drawing());
  const std::string before = Saved();
  doc->StartUndoMark();
  doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
  doc->ModelSpace()->Item(0)->Delete();
  doc->Layers()->Add("日影");
  doc->EndUndoMark();
  ASSERT_NE(Saved(), before);
  ASSERT_TRUE(host.Undo());
  EXPECT_EQ(Saved(), before);
}

TEST_F(HostSave, R12KeepsItsCodePageAndEscapesOnlyWhatItCannotHold) {
  const std::string original =
      Utf8ToEncoding(Crlf({"  0",      "SECTION",   "  2",      "HEADER", "  9",
                           "$ACADVER", "  1",       "AC1009",   "  9",    "$DWGCODEPAGE",
                           "  3",      "ANSI_1252", "  0",      "ENDSEC", "  0",
                           "SECTION",  "  2",       "ENTITIES", "  0",    "TEXT",
                           "  8",      "façade",    " 10",      "0",      " 20",
                           "0",        " 30",       "0",        " 40",    "1",
                           "  1",      "élévation", "  0",      "ENDSEC", "  0",
                           "EOF"}),
                     "CP1252");
  Open(original);
  doc->ModelSpace()->AddText("é 天空率", {1, 2, 0}, 2.5);
  const std::string text = Saved();
  EXPECT_THAT(text, HasSubstr("$DWGCODEPAGE\r\n  3\r\nANSI_1252\r\n"));
  EXPECT_THAT(text, HasSubstr("\r\n\xE9l\xE9vation\r\n")) << "the old text as read";
  EXPECT_THAT(text, HasSubstr("\r\n\xE9 \\U+5929\\U+7A7A\\U+7387\r\n"));
  EXPECT_THAT(text, Not(HasSubstr("100\r\nAcDb")));  // R12 has no subclass markers
  const dxf::Drawing back = dxf::ReadDxf(text);
  EXPECT_EQ(back.version, "AC1009");
  ASSERT_EQ(back.entities.size(), 2u);
  EXPECT_EQ(std::get<dxf::Text>(back.entities[1].data).text, "é 天空率");
}

TEST_F(HostSave, LaterVersionsWriteTheirTextAsUtf8) {
  std::vector<std::string> lines = kHeader;
  lines[7] = "AC1032";
  lines[11] = "ANSI_1252";
  lines.insert(lines.end(), kTables.begin(), kTables.end());
  lines.insert(lines.end(), {"  0", "SECTION", "  2", "ENTITIES", "  0", "ENDSEC"});
  lines.insert(lines.end(), kObjects.begin(), kObjects.end());
  Open(Crlf(lines));
  doc->Layers()->Add("日影");
  doc->ModelSpace()->AddText("時刻日影図", {0, 0, 0}, 3);
  const std::string text = Saved();
  EXPECT_THAT(text, HasSubstr("AcDbLayerTableRecord\r\n  2\r\n日影\r\n"));
  EXPECT_THAT(text, HasSubstr("\r\n時刻日影図\r\n"));
  EXPECT_THAT(text, Not(HasSubstr("\\U+")));
  EXPECT_EQ(dxf::ReadDxf(text).version, "AC1032");
}

// A file without a header was read in the CAD's code page; the saved one says so, and saving
// what was saved changes nothing more.
TEST_F(HostSave, AFileWithoutHeaderGetsOneNamingHowItWasRead) {
  const std::string text =
      Utf8ToEncoding(Crlf({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  8", "日影",
                           " 10", "0",       " 20", "0",        " 30", "0",    " 40", "1",
                           "  1", "天空率",  "  0", "ENDSEC",   "  0", "EOF"}),
                     "CP932");
  Open(text);
  const std::string saved = Saved();
  EXPECT_THAT(saved, HasSubstr("  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\n"
                               "AC1009\r\n  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n"));
  EXPECT_THAT(saved, HasSubstr(Utf8ToEncoding("\r\n天空率\r\n", "CP932")));
  Open(saved);
  EXPECT_EQ(Saved(), saved);
}

TEST_F(HostSave, ANewDrawingIsStillR12InTheCadsCodePage) {
  doc->ModelSpace()->AddText("天空率", {0, 0, 0}, 3);
  const std::string text = Saved();
  EXPECT_THAT(text, HasSubstr("$ACADVER\r\n  1\r\nAC1009\r\n"));
  EXPECT_THAT(text, HasSubstr("$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n"));
  EXPECT_THAT(text, HasSubstr(Utf8ToEncoding("天空率", "CP932")));
}

}  // namespace
}  // namespace vorn::cad::testing
