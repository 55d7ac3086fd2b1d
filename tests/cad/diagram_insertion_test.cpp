#include "cad/diagram_insertion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "dxf/dxf_document.h"
#include "dxf/number_format.h"
#include "host_fixture.h"

namespace vorn::cad::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct CommandCase {
  InsertionRequest request;
  const char* expected;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << static_cast<int>(c.request.form); }

class InsertionCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(InsertionCommandTest, IsTypedExactly) {
  EXPECT_EQ(InsertionCommandText(GetParam().request, "C:/out dir/VORN_3.dxf"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryForm, InsertionCommandTest,
    ::testing::Values(CommandCase{Insertion(InsertionForm::kExplodedAtOrigin),
                                  "-INSERT\r\"*C:/out dir/VORN_3.dxf\"\r0,0 1 0\r"},
                      CommandCase{
                          Insertion(InsertionForm::kExplodedAtOrigin, "0", "0", "0", "-INsERT"),
                          "-INsERT\r\"*C:/out dir/VORN_3.dxf\"\r0,0 1 0\r"},
                      CommandCase{Insertion(InsertionForm::kExplodedAtOriginSplit),
                                  "-InSERT\r\"*C:/out dir/VORN_3.dxf\"\r0,0\r1 0\r"},
                      CommandCase{Insertion(InsertionForm::kExplodedAtPoint, "12.5", "-3"),
                                  "-InSERT\r\"*C:/out dir/VORN_3.dxf\"\r12.5,-3\r1 0\r"},
                      CommandCase{Insertion(InsertionForm::kExplodedAtPointBlank, "12.5", "-3"),
                                  "-INSERt\r\"*C:/out dir/VORN_3.dxf\"\r12.5,-3\r1 0 "},
                      CommandCase{Insertion(InsertionForm::kExplodedRotated, "1", "2", "-30"),
                                  "-INSERT\r\"*C:/out dir/VORN_3.dxf\"\r1,2\r1.0\r-30\r"},
                      CommandCase{Insertion(InsertionForm::kBlockByUser, "0", "0", "0.0"),
                                  "-INSERT\r\"C:/out dir/VORN_3.dxf\"\rS\r1.0\rR\r0.0\r"}));

// A one-line diagram in the writer's R12 text.
DxfDocument OneLineDiagram(const TAcadPoint& from, const TAcadPoint& to) {
  DxfDocument dxf;
  AddFrameOpening(dxf);
  AddDxfLine(dxf, "VORN_LINE", from, to, DxfLineStyle{true, 3});
  AddFrameClosing(dxf);
  return dxf;
}

TEST_F(HostTest, SaveDiagramFileNamesTheFileAfterTheNextBlockAndWritesIt) {
  doc->Blocks()->Add({}, "VORN_1");
  doc->Blocks()->Add({}, "vorn_7");
  auto saved = SaveDiagramFile(*doc, OneLineDiagram({0, 0, 0}, {1, 1, 0}), temp.path(), Link());
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->blockName, "VORN_8");
  EXPECT_EQ(saved->file, temp.path() / "VORN_8.dxf");
  EXPECT_TRUE(std::filesystem::exists(saved->file));
  EXPECT_THAT(clock.sleeps, ElementsAre(100));
}

TEST_F(HostTest, AFailedSaveIsReportedAndNothingIsInserted) {
  const auto missingFolder = temp.path() / "no such folder";
  auto saved = SaveAndInsertDiagram(*app, *doc, OneLineDiagram({0, 0, 0}, {1, 1, 0}), missingFolder,
                                    InsertionRequest(), Link());
  EXPECT_FALSE(saved.has_value());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("VORN_1.dxf"), std::string::npos);
  EXPECT_EQ(doc->ModelSpace()->Count(), 0);
}

TEST_F(HostTest, PcadExplodedInsertionLeavesNoBlockDefinitionAndTheSerialIsReused) {
  for (int run = 0; run < 2; ++run) {
    auto saved =
        SaveAndInsertDiagram(*app, *doc, OneLineDiagram({0, 0, 0}, {10, 5, 0}), temp.path(),
                             InsertionRequest(), Link("PCAD_AC_X.AcadApplication"));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->blockName, "VORN_1");
    EXPECT_EQ(host::FindBlock(host.Document(), "VORN_1"), nullptr) << host.PromptLog();
  }
  auto model = doc->ModelSpace();
  ASSERT_EQ(model->Count(), 2);
  EXPECT_EQ(model->Item(1)->EntityName(), "AcDbLine");
  EXPECT_EQ(model->Item(1)->Layer(), "VORN_LINE");
  EXPECT_EQ(model->Item(1)->color(), 3);
  EXPECT_EQ(model->Item(1)->EndPoint(), (TAcadPoint{10, 5, 0}));
  EXPECT_NE(host::FindLayer(host.Document(), "VORN_LINE"), nullptr);
  EXPECT_NE(host::FindLineType(host.Document(), "HIDDEN2"), nullptr);
}

TEST_F(HostTest, OtherCadsKeepTheDefinitionSoTheSerialGrows) {
  for (const char* expected : {"VORN_1", "VORN_2"}) {
    auto saved = SaveAndInsertDiagram(*app, *doc, OneLineDiagram({0, 0, 0}, {10, 5, 0}),
                                      temp.path(), InsertionRequest(), Link("AutoCAD.Application"));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->blockName, expected);
  }
  EXPECT_NE(host::FindBlock(host.Document(), "VORN_2"), nullptr);
  // The lower-case "PCAD" test is case-sensitive: "pcad" keeps the definition too.
  auto saved = SaveAndInsertDiagram(*app, *doc, OneLineDiagram({0, 0, 0}, {10, 5, 0}), temp.path(),
                                    InsertionRequest(), Link("pcad.application"));
  EXPECT_NE(host::FindBlock(host.Document(), saved->blockName), nullptr);
}

TEST_F(HostTest, BlockPlacedByTheUserKeepsItsReferenceAndDefinition) {
  user.InsertionPoint({500, 600, 0});
  InsertionRequest request = Insertion(InsertionForm::kBlockByUser, "0", "0", "0");
  auto saved = SaveAndInsertDiagram(*app, *doc, OneLineDiagram({0, 0, 0}, {10, 0, 0}), temp.path(),
                                    request, Link("PCAD_AC_X.AcadApplication"));
  ASSERT_TRUE(saved.has_value());
  auto model = doc->ModelSpace();
  ASSERT_EQ(model->Count(), 1);
  auto reference = model->Item(0);
  EXPECT_EQ(reference->EntityName(), "AcDbBlockReference");
  EXPECT_EQ(reference->Name(), "VORN_1");
  EXPECT_EQ(reference->InsertionPoint(), (TAcadPoint{500, 600, 0}));
  EXPECT_NE(host::FindBlock(host.Document(), "VORN_1"), nullptr);
  EXPECT_THAT(clock.sleeps, ElementsAre(100));  // no idle wait for a block insertion
}

}  // namespace
}  // namespace vorn::cad::testing
