#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "dxf/code_page.h"
#include "dxf/dxf_document.h"
#include "dxf/number_format.h"
#include "python_checks.h"
#include "test_files.h"

namespace vorn {
namespace {

using vorn::testing::ReadFile;

struct NumberCase {
  double value;
  const char* text;
};

TEST(FormatGeneral, ShortestFormWithFifteenDigitsAndRareExponents) {
  const NumberCase cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.5, "1.5"},
      {-2.25, "-2.25"},
      {100.0, "100"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {12345.678, "12345.678"},
      {-36000.000000000007, "-36000"},
      {1e-5, "0.00001"},
      {9.5e-6, "9.5E-6"},
      {1e-7, "1E-7"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {1.5e20, "1.5E20"},
      {4.7625, "4.7625"},
  };
  for (const NumberCase& c : cases) EXPECT_EQ(FormatGeneral(c.value), c.text) << c.text;
}

TEST(FormatFixed, LikePrintfInTheCLocale) {
  EXPECT_EQ(FormatFixed(1.23456, 3), "1.235");
  EXPECT_EQ(FormatFixed(2.0, 4), "2.0000");
  EXPECT_EQ(FormatFixed(-0.0001, 3), "-0.000");
  EXPECT_EQ(FormatFixed(1234567.891, 2), "1234567.89");
}

TEST(NumberFormat, IndependentOfTheProcessLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      switched = true;
      break;
    }
  }
  EXPECT_EQ(FormatGeneral(1234.5), "1234.5");
  EXPECT_EQ(FormatFixed(0.25, 3), "0.250");
  std::setlocale(LC_ALL, saved.c_str());
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma is installed";
}

TEST(GroupCodes, RightAligned) {
  EXPECT_EQ(GroupCode(0), "  0");
  EXPECT_EQ(GroupCode(10), " 10");
  EXPECT_EQ(GroupCode(210), "210");
  EXPECT_EQ(Int6(65), "    65");
}

DxfDocument SmallDocument() {
  DxfDocument doc;
  AddFrameOpening(doc);
  AddDxfLine(doc, "日影", {0, 0, 0}, {1500.5, -2, 0}, {true, 3});
  AddDxfPolyline(doc, "VORN_JIKOKU", {{0, 0, {}}, {10, 0, 0.5}, {10, 1e-7, {}}}, true, {}, 4000.0);
  AddDxfPolyline(doc, "VORN_JIKOKU", {}, false);
  DxfText label;
  label.layer = "VORN_JIKOKU";
  label.position = {12.5, 30, 4000};
  label.height = 300;
  label.text = "08:00 -41.25%%d";
  AddDxfText(doc, label);
  label.rotationDegrees = 90;
  label.alignment = DxfText::Alignment{1, 2, {1, 2, 0}};
  label.text = "天空率";
  AddDxfText(doc, label);
  AddDxfCircle(doc, "0", {5, 6, 0}, 0.25);
  AddFrameClosing(doc);
  return doc;
}

constexpr const char* kGolden =
    "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC\r\n"
    "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n"
    "  2\r\nLTYPE\r\n"
    "  0\r\nLTYPE\r\n  2\r\nHIDDEN2\r\n 70\r\n     0\r\n"
    "  3\r\nHidden (.5x) _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _\r\n"
    " 72\r\n    65\r\n 73\r\n     2\r\n"
    " 40\r\n4.7625\r\n 49\r\n3.175\r\n 49\r\n-1.5875\r\n"
    "  0\r\nENDTAB\r\n"
    "  0\r\nENDSEC\r\n"
    "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"
    "  0\r\nLINE\r\n  8\r\n日影\r\n  6\r\nHIDDEN2\r\n 62\r\n3\r\n"
    " 10\r\n0\r\n 20\r\n0\r\n 30\r\n0.0\r\n 11\r\n1500.5\r\n 21\r\n-2\r\n 31\r\n0.0\r\n"
    "  0\r\nPOLYLINE\r\n  8\r\nVORN_JIKOKU\r\n 66\r\n     1\r\n 10\r\n0.0\r\n"
    " 20\r\n0.0\r\n 30\r\n4000\r\n 70\r\n     1\r\n"
    "  0\r\nVERTEX\r\n  8\r\nVORN_JIKOKU\r\n 10\r\n0\r\n 20\r\n0\r\n"
    "  0\r\nVERTEX\r\n  8\r\nVORN_JIKOKU\r\n 10\r\n10\r\n 20\r\n0\r\n 42\r\n0.5\r\n"
    "  0\r\nVERTEX\r\n  8\r\nVORN_JIKOKU\r\n 10\r\n10\r\n 20\r\n1E-7\r\n"
    "  0\r\nSEQEND\r\n"
    "  0\r\nPOLYLINE\r\n  8\r\nVORN_JIKOKU\r\n 66\r\n     1\r\n 10\r\n0.0\r\n"
    " 20\r\n0.0\r\n 30\r\n0.0\r\n 70\r\n     0\r\n"
    "  0\r\nSEQEND\r\n"
    "  0\r\nTEXT\r\n  8\r\nVORN_JIKOKU\r\n 10\r\n12.5\r\n 20\r\n30\r\n 30\r\n4000\r\n"
    " 40\r\n300\r\n  1\r\n08:00 -41.25%%d\r\n 41\r\n0.8\r\n"
    "  0\r\nTEXT\r\n  8\r\nVORN_JIKOKU\r\n 10\r\n12.5\r\n 20\r\n30\r\n 30\r\n4000\r\n"
    " 40\r\n300\r\n  1\r\n天空率\r\n 41\r\n0.8\r\n 50\r\n90\r\n"
    " 72\r\n1\r\n 73\r\n2\r\n 11\r\n1\r\n 21\r\n2\r\n 31\r\n0\r\n"
    "  0\r\nCIRCLE\r\n  8\r\n0\r\n 10\r\n5\r\n 20\r\n6\r\n 30\r\n0\r\n 40\r\n0.25\r\n"
    "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

TEST(DxfDocument, SmallDocumentIsWrittenByteForByte) { EXPECT_EQ(SmallDocument().Text(), kGolden); }

TEST(DxfDocument, BoundaryFrameHasNoTables) {
  DxfDocument doc;
  AddFrameOpening(doc, false);
  AddFrameClosing(doc);
  EXPECT_EQ(
      doc.Text(),
      "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC\r\n"
      "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
}

class SavedDocument : public ::testing::Test {
 protected:
  vorn::testing::TempFolder temp_;
  const std::filesystem::path& dir_ = temp_.path();
};

TEST_F(SavedDocument, SavedInTheCadCodePageAndReadableByAnIndependentReader) {
  const std::filesystem::path file = dir_ / "VORN_1.dxf";
  SmallDocument().SaveToFile(file, kCadEncoding);
  const std::string bytes = ReadFile(file);
  EXPECT_EQ(bytes, Utf8ToEncoding(kGolden, kCadEncoding));
  EXPECT_EQ(bytes.find("日影"), std::string::npos) << "text must be CP932, not UTF-8";
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename(), "VORN_1.dxf") << "no temporary file is left behind";
  }

  VORN_SKIP_WITHOUT_PYTHON();
  const std::filesystem::path report = dir_ / "report.txt";
  const std::string script =
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1], encoding='cp932')\n"
      "auditor = doc.audit()\n"
      "msp = doc.modelspace()\n"
      "print(len(auditor.errors))\n"
      "print(' '.join(e.dxftype() for e in msp))\n"
      "print(msp.query('LINE')[0].dxf.layer)\n"
      "print(msp.query('TEXT')[1].dxf.text)\n"
      "print(msp.query('LINE')[0].dxf.linetype)\n";
  std::ofstream(dir_ / "check.py") << script;
  const std::string command = std::string(VORN_PYTHON) + " " + (dir_ / "check.py").string() + " " +
                              file.string() + " > " + report.string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(report);
  std::istringstream lines(ReadFile(report));
  std::string errors, types, layer, text, lineType;
  std::getline(lines, errors);
  std::getline(lines, types);
  std::getline(lines, layer);
  std::getline(lines, text);
  std::getline(lines, lineType);
  EXPECT_EQ(errors, "0");
  EXPECT_EQ(types, "LINE POLYLINE POLYLINE TEXT TEXT CIRCLE");
  EXPECT_EQ(layer, "日影");
  EXPECT_EQ(text, "天空率");
  EXPECT_EQ(lineType, "HIDDEN2");
}

TEST_F(SavedDocument, FailedSaveLeavesTheOldFileWhole) {
  const std::filesystem::path file = dir_ / "VORN_2.dxf";
  std::ofstream(file) << "old";
  DxfDocument unencodable;
  unencodable.Add("  1\r\n\xF0\x9F\x98\x80");  // an emoji has no CP932 form
  EXPECT_THROW(unencodable.SaveToFile(file, kCadEncoding), CodePageError);
  EXPECT_EQ(ReadFile(file), "old");

  // A file of the user's that happens to have a temporary-looking name is never touched.
  std::ofstream(dir_ / "VORN_2.dxf.tmp") << "mine";
  SmallDocument().SaveToFile(file, kCadEncoding);
  EXPECT_EQ(ReadFile(dir_ / "VORN_2.dxf.tmp"), "mine");
  EXPECT_THROW(SmallDocument().SaveToFile(dir_, kCadEncoding), DxfSaveError);

  const std::filesystem::path missing = dir_ / "no such folder" / "VORN_3.dxf";
  EXPECT_THROW(SmallDocument().SaveToFile(missing, kCadEncoding), DxfSaveError);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace vorn
