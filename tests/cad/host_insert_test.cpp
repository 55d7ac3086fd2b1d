// Every -INSERT form the system types, run against the host with a real DXF file: the
// inserted entities must land where the command string says.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cad/diagram_insertion.h"
#include "dxf/code_page.h"
#include "dxf/dxf_document.h"
#include "host_fixture.h"
#include "python_checks.h"

namespace vorn::cad::testing {
namespace {

// A diagram holding the line (10,0)-(20,0) and the text "A" at (10,0).
std::filesystem::path WriteDiagram(const std::filesystem::path& folder, const std::string& name) {
  DxfDocument dxf;
  AddFrameOpening(dxf);
  AddDxfLine(dxf, "VORN", {10, 0, 0}, {20, 0, 0});
  DxfText text;
  text.layer = "VORN";
  text.position = {10, 0, 0};
  text.height = 2.5;
  text.text = "A";
  AddDxfText(dxf, text);
  AddFrameClosing(dxf);
  const auto path = folder / name;
  dxf.SaveToFile(path, kCadEncoding);
  return path;
}

void ExpectNear(const TAcadPoint& actual, const TAcadPoint& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9);
  EXPECT_NEAR(actual.y, expected.y, 1e-9);
  EXPECT_NEAR(actual.z, expected.z, 1e-9);
}

struct InsertCase {
  const char* label;
  InsertionRequest request;
  TAcadPoint lineStart, lineEnd;
  double textHeight;
};

void PrintTo(const InsertCase& c, std::ostream* os) { *os << c.label; }

class ExplodedInsertTest : public HostTest, public ::testing::WithParamInterface<InsertCase> {};

TEST_P(ExplodedInsertTest, EntitiesLandWhereTheStringSays) {
  const auto file = WriteDiagram(temp.path(), "VORN_1.dxf");
  doc->SendCommand(InsertionCommandText(GetParam().request, file.string()));
  auto model = doc->ModelSpace();
  ASSERT_EQ(model->Count(), 2) << host.PromptLog();
  ExpectNear(model->Item(0)->StartPoint(), GetParam().lineStart);
  ExpectNear(model->Item(0)->EndPoint(), GetParam().lineEnd);
  ExpectNear(model->Item(1)->InsertionPoint(), GetParam().lineStart);
  EXPECT_DOUBLE_EQ(model->Item(1)->ScaleFactor(), 0.8);
  EXPECT_NEAR(std::get<dxf::Text>(host.Document().modelSpace[1].entity.data).height,
              GetParam().textHeight, 1e-12);
  EXPECT_EQ(model->Item(0)->Layer(), "VORN");
  EXPECT_THAT(host.PromptLog(), ::testing::Not(::testing::HasSubstr("Cancel")));
}

INSTANTIATE_TEST_SUITE_P(
    EveryForm, ExplodedInsertTest,
    ::testing::Values(
        InsertCase{
            "origin", Insertion(InsertionForm::kExplodedAtOrigin), {10, 0, 0}, {20, 0, 0}, 2.5},
        InsertCase{"origin, isochrone spelling",
                   Insertion(InsertionForm::kExplodedAtOrigin, "0", "0", "0", "-INsERT"),
                   {10, 0, 0},
                   {20, 0, 0},
                   2.5},
        InsertCase{"origin, split answers",
                   Insertion(InsertionForm::kExplodedAtOriginSplit),
                   {10, 0, 0},
                   {20, 0, 0},
                   2.5},
        InsertCase{"point",
                   Insertion(InsertionForm::kExplodedAtPoint, "100", "200"),
                   {110, 200, 0},
                   {120, 200, 0},
                   2.5},
        InsertCase{"point, blank at the end",
                   Insertion(InsertionForm::kExplodedAtPointBlank, "-5.5", "1E-7"),
                   {4.5, 1e-7, 0},
                   {14.5, 1e-7, 0},
                   2.5},
        InsertCase{"point and rotation",
                   Insertion(InsertionForm::kExplodedRotated, "100", "200", "90"),
                   {100, 210, 0},
                   {100, 220, 0},
                   2.5},
        InsertCase{"rotation in fixed decimals",
                   Insertion(InsertionForm::kExplodedRotated, "0", "0", "-90.000000000000"),
                   {0, -10, 0},
                   {0, -20, 0},
                   2.5}),
    [](const auto& info) {
      std::string name = info.param.label;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST_F(HostTest, ExplicitScaleAndPointInAnyLetterCase) {
  const auto file = WriteDiagram(temp.path(), "VORN_1.dxf");
  doc->SendCommand("-insert\r\"*" + file.string() + "\"\r5,5,1\r2\r0\r");
  auto line = doc->ModelSpace()->Item(0);
  ExpectNear(line->StartPoint(), {25, 5, 1});
  ExpectNear(line->EndPoint(), {45, 5, 1});
  EXPECT_NEAR(std::get<dxf::Text>(host.Document().modelSpace[1].entity.data).height, 5.0, 1e-12);
}

TEST_F(HostTest, BlockByUserBecomesOneReferenceAtThePickedPoint) {
  const auto file = WriteDiagram(temp.path(), "VORN_4.dxf");
  user.InsertionPoint({100, 200, 0});
  InsertionRequest request = Insertion(InsertionForm::kBlockByUser, "0", "0", "90.000000000000");
  doc->SendCommand(InsertionCommandText(request, file.string()));
  auto model = doc->ModelSpace();
  ASSERT_EQ(model->Count(), 1) << host.PromptLog();
  auto reference = model->Item(0);
  EXPECT_EQ(reference->EntityName(), "AcDbBlockReference");
  EXPECT_EQ(reference->Name(), "VORN_4");
  ExpectNear(reference->InsertionPoint(), {100, 200, 0});
  const auto& insert = std::get<dxf::Insert>(host.Document().modelSpace[0].entity.data);
  EXPECT_DOUBLE_EQ(insert.rotation, 90.0);
  EXPECT_EQ(insert.scale, (TAcadPoint{1, 1, 1}));

  // Exploding the reference gives what the rotated exploded form gives.
  auto pieces = reference->Explode();
  ASSERT_EQ(pieces.size(), 2u);
  ExpectNear(pieces[0]->StartPoint(), {100, 210, 0});
  ExpectNear(pieces[0]->EndPoint(), {100, 220, 0});
  EXPECT_EQ(model->Count(), 3);  // Explode keeps the reference itself
}

// The wall elevation kept as a block: point, one scale and the rotation answer in turn.
TEST_F(HostTest, ABlockReferenceWithATypedPointScaleAndRotation) {
  const auto file = WriteDiagram(temp.path(), "VORN_3.dxf");
  doc->SendCommand("-INSERT\r\"" + file.string() + "\"\r100,200\r1.0\r30\r");
  ASSERT_EQ(doc->ModelSpace()->Count(), 1) << host.PromptLog();
  const auto& insert = std::get<dxf::Insert>(host.Document().modelSpace[0].entity.data);
  EXPECT_EQ(insert.blockName, "VORN_3");
  EXPECT_EQ(insert.position, (TAcadPoint{100, 200, 0}));
  EXPECT_EQ(insert.scale, (TAcadPoint{1, 1, 1}));
  EXPECT_DOUBLE_EQ(insert.rotation, 30.0);
}

TEST_F(HostTest, ScaleAndRotationOptionsBeforeATypedPoint) {
  const auto file = WriteDiagram(temp.path(), "VORN_2.dxf");
  doc->SendCommand("-INSERT\r\"" + file.string() + "\"\rs\r2\rr\r45\r10,10\r");
  const auto& insert = std::get<dxf::Insert>(host.Document().modelSpace.at(0).entity.data);
  EXPECT_EQ(insert.scale, (TAcadPoint{2, 2, 2}));
  EXPECT_DOUBLE_EQ(insert.rotation, 45.0);
  EXPECT_EQ(insert.position, (TAcadPoint{10, 10, 0}));
  EXPECT_EQ(user.Requests().size(), 0u);  // the point was typed, nobody was asked
}

TEST_F(HostTest, AFileNameWithBlanksStaysOneAnswerInsideTheQuotes) {
  std::filesystem::create_directories(temp.path() / "out dir");
  const auto file = WriteDiagram(temp.path() / "out dir", "VORN 9.dxf");
  doc->SendCommand(
      InsertionCommandText(Insertion(InsertionForm::kExplodedAtOrigin), file.string()));
  EXPECT_EQ(doc->ModelSpace()->Count(), 2) << host.PromptLog();
  EXPECT_NE(host::FindBlock(host.Document(), "VORN 9"), nullptr);
}

TEST_F(HostTest, AnUnreadableFileAndAnUnknownCommandAreReportedOnThePromptLog) {
  doc->SendCommand("-INSERT\r\"*" + (temp.path() / "missing.dxf").string() + "\"\r0,0 1 0\r");
  EXPECT_THAT(host.PromptLog(), ::testing::HasSubstr("Cannot insert"));
  EXPECT_THAT(host.PromptLog(), ::testing::HasSubstr("missing.dxf"));
  std::ofstream(temp.path() / "bad.dxf") << "this is not a drawing\n";
  doc->SendCommand("-INSERT\r\"*" + (temp.path() / "bad.dxf").string() + "\"\r0,0 1 0\r");
  EXPECT_THAT(host.PromptLog(), ::testing::HasSubstr("bad.dxf"));
  doc->SendCommand("FROBNICATE\r1\r");
  EXPECT_THAT(host.PromptLog(), ::testing::HasSubstr("Unknown command \"FROBNICATE\""));
  EXPECT_EQ(doc->ModelSpace()->Count(), 0);
}

TEST_F(HostTest, CtrlCCancelsTheRunningCommandAndTheNextOneRuns) {
  doc->Blocks()->Add({}, "B")->AddLine({0, 0, 0}, {1, 0, 0});
  doc->SendCommand("-INSERT\rB\r5,5\r\x03\x03LASTPOINT 123,456,789 ");
  EXPECT_EQ(doc->ModelSpace()->Count(), 0);
  EXPECT_EQ(doc->GetVariable("LASTPOINT"), CadValue{(TAcadPoint{123, 456, 789})});
  doc->SendCommand(
      "\x1b"
      "BLIPMODE 1 ");
  EXPECT_EQ(doc->GetVariable("BLIPMODE"), CadValue{int32_t{1}});
}

TEST_F(HostTest, IdStoresThePickedPointInLastpoint) {
  user.Point({1.5, 2.5, 0}).Cancel();
  doc->SendCommand("iD\r");
  EXPECT_EQ(doc->GetVariable("LASTPOINT"), CadValue{(TAcadPoint{1.5, 2.5, 0})});
  EXPECT_THAT(host.PromptLog(), ::testing::HasSubstr("X = 1.5000"));
  doc->SetVariable("LASTPOINT", TAcadPoint{0, 0, 0});
  doc->SendCommand("ID\r");  // the user presses ESC
  EXPECT_EQ(doc->GetVariable("LASTPOINT"), CadValue{(TAcadPoint{0, 0, 0})});
}

TEST_F(HostTest, LinetypeCommandLoadsFromTheNamedFile) {
  doc->SetVariable("FILEDIA", int32_t{0});
  doc->SendCommand("-LINETYPE\rL\rHIDDEN\rMM.LIN\r\r");
  EXPECT_NE(host::FindLineType(host.Document(), "HIDDEN"), nullptr);
  doc->SendCommand("-LINETYPE\rL\rNOSUCH\rMM.LIN\r\r");
  EXPECT_THAT(host.PromptLog(), ::testing::HasSubstr("\"NOSUCH\" is not in \"MM.LIN\""));
}

// An independent reader must accept what the host saves after an insertion.
TEST_F(HostTest, ADrawingSavedAfterAnInsertionPassesAnIndependentAudit) {
  const auto file = WriteDiagram(temp.path(), "VORN_1.dxf");
  doc->SendCommand(InsertionCommandText(Insertion(InsertionForm::kExplodedRotated, "5", "5", "30"),
                                        file.string()));
  const auto saved = temp.path() / "after insert.dxf";
  host.SaveAs(saved);
  VORN_SKIP_WITHOUT_PYTHON();
  const std::string script =
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "auditor = doc.audit()\n"
      "msp = doc.modelspace()\n"
      "kinds = sorted(e.dxftype() for e in msp)\n"
      "text = [e for e in msp if e.dxftype() == 'TEXT'][0].dxf.text\n"
      "print(len(auditor.errors), ','.join(kinds), text == 'A')\n";
  std::ofstream(temp.path() / "check.py") << script;
  const std::string command = std::string(VORN_PYTHON) + " \"" +
                              (temp.path() / "check.py").string() + "\" \"" + saved.string() +
                              "\" > \"" + (temp.path() / "out.txt").string() + "\" 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(temp.path() / "out.txt"), "0 LINE,TEXT True\n");
}

}  // namespace
}  // namespace vorn::cad::testing
