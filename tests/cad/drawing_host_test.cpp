// The host's object model: entity members, selection sets, Utility, system variables, undo
// groups, and opening and saving drawings.
#include "cad/host/drawing_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "dxf/code_page.h"
#include "dxf/dxf_document.h"
#include "dxf/dxf_reader.h"
#include "host_fixture.h"

namespace vorn::cad::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr double kPi = 3.14159265358979323846;

// A drawing with one entity of every kind, built through the DXF drawing model.
dxf::Drawing EveryKindDrawing() {
  dxf::Drawing d;
  d.layers = {dxf::Layer{"0"}, dxf::Layer{"WALLS", 3}};
  auto add = [&](dxf::EntityData data, const std::string& layer = "WALLS") {
    dxf::Entity e;
    e.common.layer = layer;
    e.data = std::move(data);
    d.entities.push_back(std::move(e));
    return &d.entities.back();
  };
  add(dxf::Line{{0, 0, 0}, {100, 0, 0}})->common.thickness = 5;
  add(dxf::Circle{{50, 50, 0}, 10});
  add(dxf::Arc{{0, 0, 0}, 20, 0, 90});
  add(dxf::Ellipse{{0, 0, 0}, {30, 0, 0}, 0.5, 0, kPi / 2});
  add(dxf::LwPolyline{12.5, true, {{0, 0, 0}, {40, 0, 1}, {40, 30, 0}}})->common.thickness = 3000;
  add(dxf::Polyline{0, 7, {{{0, 0, 0}, 0.5, 0}, {{10, 0, 0}, 0, 0}}});
  add(dxf::Polyline{8, 0, {{{0, 0, 1}, 0, 0}, {{10, 0, 2}, 0, 0}, {{10, 10, 3}, 0, 0}}});
  dxf::Text t;
  t.position = {5, 6, 0};
  t.alignment = t.position;
  t.height = 2.5;
  t.text = "日影";
  t.widthFactor = 0.8;
  add(t, "0");
  add(dxf::Point{{7, 8, 9}});
  return d;
}

class HostDrawingTest : public HostTest {
 protected:
  // Opens EveryKindDrawing as the reader would deliver it.
  void OpenEveryKind() {
    files.inMemory["every.dxf"] = EveryKindDrawing();
    host.Open("every.dxf");
    app = host.Application();
    doc = app->ActiveDocument();
  }
  CadEntityPtr Nth(int i) { return doc->ModelSpace()->Item(i); }
};

TEST_F(HostDrawingTest, EntitiesAnswerTheReadMembersOfTheirClass) {
  OpenEveryKind();
  ASSERT_EQ(doc->ModelSpace()->Count(), 9);
  std::vector<std::string> names;
  for (int i = 0; i < 9; ++i) names.push_back(Nth(i)->EntityName());
  EXPECT_THAT(names, ElementsAre("AcDbLine", "AcDbCircle", "AcDbArc", "AcDbEllipse", "AcDbPolyline",
                                 "AcDb2dPolyline", "AcDb3dPolyline", "AcDbText", "AcDbPoint"));
  auto line = Nth(0);
  EXPECT_EQ(line->EndPoint(), (TAcadPoint{100, 0, 0}));
  EXPECT_DOUBLE_EQ(line->Thickness(), 5);
  EXPECT_EQ(line->Normal(), (TAcadPoint{0, 0, 1}));
  EXPECT_DOUBLE_EQ(Nth(1)->Radius(), 10);
  EXPECT_EQ(Nth(1)->center(), (TAcadPoint{50, 50, 0}));
  auto arc = Nth(2);
  EXPECT_DOUBLE_EQ(arc->EndAngle(), kPi / 2);  // radians
  EXPECT_NEAR(arc->EndPoint().y, 20, 1e-12);
  EXPECT_DOUBLE_EQ(Nth(3)->RadiusRatio(), 0.5);
  EXPECT_EQ(Nth(3)->MajorAxis(), (TAcadPoint{30, 0, 0}));
  EXPECT_NEAR(Nth(3)->EndPoint().y, 15, 1e-9);
  auto lw = Nth(4);
  EXPECT_TRUE(lw->Closed());
  EXPECT_DOUBLE_EQ(lw->Elevation(), 12.5);
  EXPECT_DOUBLE_EQ(lw->Thickness(), 3000);
  EXPECT_EQ(lw->Coordinates(), (std::vector<double>{0, 0, 40, 0, 40, 30}));
  EXPECT_EQ(lw->Coordinate(1), (TAcadPoint{40, 0, 0}));
  EXPECT_DOUBLE_EQ(lw->GetBulge(1), 1);
  EXPECT_DOUBLE_EQ(Nth(5)->Elevation(), 7);
  EXPECT_DOUBLE_EQ(Nth(5)->GetBulge(0), 0.5);
  EXPECT_EQ(Nth(5)->Coordinates().size(), 6u);
  auto poly3d = Nth(6);
  EXPECT_EQ(poly3d->Coordinate(2), (TAcadPoint{10, 10, 3}));
  EXPECT_THROW(poly3d->GetBulge(0), CadError);
  EXPECT_THROW(poly3d->Elevation(), CadError);
  auto text = Nth(7);
  EXPECT_EQ(text->TextString(), "日影");
  EXPECT_EQ(text->InsertionPoint(), (TAcadPoint{5, 6, 0}));
  EXPECT_DOUBLE_EQ(text->ScaleFactor(), 0.8);
  EXPECT_EQ(Nth(8)->Coordinates(), (std::vector<double>{7, 8, 9}));
  // Members a class does not have fail like a late-bound call would.
  EXPECT_THROW(line->Radius(), CadError);
  EXPECT_THROW(text->StartPoint(), CadError);
  EXPECT_THROW(line->Name(), CadError);
  EXPECT_THROW(lw->Coordinate(3), CadError);
  EXPECT_NE(line->Handle(), Nth(1)->Handle());
  EXPECT_EQ(doc->ObjectIDToObject(arc->ObjectID())->EntityName(), "AcDbArc");
}

TEST_F(HostDrawingTest, OpenSaveOpenKeepsTheDrawing) {
  OpenEveryKind();
  // R12 has no ELLIPSE or LWPOLYLINE: the first save turns them into polylines, which must
  // keep what building acquisition reads.
  const auto first = temp.path() / "first.dxf";
  host.SaveAs(first);
  host.Open(first);
  doc = host.Application()->ActiveDocument();
  auto polyline = Nth(4);
  EXPECT_EQ(polyline->EntityName(), "AcDb2dPolyline");
  EXPECT_TRUE(polyline->Closed());
  EXPECT_DOUBLE_EQ(polyline->Elevation(), 12.5);
  EXPECT_DOUBLE_EQ(polyline->Thickness(), 3000);
  EXPECT_DOUBLE_EQ(polyline->GetBulge(1), 1);
  EXPECT_EQ(Nth(7)->TextString(), "日影");

  const auto once = host.Document();
  const auto second = temp.path() / "second.dxf";
  host.SaveAs(second);
  EXPECT_THAT(ReadFile(second), HasSubstr("$DWGCODEPAGE\r\n  3\r\nANSI_932"));
  host.Open(second);
  const auto& twice = host.Document();
  ASSERT_EQ(twice.modelSpace.size(), once.modelSpace.size());
  for (size_t i = 0; i < once.modelSpace.size(); ++i) {
    EXPECT_TRUE(twice.modelSpace[i].entity == once.modelSpace[i].entity) << "entity " << i;
  }
  EXPECT_TRUE(twice.layers == once.layers);
  EXPECT_NE(host::FindLayer(twice, "WALLS"), nullptr);
  EXPECT_EQ(host.OpenedPath(), second);
}

TEST_F(HostDrawingTest, SavingNeverTouchesTheOpenedFileAndAFailedSaveKeepsTheOldOne) {
  OpenEveryKind();
  const auto original = temp.path() / "every.dxf";
  host.SaveAs(original);
  host.Open(original);
  app = host.Application();
  doc = app->ActiveDocument();
  const std::string before = ReadFile(original);
  doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
  host.SaveAs(temp.path() / "other.dxf");
  EXPECT_EQ(ReadFile(original), before);

  files.failSave = true;
  try {
    host.SaveAs(original);
    ADD_FAILURE() << "the failed save was not reported";
  } catch (const CadError& e) {
    EXPECT_THAT(e.what(), HasSubstr("every.dxf"));
    EXPECT_THAT(e.what(), HasSubstr("disk full"));
  }
  EXPECT_EQ(ReadFile(original), before);
}

TEST_F(HostDrawingTest, OpenReportsSkippedKindsAndAnUnreadableFileKeepsTheDrawing) {
  const auto path = temp.path() / "hatch.dxf";
  std::ofstream(path, std::ios::binary)
      << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nHATCH\r\n  8\r\n0\r\n  0\r\nLINE\r\n"
         "  8\r\n0\r\n 10\r\n0\r\n 20\r\n0\r\n 30\r\n0\r\n 11\r\n1\r\n 21\r\n1\r\n 31\r\n0\r\n"
         "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  const auto report = host.Open(path);
  EXPECT_EQ(report.skippedEntities.at("HATCH"), 1);
  EXPECT_THAT(host.PromptLog(), HasSubstr("HATCH"));
  EXPECT_EQ(host.Document().modelSpace.size(), 1u);

  EXPECT_THROW(host.Open(temp.path() / "absent.dxf"), CadError);
  EXPECT_TRUE(host.IsOpen());
  EXPECT_EQ(host.Document().modelSpace.size(), 1u);
}

TEST_F(HostDrawingTest, SelectLastAndCrossingWithATypeFilter) {
  OpenEveryKind();
  auto set = doc->SelectionSets()->Add("ssVorn");
  set->Select(kSelectLast, {}, {});
  ASSERT_EQ(set->Count(), 1);
  EXPECT_EQ(set->Item(0)->EntityName(), "AcDbPoint");
  set->Clear();
  EXPECT_EQ(set->Count(), 0);
  // A window that only the circle and the text reach (the text's box starts at 5,6).
  const SelectionFilter circlesAndTexts{{0}, {"CIRCLE,TEXT"}};
  set->Select(kSelectCrossing, {4, 5, 0}, {45, 45, 0}, circlesAndTexts);
  std::vector<std::string> names;
  for (int i = 0; i < set->Count(); ++i) names.push_back(set->Item(i)->EntityName());
  EXPECT_THAT(names, ElementsAre("AcDbCircle", "AcDbText"));
  set->Clear();
  set->Select(kSelectCrossing, {4, 5, 0}, {45, 45, 0});
  EXPECT_GT(set->Count(), 2);  // lines and polylines cross it too
  EXPECT_THROW(set->Select(kSelectCrossing, {}, {}, SelectionFilter{{62}, {"1"}}), CadError);
  set->Delete();
  EXPECT_THROW(set->Count(), CadError);
  EXPECT_EQ(doc->SelectionSets()->Count(), 0);
}

TEST_F(HostDrawingTest, SelectOnScreenByHandlesLayerAndWindowWithOrWithoutFilter) {
  OpenEveryKind();
  const auto handles = Handles();
  user.SelectHandles({handles[1], handles[7]})
      .SelectLayer("walls")
      .SelectWindow({-1, -1, 0}, {101, 1, 0})
      .SelectLayer("WALLS")
      .Cancel();
  auto set = doc->SelectionSets()->Add("ssVorn");
  set->SelectOnScreen();
  EXPECT_EQ(set->Count(), 2);
  set->Clear();
  set->SelectOnScreen();
  EXPECT_EQ(set->Count(), 8);  // every entity but the text on layer 0
  set->Clear();
  set->SelectOnScreen();
  ASSERT_EQ(set->Count(), 1);  // only the line lies wholly inside
  EXPECT_EQ(set->Item(0)->EntityName(), "AcDbLine");
  set->Clear();
  set->SelectOnScreen(SelectionFilter{{0}, {"lwpolyline"}});
  ASSERT_EQ(set->Count(), 1);
  EXPECT_EQ(set->Item(0)->EntityName(), "AcDbPolyline");
  EXPECT_THROW(set->SelectOnScreen(), CadError);  // the user cancels
  EXPECT_EQ(set->Count(), 1);
}

TEST_F(HostDrawingTest, AnswersOutOfStepWithTheScriptAreAnError) {
  user.Point({1, 2, 0});
  auto set = doc->SelectionSets()->Add("ssTemp");
  EXPECT_THROW(set->SelectOnScreen(), CadError);
}

TEST_F(HostDrawingTest, UtilityPromptsPicksAndCancels) {
  OpenEveryKind();
  auto utility = doc->Utility();
  utility->Prompt("建物図形を選択して下さい.\r\n");
  user.Point({3, 4, 0}).Angle(kPi / 6).Entity(Handles()[0], {50, 0, 0}).Cancel().Cancel().Cancel();
  EXPECT_EQ(utility->GetPoint(std::nullopt, "測定点を指示 : "), (TAcadPoint{3, 4, 0}));
  EXPECT_DOUBLE_EQ(utility->GetAngle(std::nullopt, "真北の方向（角度）を指示 : "), kPi / 6);
  const auto picked = utility->GetEntity("壁面の線分を選択して下さい : ");
  EXPECT_EQ(picked.entity->EntityName(), "AcDbLine");
  EXPECT_EQ(picked.pickPoint, (TAcadPoint{50, 0, 0}));
  EXPECT_THROW(utility->GetPoint(std::nullopt, "p"), CadError);
  EXPECT_THROW(utility->GetAngle(std::nullopt, "a"), CadError);
  EXPECT_THROW(utility->GetEntity("e"), CadError);
  EXPECT_EQ(user.Pending(), 0u);
  EXPECT_THROW(utility->GetPoint(std::nullopt, "after the script"), CadError);  // empty queue
  EXPECT_EQ(user.Requests().back(), "after the script");
  EXPECT_EQ(user.Requests().size(), 7u);
  EXPECT_THAT(host.PromptLog(), HasSubstr("建物図形を選択して下さい.\r\n測定点を指示 : "));
}

TEST_F(HostDrawingTest, SystemVariablesHaveDefaultsAndKeepAnyOtherName) {
  EXPECT_EQ(doc->GetVariable("blipmode"), CadValue{int32_t{0}});
  EXPECT_EQ(doc->GetVariable("SNAPMODE"), CadValue{int32_t{0}});
  EXPECT_EQ(doc->GetVariable("FILEDIA"), CadValue{int32_t{1}});
  EXPECT_EQ(doc->GetVariable("LASTPOINT"), CadValue{TAcadPoint{}});
  EXPECT_DOUBLE_EQ(CadValueToDouble(doc->GetVariable("DIMSCALE")), 1.0);
  doc->SetVariable("DIMSCALE", 100.0);
  EXPECT_DOUBLE_EQ(CadValueToDouble(doc->GetVariable("DIMSCALE")), 100.0);
  doc->SetVariable("MyVar", std::string("kept"));
  EXPECT_EQ(doc->GetVariable("MYVAR"), CadValue{std::string("kept")});
  EXPECT_THROW(doc->GetVariable("NOSUCHVAR"), CadError);
  EXPECT_THROW(doc->SetVariable("BLIPMODE", 2.5), CadError);
  EXPECT_THROW(doc->SetVariable("LASTPOINT", int32_t{0}), CadError);
}

TEST_F(HostDrawingTest, OneUndoRemovesTheWholeMarkedCommand) {
  OpenEveryKind();
  const auto before = host::DrawingFromHostDocument(host.Document());
  doc->StartUndoMark();
  EnsureLayer(*app, "VORN_JIKOKU");
  doc->ModelSpace()->AddLine({0, 0, 0}, {5, 5, 0});
  auto block = CreateNumberedBlock(*doc, "VORN_");
  block->AddText("t", {0, 0, 0}, 1);
  doc->SendCommand("-INSERT\rVORN_1\r10,10\r1\r0\r");
  Nth(0)->Delete();
  Nth(1)->SetColor(1);
  doc->EndUndoMark();
  doc->Regen(0);
  EXPECT_NE(host::DrawingFromHostDocument(host.Document()), before);
  EXPECT_TRUE(host.Undo());
  EXPECT_EQ(host::DrawingFromHostDocument(host.Document()), before);
}

TEST_F(HostDrawingTest, ChangesOutsideMarksUndoOneAtATime) {
  auto a = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
  auto b = doc->ModelSpace()->AddLine({0, 0, 0}, {2, 0, 0});
  EXPECT_TRUE(host.Undo());
  EXPECT_EQ(doc->ModelSpace()->Count(), 1);
  EXPECT_THROW(b->EndPoint(), CadError);  // b was undone
  EXPECT_EQ(a->EndPoint(), (TAcadPoint{1, 0, 0}));
  EXPECT_TRUE(host.Undo());
  EXPECT_FALSE(host.Undo());
}

TEST_F(HostDrawingTest, RedoBringsBackWhatUndoRemovedUntilANewChange) {
  auto model = doc->ModelSpace();
  model->AddLine({0, 0, 0}, {1, 0, 0});
  const auto one = host::DrawingFromHostDocument(host.Document());
  doc->StartUndoMark();
  model->AddLine({0, 0, 0}, {2, 0, 0});
  model->AddLine({0, 0, 0}, {3, 0, 0});
  doc->EndUndoMark();
  const auto three = host::DrawingFromHostDocument(host.Document());
  EXPECT_FALSE(host.CanRedo());
  const int64_t beforeUndo = host.ChangeCount();

  ASSERT_TRUE(host.Undo());  // the marked pair as one
  EXPECT_GT(host.ChangeCount(), beforeUndo);
  EXPECT_EQ(host::DrawingFromHostDocument(host.Document()), one);
  ASSERT_TRUE(host.Redo());
  EXPECT_EQ(host::DrawingFromHostDocument(host.Document()), three);
  EXPECT_FALSE(host.Redo());

  // Undo twice, redo once: the drawing of the first line alone.
  ASSERT_TRUE(host.Undo());
  ASSERT_TRUE(host.Undo());
  EXPECT_EQ(model->Count(), 0);
  ASSERT_TRUE(host.Redo());
  EXPECT_EQ(host::DrawingFromHostDocument(host.Document()), one);
  // A system variable is a setting: redo leaves it as it is now.
  doc->SetVariable("BLIPMODE", int32_t{1});
  EXPECT_TRUE(host.CanRedo());
  // A new change forgets the undone groups.
  model->AddLine({5, 5, 0}, {6, 6, 0});
  EXPECT_FALSE(host.CanRedo());
  EXPECT_FALSE(host.Redo());
  EXPECT_EQ(model->Count(), 2);
  EXPECT_EQ(doc->GetVariable("BLIPMODE"), CadValue{int32_t{1}});
  ASSERT_TRUE(host.Undo());
  ASSERT_TRUE(host.Redo());
  EXPECT_EQ(doc->GetVariable("BLIPMODE"), CadValue{int32_t{1}});

  // A new drawing has no history.
  host.NewDrawing();
  EXPECT_FALSE(host.CanUndo());
  EXPECT_FALSE(host.CanRedo());
}

TEST_F(HostDrawingTest, AReleasedInteractionIsAskedNoMore) {
  host::ScriptedInteraction other;
  other.Point({1, 2, 0});
  user.Point({5, 6, 0});
  host.ReleaseInteraction(other);  // not the one asked: nothing changes
  EXPECT_EQ(doc->Utility()->GetPoint(std::nullopt, "p"), (TAcadPoint{5, 6, 0}));
  host.SetInteraction(other);
  EXPECT_EQ(doc->Utility()->GetPoint(std::nullopt, "p"), (TAcadPoint{1, 2, 0}));
  host.ReleaseInteraction(other);
  EXPECT_THROW(doc->Utility()->GetPoint(std::nullopt, "p"), CadError);
  doc->SendCommand("ID ");  // the command ends as cancelled
  EXPECT_EQ(other.Requests().size(), 1u);
}

TEST_F(HostDrawingTest, WindowAndCrossingHandlesMatchTheSelectionSets) {
  auto model = doc->ModelSpace();
  const auto inside = model->AddLine({1, 1, 0}, {2, 2, 0})->Handle();
  const auto across = model->AddLine({1, 1, 0}, {20, 1, 0})->Handle();
  model->AddLine({30, 30, 0}, {40, 40, 0});
  EXPECT_EQ(host.HandlesInWindow({0, 0, 0}, {10, 10, 0}, false),
            (std::vector<std::string>{inside}));
  EXPECT_EQ(host.HandlesInWindow({10, 10, 0}, {0, 0, 0}, true),
            (std::vector<std::string>{inside, across}));
}

TEST_F(HostDrawingTest, ATypedInsertionIsOneUndoGroupEvenOutsideMarks) {
  DxfDocument dxf;
  AddFrameOpening(dxf);
  AddDxfLine(dxf, "NEWLAYER", {0, 0, 0}, {1, 0, 0});
  AddFrameClosing(dxf);
  const auto file = temp.path() / "VORN_1.dxf";
  dxf.SaveToFile(file, kCadEncoding);
  doc->ModelSpace()->AddLine({5, 5, 0}, {6, 6, 0});
  const auto before = host::DrawingFromHostDocument(host.Document());
  doc->SendCommand("-INSERT\r\"*" + file.string() + "\"\r0,0 1 0\r");
  ASSERT_EQ(doc->ModelSpace()->Count(), 2);
  EXPECT_TRUE(host.Undo());  // block definition, layer and line together
  EXPECT_EQ(host::DrawingFromHostDocument(host.Document()), before);
  doc->SendCommand("BLIPMODE 1 ID 1,2 ");  // changes no entity: no undo group
  EXPECT_TRUE(host.Undo());
  EXPECT_EQ(doc->ModelSpace()->Count(), 0);
}

TEST_F(HostDrawingTest, ExplodeAndDeleteOfPolylinesAndHighlight) {
  OpenEveryKind();
  auto lw = Nth(4);
  lw->Highlight(true);
  const auto pieces = lw->Explode();
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0]->EntityName(), "AcDbLine");
  EXPECT_EQ(pieces[1]->EntityName(), "AcDbArc");  // the bulge of 1 is a half circle
  EXPECT_NEAR(pieces[1]->Radius(), 15, 1e-9);
  EXPECT_EQ(pieces[0]->StartPoint(), (TAcadPoint{0, 0, 12.5}));
  EXPECT_DOUBLE_EQ(pieces[0]->Thickness(), 3000);
  lw->Delete();
  EXPECT_THROW(lw->Delete(), CadError);
  EXPECT_THROW(Nth(1)->Explode(), CadError);  // a circle does not explode
}

TEST_F(HostDrawingTest, ObjectsOfAClosedDrawingFailInsteadOfTouchingAnother) {
  auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
  host.NewDrawing();
  EXPECT_THROW(line->EndPoint(), CadError);
  EXPECT_THROW(doc->ModelSpace(), CadError);
  host.Close();
  EXPECT_THROW(app->ActiveDocument(), CadError);
  EXPECT_FALSE(host.HasActiveObject("PCAD_AC_X.AcadApplication"));
}

TEST_F(HostDrawingTest, TheHostIsQuiescentExceptWhileItRunsACommand) {
  EXPECT_TRUE(app->GetAcadState()->IsQuiescent());
  EXPECT_TRUE(app->GetZcadState()->IsQuiescent());
  EXPECT_TRUE(app->GetGcadState()->IsQuiescent());

  // Asked from inside a command (the user's pick), the host is busy.
  class ProbingUser final : public host::Interaction {
   public:
    explicit ProbingUser(CadApplication& app) : app_(app) {}
    std::optional<host::SelectionAnswer> SelectObjects(const std::string&) override { return {}; }
    std::optional<TAcadPoint> GetPoint(const std::string&,
                                       const std::optional<TAcadPoint>&) override {
      busyDuringPick = !app_.GetAcadState()->IsQuiescent();
      return TAcadPoint{1, 1, 0};
    }
    std::optional<double> GetAngle(const std::string&, const std::optional<TAcadPoint>&) override {
      return {};
    }
    std::optional<host::EntityAnswer> GetEntity(const std::string&) override { return {}; }
    std::optional<TAcadPoint> GetInsertionPoint(const std::string&) override { return {}; }
    bool busyDuringPick = false;

   private:
    CadApplication& app_;
  } probing(*app);
  host.SetInteraction(probing);
  doc->SendCommand("ID\r");
  EXPECT_TRUE(probing.busyDuringPick);
  EXPECT_TRUE(app->GetAcadState()->IsQuiescent());
}

}  // namespace
}  // namespace vorn::cad::testing
