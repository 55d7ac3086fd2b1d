// Every object-model member the commands call, through the dispatch layer over scripted
// automation objects: the member's name, the kind of call, the number, order and VARIANT
// types of its arguments, and the conversion of its answer.
#include "cad/dispatch/dispatch_objects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "scripted_cad.h"

namespace vorn::cad::testing {
namespace {

using dispatch::DispatchMissing;

DispatchValue Doubles(std::vector<double> values) { return DispatchValue(std::move(values)); }

void ExpectPoint(const TAcadPoint& actual, const TAcadPoint& expected) {
  EXPECT_DOUBLE_EQ(actual.x, expected.x);
  EXPECT_DOUBLE_EQ(actual.y, expected.y);
  EXPECT_DOUBLE_EQ(actual.z, expected.z);
}

struct MemberCase {
  std::string label;
  std::string role;    // the scripted object that answers
  std::string member;  // the member it answers
  DispatchValue answer;
  std::function<void(ScriptedCad&)> call;  // makes the call and checks the converted answer
  std::string expected;                    // the call as the object received it
};

std::string CaseName(const ::testing::TestParamInfo<MemberCase>& info) { return info.param.label; }
void PrintTo(const MemberCase& c, std::ostream* os) { *os << c.label; }

class ObjectModelMember : public ::testing::TestWithParam<MemberCase> {};

TEST_P(ObjectModelMember, IsCalledByNameWithItsArgumentsAndItsAnswerConverted) {
  const MemberCase& c = GetParam();
  ScriptedCad cad;
  if (!c.member.empty()) {
    cad.Object(c.role).Returns(c.member, c.answer);
  }
  c.call(cad);
  EXPECT_EQ(cad.log.Last(), c.expected);
}

const TAcadPoint kP{1.5, -2, 3};
const TAcadPoint kQ{10, 20, 0};

std::vector<MemberCase> ApplicationAndDocumentCases() {
  return {
      {"HWND_64bit", "Application", "HWND", int64_t{0x1234567890},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.App()->Hwnd(), int64_t{0x1234567890}); },
       "Application.HWND"},
      {"HWND_32bit", "Application", "HWND", int32_t{4660},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.App()->Hwnd(), 4660); }, "Application.HWND"},
      {"ActiveDocument",
       "",
       "",
       {},
       [](ScriptedCad& cad) { EXPECT_NE(cad.App()->ActiveDocument(), nullptr); },
       "Application.ActiveDocument"},
      {"GetAcadState",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.App()->GetAcadState(); },
       "Application.GetAcadState()"},
      {"GetZcadState",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.App()->GetZcadState(); },
       "Application.GetZcadState()"},
      {"GetGcadState",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.App()->GetGcadState(); },
       "Application.GetGcadState()"},
      {"IsQuiescent", "State", "IsQuiescent", false,
       [](ScriptedCad& cad) { EXPECT_FALSE(cad.App()->GetGcadState()->IsQuiescent()); },
       "State.IsQuiescent"},
      {"ModelSpace",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->ModelSpace(); },
       "Document.ModelSpace"},
      {"Blocks", "", "", {}, [](ScriptedCad& cad) { cad.Doc()->Blocks(); }, "Document.Blocks"},
      {"Layers", "", "", {}, [](ScriptedCad& cad) { cad.Doc()->Layers(); }, "Document.Layers"},
      {"Linetypes",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Linetypes(); },
       "Document.Linetypes"},
      {"SelectionSets",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SelectionSets(); },
       "Document.SelectionSets"},
      {"Utility", "", "", {}, [](ScriptedCad& cad) { cad.Doc()->Utility(); }, "Document.Utility"},
      {"SendCommand",
       "Document",
       "SendCommand",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SendCommand("ID\r"); },
       "Document.SendCommand(BSTR \"ID\r\")"},
      {"SetVariable_short",
       "Document",
       "SetVariable",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SetVariable("FILEDIA", CadValue{int32_t{0}}); },
       "Document.SetVariable(BSTR \"FILEDIA\", I2 0)"},
      {"SetVariable_wideInteger",
       "Document",
       "SetVariable",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SetVariable("USERI1", CadValue{int32_t{70000}}); },
       "Document.SetVariable(BSTR \"USERI1\", I4 70000)"},
      {"SetVariable_real",
       "Document",
       "SetVariable",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SetVariable("DIMSCALE", CadValue{250.5}); },
       "Document.SetVariable(BSTR \"DIMSCALE\", R8 250.5)"},
      {"SetVariable_text",
       "Document",
       "SetVariable",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SetVariable("USERS1", CadValue{std::string("日影")}); },
       "Document.SetVariable(BSTR \"USERS1\", BSTR \"日影\")"},
      {"SetVariable_point",
       "Document",
       "SetVariable",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SetVariable("LASTPOINT", CadValue{kP}); },
       "Document.SetVariable(BSTR \"LASTPOINT\", R8[] {1.5, -2, 3})"},
      {"GetVariable_short", "Document", "GetVariable", int16_t{1},
       [](ScriptedCad& cad) {
         EXPECT_EQ(std::get<int32_t>(cad.Doc()->GetVariable("SNAPMODE")), 1);
       },
       "Document.GetVariable(BSTR \"SNAPMODE\")"},
      {"GetVariable_real", "Document", "GetVariable", 100.0,
       [](ScriptedCad& cad) {
         EXPECT_EQ(std::get<double>(cad.Doc()->GetVariable("DIMSCALE")), 100.0);
       },
       "Document.GetVariable(BSTR \"DIMSCALE\")"},
      {"GetVariable_point", "Document", "GetVariable", Doubles({4, 5, 6}),
       [](ScriptedCad& cad) {
         ExpectPoint(CadValueToPoint(cad.Doc()->GetVariable("LASTPOINT")), {4, 5, 6});
       },
       "Document.GetVariable(BSTR \"LASTPOINT\")"},
      {"GetVariable_pointOfVariants", "Document", "GetVariable",
       std::vector<DispatchValue>{7.0, int32_t{8}, 9.5},
       [](ScriptedCad& cad) {
         ExpectPoint(CadValueToPoint(cad.Doc()->GetVariable("LASTPOINT")), {7, 8, 9.5});
       },
       "Document.GetVariable(BSTR \"LASTPOINT\")"},
      {"GetVariable_text", "Document", "GetVariable", "C:\\dwg",
       [](ScriptedCad& cad) {
         EXPECT_EQ(std::get<std::string>(cad.Doc()->GetVariable("DWGPREFIX")), "C:\\dwg");
       },
       "Document.GetVariable(BSTR \"DWGPREFIX\")"},
      {"StartUndoMark",
       "Document",
       "StartUndoMark",
       {},
       [](ScriptedCad& cad) { cad.Doc()->StartUndoMark(); },
       "Document.StartUndoMark()"},
      {"EndUndoMark",
       "Document",
       "EndUndoMark",
       {},
       [](ScriptedCad& cad) { cad.Doc()->EndUndoMark(); },
       "Document.EndUndoMark()"},
      {"Regen",
       "Document",
       "Regen",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Regen(1); },
       "Document.Regen(I4 1)"},
      {"ObjectIDToObject",
       "",
       "",
       {},
       [](ScriptedCad& cad) {
         EXPECT_NE(cad.Doc()->ObjectIDToObject(int64_t{0x7FF612345678}), nullptr);
       },
       "Document.ObjectIDToObject(I8 140694844102264)"},
  };
}

std::vector<MemberCase> CollectionCases() {
  return {
      {"Layers_Count", "Layers", "Count", int32_t{3},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->Layers()->Count(), 3); }, "Layers.Count"},
      {"Layers_Item",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Layers()->Item(2); },
       "Layers.Item(I4 2)"},
      {"Layers_Add",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Layers()->Add("日影"); },
       "Layers.Add(BSTR \"日影\")"},
      {"Layer_Name", "Layer", "Name", "壁面",
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->Layers()->Item(0)->Name(), "壁面"); },
       "Layer.Name"},
      {"Layer_Delete",
       "Layer",
       "Delete",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Layers()->Item(0)->Delete(); },
       "Layer.Delete()"},
      {"Linetypes_Count", "Linetypes", "Count", int16_t{2},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->Linetypes()->Count(), 2); }, "Linetypes.Count"},
      {"Linetypes_Item",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Linetypes()->Item(1); },
       "Linetypes.Item(I4 1)"},
      {"Linetypes_Add",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Linetypes()->Add("DOT"); },
       "Linetypes.Add(BSTR \"DOT\")"},
      {"Linetypes_Load",
       "Linetypes",
       "Load",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Linetypes()->Load("HIDDEN2", "acadiso.lin"); },
       "Linetypes.Load(BSTR \"HIDDEN2\", BSTR \"acadiso.lin\")"},
      {"Linetype_Name", "Linetype", "Name", "Hidden2",
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->Linetypes()->Item(0)->Name(), "Hidden2"); },
       "Linetype.Name"},
      {"Blocks_Count", "Blocks", "Count", int32_t{12},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->Blocks()->Count(), 12); }, "Blocks.Count"},
      {"Blocks_Item",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Blocks()->Item(0); },
       "Blocks.Item(I4 0)"},
      {"Blocks_Add",
       "",
       "",
       {},
       [](ScriptedCad& cad) {
         cad.Doc()->Blocks()->Add({0, 0, 0}, "VORN_11");
       },
       "Blocks.Add(R8[] {0, 0, 0}, BSTR \"VORN_11\")"},
      {"Block_Name", "Block", "Name", "VORN_3",
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->Blocks()->Item(0)->Name(), "VORN_3"); },
       "Block.Name"},
      {"Block_Delete",
       "Block",
       "Delete",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Blocks()->Item(0)->Delete(); },
       "Block.Delete()"},
      {"Block_Count", "Block", "Count", int32_t{5},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->Blocks()->Item(0)->Count(), 5); },
       "Block.Count"},
      {"Block_Item",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Blocks()->Item(0)->Item(4); },
       "Block.Item(I4 4)"},
      {"Block_AddLine",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Blocks()->Item(0)->AddLine(kP, kQ); },
       "Block.AddLine(R8[] {1.5, -2, 3}, R8[] {10, 20, 0})"},
      {"Block_AddText",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Blocks()->Item(0)->AddText("8:30", kQ, 250); },
       "Block.AddText(BSTR \"8:30\", R8[] {10, 20, 0}, R8 250)"},
      {"ModelSpace_AddLine",
       "",
       "",
       {},
       [](ScriptedCad& cad) { EXPECT_NE(cad.Doc()->ModelSpace()->AddLine(kQ, kP), nullptr); },
       "ModelSpace.AddLine(R8[] {10, 20, 0}, R8[] {1.5, -2, 3})"},
      {"SelectionSets_Count", "SelectionSets", "Count", int32_t{0},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Doc()->SelectionSets()->Count(), 0); },
       "SelectionSets.Count"},
      {"SelectionSets_Item",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SelectionSets()->Item(3); },
       "SelectionSets.Item(I4 3)"},
      {"SelectionSets_Add",
       "",
       "",
       {},
       [](ScriptedCad& cad) { cad.Doc()->SelectionSets()->Add("ssTemp"); },
       "SelectionSets.Add(BSTR \"ssTemp\")"},
  };
}

std::shared_ptr<CadSelectionSet> Set(ScriptedCad& cad) {
  return cad.Doc()->SelectionSets()->Item(0);
}

std::vector<MemberCase> SelectionAndUtilityCases() {
  return {
      {"Set_Name", "SelectionSet", "Name", "ssVorn",
       [](ScriptedCad& cad) { EXPECT_EQ(Set(cad)->Name(), "ssVorn"); }, "SelectionSet.Name"},
      {"Set_Clear",
       "SelectionSet",
       "Clear",
       {},
       [](ScriptedCad& cad) { Set(cad)->Clear(); },
       "SelectionSet.Clear()"},
      {"Set_Delete",
       "SelectionSet",
       "Delete",
       {},
       [](ScriptedCad& cad) { Set(cad)->Delete(); },
       "SelectionSet.Delete()"},
      {"Set_Count", "SelectionSet", "Count", int32_t{7},
       [](ScriptedCad& cad) { EXPECT_EQ(Set(cad)->Count(), 7); }, "SelectionSet.Count"},
      {"Set_Item",
       "",
       "",
       {},
       [](ScriptedCad& cad) { Set(cad)->Item(0); },
       "SelectionSet.Item(I4 0)"},
      {"Set_SelectLast",
       "SelectionSet",
       "Select",
       {},
       [](ScriptedCad& cad) { Set(cad)->Select(kSelectLast, {}, {}); },
       "SelectionSet.Select(I4 4, R8[] {0, 0, 0}, R8[] {0, 0, 0})"},
      {"Set_SelectCrossingFiltered",
       "SelectionSet",
       "Select",
       {},
       [](ScriptedCad& cad) {
         Set(cad)->Select(kSelectCrossing, kP, kQ, {{0, 8}, {"CIRCLE,TEXT", "測定点"}});
       },
       "SelectionSet.Select(I4 1, R8[] {1.5, -2, 3}, R8[] {10, 20, 0}, I2[] {0, 8}, "
       "VARIANT[] {BSTR \"CIRCLE,TEXT\", BSTR \"測定点\"})"},
      {"Set_SelectOnScreen",
       "SelectionSet",
       "SelectOnScreen",
       {},
       [](ScriptedCad& cad) { Set(cad)->SelectOnScreen(); },
       "SelectionSet.SelectOnScreen()"},
      {"Set_SelectOnScreenFiltered",
       "SelectionSet",
       "SelectOnScreen",
       {},
       [](ScriptedCad& cad) {
         Set(cad)->SelectOnScreen({{0}, {"CIRCLE,TEXT"}});
       },
       "SelectionSet.SelectOnScreen(I2[] {0}, VARIANT[] {BSTR \"CIRCLE,TEXT\"})"},
      {"Set_Highlight",
       "SelectionSet",
       "Highlight",
       {},
       [](ScriptedCad& cad) { Set(cad)->Highlight(false); },
       "SelectionSet.Highlight(Bool false)"},
      {"Utility_Prompt",
       "Utility",
       "Prompt",
       {},
       [](ScriptedCad& cad) { cad.Doc()->Utility()->Prompt("計算中\r\n"); },
       "Utility.Prompt(BSTR \"計算中\r\n\")"},
      {"Utility_GetPoint", "Utility", "GetPoint", Doubles({100, 200, 0}),
       [](ScriptedCad& cad) {
         ExpectPoint(cad.Doc()->Utility()->GetPoint(std::nullopt, "点: "), {100, 200, 0});
       },
       "Utility.GetPoint(Missing, BSTR \"点: \")"},
      {"Utility_GetPointFromBase", "Utility", "GetPoint", Doubles({1, 2, 3}),
       [](ScriptedCad& cad) { cad.Doc()->Utility()->GetPoint(kQ, "次: "); },
       "Utility.GetPoint(R8[] {10, 20, 0}, BSTR \"次: \")"},
      {"Utility_GetAngle", "Utility", "GetAngle", 1.25,
       [](ScriptedCad& cad) {
         EXPECT_DOUBLE_EQ(cad.Doc()->Utility()->GetAngle(std::nullopt, "北: "), 1.25);
       },
       "Utility.GetAngle(Missing, BSTR \"北: \")"},
  };
}

std::vector<MemberCase> EntityCases() {
  const auto text = [](const char* label, const char* member, const char* answer,
                       std::string (CadEntity::*read)()) {
    return MemberCase{
        label,
        "Entity",
        member,
        answer,
        [read, answer](ScriptedCad& cad) { EXPECT_EQ(((*cad.Entity()).*read)(), answer); },
        std::string("Entity.") + member};
  };
  const auto number = [](const char* label, const char* member, DispatchValue answer,
                         double expected, double (CadEntity::*read)()) {
    return MemberCase{label,
                      "Entity",
                      member,
                      std::move(answer),
                      [read, expected](ScriptedCad& cad) {
                        EXPECT_DOUBLE_EQ(((*cad.Entity()).*read)(), expected);
                      },
                      std::string("Entity.") + member};
  };
  const auto point = [](const char* label, const char* member, TAcadPoint (CadEntity::*read)()) {
    return MemberCase{label,
                      "Entity",
                      member,
                      Doubles({kP.x, kP.y, kP.z}),
                      [read](ScriptedCad& cad) { ExpectPoint(((*cad.Entity()).*read)(), kP); },
                      std::string("Entity.") + member};
  };
  return {
      text("EntityName", "EntityName", "AcDbBlockReference", &CadEntity::EntityName),
      text("Handle", "Handle", "2F", &CadEntity::Handle),
      text("Layer", "Layer", "建物", &CadEntity::Layer),
      text("Name", "Name", "VORN_4", &CadEntity::Name),
      text("TextString", "TextString", "10:30", &CadEntity::TextString),
      {"ObjectID_64bit", "Entity", "ObjectID", int64_t{0x7FF600001234},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Entity()->ObjectID(), int64_t{0x7FF600001234}); },
       "Entity.ObjectID"},
      {"ObjectID_32bit", "Entity", "ObjectID", int32_t{-2106432},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Entity()->ObjectID(), -2106432); }, "Entity.ObjectID"},
      {"Closed", "Entity", "Closed", true,
       [](ScriptedCad& cad) { EXPECT_TRUE(cad.Entity()->Closed()); }, "Entity.Closed"},
      point("InsertionPoint", "InsertionPoint", &CadEntity::InsertionPoint),
      point("StartPoint", "StartPoint", &CadEntity::StartPoint),
      point("EndPoint", "EndPoint", &CadEntity::EndPoint),
      point("center", "center", &CadEntity::center),
      point("MajorAxis", "MajorAxis", &CadEntity::MajorAxis),
      point("Normal", "Normal", &CadEntity::Normal),
      number("Radius", "Radius", 2500.0, 2500.0, &CadEntity::Radius),
      number("Radius_fromInteger", "Radius", int32_t{300}, 300.0, &CadEntity::Radius),
      number("StartAngle", "StartAngle", 0.5, 0.5, &CadEntity::StartAngle),
      number("EndAngle", "EndAngle", 4.0, 4.0, &CadEntity::EndAngle),
      number("RadiusRatio", "RadiusRatio", 0.25, 0.25, &CadEntity::RadiusRatio),
      number("StartParameter", "StartParameter", 0.1, 0.1, &CadEntity::StartParameter),
      number("EndParameter", "EndParameter", 6.0, 6.0, &CadEntity::EndParameter),
      number("Thickness", "Thickness", 3000.0, 3000.0, &CadEntity::Thickness),
      number("Elevation", "Elevation", -150.0, -150.0, &CadEntity::Elevation),
      number("ScaleFactor", "ScaleFactor", 0.8, 0.8, &CadEntity::ScaleFactor),
      {"Coordinates", "Entity", "Coordinates", Doubles({0, 0, 5, 0, 5, 5}),
       [](ScriptedCad& cad) {
         EXPECT_EQ(cad.Entity()->Coordinates(), (std::vector<double>{0, 0, 5, 0, 5, 5}));
       },
       "Entity.Coordinates"},
      {"Coordinate_2d", "Entity", "Coordinate", Doubles({5, 6}),
       [](ScriptedCad& cad) {
         ExpectPoint(cad.Entity()->Coordinate(2), {5, 6, 0});
       },
       "Entity.Coordinate[I4 2]"},
      {"GetBulge", "Entity", "GetBulge", -0.4142,
       [](ScriptedCad& cad) { EXPECT_DOUBLE_EQ(cad.Entity()->GetBulge(1), -0.4142); },
       "Entity.GetBulge(I4 1)"},
      {"color", "Entity", "color", int32_t{256},
       [](ScriptedCad& cad) { EXPECT_EQ(cad.Entity()->color(), 256); }, "Entity.color"},
      {"SetColor",
       "Entity",
       "color",
       {},
       [](ScriptedCad& cad) { cad.Entity()->SetColor(3); },
       "Entity.color = I4 3"},
      {"SetScaleFactor",
       "Entity",
       "ScaleFactor",
       {},
       [](ScriptedCad& cad) { cad.Entity()->SetScaleFactor(0.7); },
       "Entity.ScaleFactor = R8 0.7"},
      {"Highlight",
       "Entity",
       "Highlight",
       {},
       [](ScriptedCad& cad) { cad.Entity()->Highlight(false); },
       "Entity.Highlight(Bool false)"},
      {"Delete",
       "Entity",
       "Delete",
       {},
       [](ScriptedCad& cad) { cad.Entity()->Delete(); },
       "Entity.Delete()"},
  };
}

INSTANTIATE_TEST_SUITE_P(ApplicationAndDocument, ObjectModelMember,
                         ::testing::ValuesIn(ApplicationAndDocumentCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Collections, ObjectModelMember, ::testing::ValuesIn(CollectionCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(SelectionAndUtility, ObjectModelMember,
                         ::testing::ValuesIn(SelectionAndUtilityCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Entity, ObjectModelMember, ::testing::ValuesIn(EntityCases()), CaseName);

TEST(DispatchEntity, ExplodeGivesThePartsTheCadAdded) {
  ScriptedCad cad;
  auto line = Scripted(cad.log, "Entity");
  line->Returns("EntityName", "AcDbLine");
  cad.entity->Returns("Explode",
                      std::vector<DispatchValue>{DispatchObjectPtr(line), DispatchObjectPtr(line)});
  const auto parts = cad.Entity()->Explode();
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[1]->EntityName(), "AcDbLine");
  EXPECT_EQ(cad.log.Texts(), (std::vector<std::string>{"Entity.Explode()", "Entity.EntityName"}));
}

TEST(DispatchUtility, GetEntityReadsTheEntityAndThePickPointFromItsOutArguments) {
  ScriptedCad cad;
  cad.utility->On("GetEntity", [&cad](std::span<DispatchArgument> args) {
    args[0].value = DispatchObjectPtr(cad.entity);
    args[1].value = Doubles({12, 34, 0});
    return DispatchValue{};
  });
  cad.entity->Returns("EntityName", "AcDbCircle");
  const PickedEntity picked = dispatch::WrapUtility(cad.utility)->GetEntity("建物を選択: ");
  EXPECT_EQ(cad.log.Last(), "Utility.GetEntity(&Object null, &Empty, BSTR \"建物を選択: \")");
  ExpectPoint(picked.pickPoint, {12, 34, 0});
  EXPECT_EQ(picked.entity->EntityName(), "AcDbCircle");
}

// A failed call names the object and the member, and keeps the CAD's own text and HRESULT.
TEST(DispatchFailures, NameTheMemberAndCarryTheCadsText) {
  ScriptedCad cad;
  cad.document->Fails("SendCommand", dispatch::kDispException, "コマンドを実行できません");
  try {
    cad.Doc()->SendCommand("-INSERT\r");
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_STREQ(e.what(), "Document.SendCommand: コマンドを実行できません (HRESULT 0x80020009)");
  }
  try {
    cad.Entity()->RadiusRatio();  // nobody answers: an unknown name
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_STREQ(e.what(), "Entity.RadiusRatio: Unknown name. (HRESULT 0x80020006)");
  }
}

struct WrongAnswer {
  std::string label;
  std::string role;
  std::string member;
  DispatchValue answer;
  std::function<void(ScriptedCad&)> call;
  std::string message;
};

void PrintTo(const WrongAnswer& c, std::ostream* os) { *os << c.label; }

class AnswerOfTheWrongShape : public ::testing::TestWithParam<WrongAnswer> {};

TEST_P(AnswerOfTheWrongShape, IsACadErrorNamingTheMember) {
  const WrongAnswer& c = GetParam();
  ScriptedCad cad;
  cad.Object(c.role).Returns(c.member, c.answer);
  try {
    c.call(cad);
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_EQ(std::string(e.what()), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Results, AnswerOfTheWrongShape,
    ::testing::Values(
        WrongAnswer{"TextForANumber", "Entity", "Radius", "12",
                    [](ScriptedCad& cad) { cad.Entity()->Radius(); },
                    "Entity.Radius returned BSTR \"12\" where a number was expected"},
        WrongAnswer{"FourNumbersForAPoint", "Entity", "InsertionPoint", Doubles({1, 2, 3, 4}),
                    [](ScriptedCad& cad) { cad.Entity()->InsertionPoint(); },
                    "Entity.InsertionPoint returned R8[] {1, 2, 3, 4} where a point was "
                    "expected"},
        WrongAnswer{"NoObject", "Layers", "Item", DispatchValue{},
                    [](ScriptedCad& cad) { cad.Doc()->Layers()->Item(0); },
                    "Layers.Item returned Empty where an object was expected"},
        WrongAnswer{"NullObject", "Application", "ActiveDocument", DispatchObjectPtr{},
                    [](ScriptedCad& cad) { cad.App()->ActiveDocument(); },
                    "Application.ActiveDocument returned Object null where an object was "
                    "expected"},
        WrongAnswer{"RealForAnId", "Entity", "ObjectID", 3.0,
                    [](ScriptedCad& cad) { cad.Entity()->ObjectID(); },
                    "Entity.ObjectID returned R8 3 where an integer was expected"},
        WrongAnswer{"CountBeyond32Bits", "Blocks", "Count", int64_t{1} << 40,
                    [](ScriptedCad& cad) { cad.Doc()->Blocks()->Count(); },
                    "Blocks.Count returned I8 1099511627776 where a 32-bit integer was "
                    "expected"},
        WrongAnswer{"ObjectForAVariable", "Document", "GetVariable", DispatchObjectPtr{},
                    [](ScriptedCad& cad) { cad.Doc()->GetVariable("X"); },
                    "Document.GetVariable returned Object null where a system variable's "
                    "value was expected"},
        WrongAnswer{"TextAmongExplodedParts", "Entity", "Explode",
                    std::vector<DispatchValue>{"AcDbLine"},
                    [](ScriptedCad& cad) { cad.Entity()->Explode(); },
                    "Entity.Explode returned BSTR \"AcDbLine\" where an object was expected"},
        WrongAnswer{"NoFlag", "State", "IsQuiescent", DispatchValue{},
                    [](ScriptedCad& cad) { cad.App()->GetAcadState()->IsQuiescent(); },
                    "State.IsQuiescent returned Empty where a Bool was expected"}),
    [](const ::testing::TestParamInfo<WrongAnswer>& info) { return info.param.label; });

TEST(DispatchSelectionSet, AFilterWithoutAValuePerCodeIsRefusedBeforeTheCall) {
  ScriptedCad cad;
  const auto set = dispatch::WrapSelectionSet(cad.selectionSet);
  try {
    set->Select(kSelectCrossing, kP, kQ, {{0, 8}, {"LINE"}});
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_EQ(std::string(e.what()),
              "SelectionSet.Select: a selection filter needs one value per group code "
              "(2 codes, 1 values)");
  }
  EXPECT_THROW(set->SelectOnScreen({{70000}, {"X"}}), CadError);
  EXPECT_TRUE(cad.log.calls.empty());
}

TEST(DispatchDocument, ASystemVariableCannotBeSetToNothing) {
  ScriptedCad cad;
  EXPECT_THROW(cad.Doc()->SetVariable("FILEDIA", CadValue{}), CadError);
  EXPECT_TRUE(cad.log.calls.empty());
}

TEST(DispatchConnector, FindsTheRunningCadByProgIdAndReportsAMissingOne) {
  ScriptedCad cad;
  ScriptedRunningObjects running;
  running.application = cad.application;
  dispatch::DispatchConnector connector(running);
  EXPECT_TRUE(connector.HasActiveObject("ZWCAD.Application"));
  cad.application->Returns("HWND", int32_t{42});
  EXPECT_EQ(connector.GetActiveObject("ZWCAD.Application")->Hwnd(), 42);
  running.running = false;
  EXPECT_FALSE(connector.HasActiveObject("GCAD.Application"));
  try {
    connector.GetActiveObject("GCAD.Application");
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_EQ(std::string(e.what()),
              "GetActiveObject(GCAD.Application): Operation unavailable (HRESULT 0x800401E3)");
  }
  EXPECT_EQ(running.lookups, (std::vector<std::string>{"ZWCAD.Application", "ZWCAD.Application",
                                                       "GCAD.Application", "GCAD.Application"}));
}

}  // namespace
}  // namespace vorn::cad::testing
