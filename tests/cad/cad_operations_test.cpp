#include "cad/cad_operations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cad_fakes.h"
#include "host_fixture.h"

namespace vorn::cad::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ThrowingConnector final : public CadConnector {
 public:
  bool HasActiveObject(std::string_view) override { throw CadError("no class for this ProgID"); }
  CadApplicationPtr GetActiveObject(std::string_view) override { throw CadError("none"); }
};

TEST(IsCadActive, FollowsTheHostsOpenDrawingAndTreatsLookupErrorsAsNotRunning) {
  host::ScriptedInteraction user;
  host::DxfDrawingFiles files;
  host::DrawingHost host(user, files);
  EXPECT_FALSE(IsCadActive(host, "PCAD_AC_X.AcadApplication"));
  host.NewDrawing();
  EXPECT_TRUE(IsCadActive(host, "AutoCAD.Application"));
  EXPECT_TRUE(IsCadActive(host, "anything at all"));
  host.Close();
  EXPECT_FALSE(IsCadActive(host, "PCAD_AC_X.AcadApplication"));
  EXPECT_THROW(host.GetActiveObject("PCAD_AC_X.AcadApplication"), CadError);

  ThrowingConnector broken;
  EXPECT_FALSE(IsCadActive(broken, "Broken.Application"));
}

TEST(ActivateCad, RestoresAMinimisedCadAndSendsEscOnlyWhenItCameToTheFront) {
  FakeDocumentApplication app;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  windows.iconic = true;
  ActivateCad(app, CadLink{"X", windows, clock, messages});
  EXPECT_THAT(windows.calls,
              ElementsAre("OpenIcon 55", "SetForegroundWindow 55", "EscDown", "EscUp"));
  EXPECT_THAT(clock.sleeps, ElementsAre(500, 5, 200));

  RecordingWindows stubborn;
  stubborn.comesToFront = false;
  FakeClock clock2;
  ActivateCad(app, CadLink{"X", stubborn, clock2, messages});
  EXPECT_THAT(stubborn.calls, ElementsAre("SetForegroundWindow 55"));
  EXPECT_THAT(clock2.sleeps, IsEmpty());
}

struct IdleCase {
  const char* progId;
  const char* member;
};

void PrintTo(const IdleCase& c, std::ostream* os) { *os << c.progId; }

class IdleMemberTest : public ::testing::TestWithParam<IdleCase> {};

TEST_P(IdleMemberTest, WaitCadIdlePollsTheMemberOfThatKindOfCad) {
  IdleProbeApplication app;
  app.busyPolls = 2;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  WaitCadIdle(app, 100, CadLink{GetParam().progId, windows, clock, messages});
  EXPECT_EQ(IdleStateMember(GetParam().progId), GetParam().member);
  ASSERT_EQ(app.asked.size(), 3u);
  for (const auto& asked : app.asked) EXPECT_EQ(asked, GetParam().member);
  // One interval before, one per busy answer, one after.
  EXPECT_THAT(clock.sleeps, ElementsAre(100, 100, 100, 100));
  EXPECT_THAT(messages.shown, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, IdleMemberTest,
                         ::testing::Values(IdleCase{"GCAD.Application", "GetGcadState"},
                                           IdleCase{"gcad.application", "GetGcadState"},
                                           IdleCase{"ZWCAD.Application", "GetZcadState"},
                                           IdleCase{"ZWCAD.GCAD.Both", "GetGcadState"},
                                           IdleCase{"AutoCAD.Application", "GetAcadState"},
                                           IdleCase{"PCAD_AC_X.AcadApplication", "GetAcadState"},
                                           IdleCase{"BricscadApp.AcadApplication", "GetAcadState"},
                                           IdleCase{"Unknown.Thing", "GetAcadState"}));

TEST(WaitCadIdle, ACadThatNeverBecomesIdleEndsTheCommandWithAMessage) {
  IdleProbeApplication app;
  app.busyPolls = -1;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  CadLink link{"AutoCAD.Application", windows, clock, messages, 3000};
  EXPECT_THROW(WaitCadIdle(app, 200, link), CadIdleTimeout);
  EXPECT_THAT(messages.shown, ElementsAre(IdleTimeoutMessage(3000)));
  EXPECT_NE(IdleTimeoutMessage(3000).find("3 秒"), std::string::npos);
  EXPECT_GE(clock.now, 3000);
  EXPECT_LE(clock.now, 3400);
}

TEST(WaitCadIdle, AZeroIntervalStillReachesTheLimit) {
  IdleProbeApplication app;
  app.busyPolls = -1;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  EXPECT_THROW(WaitCadIdle(app, 0, CadLink{"X", windows, clock, messages, 50}), CadIdleTimeout);
}

struct LinetypeCase {
  const char* progId;
  const char* name;
  const char* file;
};

void PrintTo(const LinetypeCase& c, std::ostream* os) { *os << c.progId; }

class HiddenLinetypeTest : public ::testing::TestWithParam<LinetypeCase> {};

TEST_P(HiddenLinetypeTest, LoadsTheKindsLinetypeFromItsFile) {
  FakeDocumentApplication app;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  app.document->linetypes->loadedSpelling = std::string(GetParam().name) + "_asSpelled";
  const std::string result =
      LoadHiddenLinetype(app, CadLink{GetParam().progId, windows, clock, messages});
  EXPECT_THAT(app.document->linetypes->loads,
              ElementsAre(std::string(GetParam().name) + "|" + GetParam().file));
  EXPECT_EQ(result, app.document->linetypes->loadedSpelling);  // the last linetype's name
  EXPECT_THAT(messages.shown, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, HiddenLinetypeTest,
    ::testing::Values(LinetypeCase{"GCAD.Application", "HIDDEN2", "gcadiso.lin"},
                      LinetypeCase{"GcadPcad.Application", "HIDDEN2", "gcadiso.lin"},
                      LinetypeCase{"AutoCAD.Application.24", "HIDDEN2", "acadiso.lin"},
                      LinetypeCase{"BricscadApp.AcadApplication", "HIDDEN2", "iso.lin"},
                      LinetypeCase{"ZWCAD.Application", "HIDDEN2", "zwcadiso.lin"},
                      LinetypeCase{"Other.Application", "HIDDEN2", ""}));

TEST(LoadHiddenLinetype, ReturnsAnExistingLinetypeAsTheCadSpellsIt) {
  FakeDocumentApplication app;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  app.document->linetypes->names.push_back("Hidden2");
  EXPECT_EQ(LoadHiddenLinetype(app, CadLink{"AutoCAD.Application", windows, clock, messages}),
            "Hidden2");
  EXPECT_THAT(app.document->linetypes->loads, IsEmpty());
}

TEST(LoadHiddenLinetype, PcadTypesTheLinetypeCommandWithTheFileDialogOff) {
  FakeDocumentApplication app;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  EXPECT_EQ(LoadHiddenLinetype(app, CadLink{"pcad_ac_x.AcadApplication", windows, clock, messages}),
            "");
  EXPECT_THAT(app.document->log,
              ElementsAre("SetVariable FILEDIA 0", "SendCommand -LINETYPE\rL\rHIDDEN\rMM.LIN\r\r",
                          "SetVariable FILEDIA 1"));
  EXPECT_THAT(clock.sleeps, ElementsAre(100));
  EXPECT_THAT(app.document->linetypes->loads, IsEmpty());
}

TEST(LoadHiddenLinetype, AFailingLoadShowsTheMessageAndBringsTheCadForward) {
  FakeDocumentApplication app;
  FakeClock clock;
  RecordingMessages messages;
  RecordingWindows windows;
  app.document->linetypes->failLoad = true;
  EXPECT_EQ(LoadHiddenLinetype(app, CadLink{"Other.Application", windows, clock, messages}), "");
  EXPECT_THAT(app.document->linetypes->loads, ElementsAre("HIDDEN2|"));
  EXPECT_THAT(messages.shown, ElementsAre("線種ロードエラー"));
  EXPECT_THAT(windows.calls, ElementsAre("SetForegroundWindow 55"));
}

// Against the host: its built-in line-type files serve every known kind; the PCAD command
// really loads HIDDEN; an unknown kind has no file and fails.
TEST_F(HostTest, LoadHiddenLinetypeWorksOnTheHostForEveryKind) {
  EXPECT_EQ(LoadHiddenLinetype(*app, Link("AutoCAD.Application")), "HIDDEN2");
  EXPECT_EQ(LoadHiddenLinetype(*app, Link("ZWCAD.Application")), "HIDDEN2");  // already there
  EXPECT_EQ(LoadHiddenLinetype(*app, Link("PCAD_AC_X.AcadApplication")), "");
  EXPECT_EQ(doc->GetVariable("FILEDIA"), CadValue{int32_t{1}});
  EXPECT_EQ(LoadHiddenLinetype(*app, Link("PCAD_AC_X.AcadApplication")), "HIDDEN");
  const auto* hidden = host::FindLineType(host.Document(), "HIDDEN");
  ASSERT_NE(hidden, nullptr);
  EXPECT_DOUBLE_EQ(hidden->patternLength, 9.525);
  EXPECT_THAT(messages.shown, IsEmpty());

  host.NewDrawing();
  app = host.Application();
  EXPECT_EQ(LoadHiddenLinetype(*app, Link("Unknown.Application")), "");
  EXPECT_THAT(messages.shown, ElementsAre("線種ロードエラー"));
}

TEST_F(HostTest, EnsureLayerAddsAMissingLayerOnce) {
  EXPECT_TRUE(EnsureLayer(*app, "VORN_SHADOW"));
  EXPECT_TRUE(EnsureLayer(*app, "VORN_SHADOW"));
  EXPECT_EQ(doc->Layers()->Count(), 2);
  EXPECT_EQ(doc->Layers()->Item(1)->Name(), "VORN_SHADOW");
}

struct BlockNameCase {
  std::vector<std::string> blocks;
  const char* expected;
};

void PrintTo(const BlockNameCase& c, std::ostream* os) { *os << c.expected; }

class NextBlockNameTest : public HostTest, public ::testing::WithParamInterface<BlockNameCase> {};

TEST_P(NextBlockNameTest, IsOneMoreThanTheLargestSerialInAnyLetterCase) {
  for (const auto& name : GetParam().blocks) doc->Blocks()->Add({}, name);
  const int before = doc->Blocks()->Count();
  EXPECT_EQ(NextBlockName(*doc, "VORN_"), GetParam().expected);
  EXPECT_EQ(doc->Blocks()->Count(), before);  // nothing created
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, NextBlockNameTest,
    ::testing::Values(BlockNameCase{{}, "VORN_1"},
                      BlockNameCase{{"VORN_3", "vorn_10", "Vorn_abc"}, "VORN_11"},
                      BlockNameCase{{"VORN_1", "vorn_7"}, "VORN_8"},
                      BlockNameCase{{"VORN_", "VORN_x1", "OTHER_40"}, "VORN_1"},
                      BlockNameCase{{"VORN_-5", "VORN_2"}, "VORN_3"},
                      BlockNameCase{{"VORN_99999999999"}, "VORN_1"},
                      BlockNameCase{{"VORN_2147483647"}, "VORN_2147483648"}));

TEST_F(HostTest, CreateNumberedBlockAddsTheNextBlockAtTheOrigin) {
  doc->Blocks()->Add({5, 5, 0}, "vorn_4");
  auto block = CreateNumberedBlock(*doc, "VORN_");
  EXPECT_EQ(block->Name(), "VORN_5");
  ASSERT_NE(host::FindBlock(host.Document(), "VORN_5"), nullptr);
  EXPECT_EQ(host::FindBlock(host.Document(), "VORN_5")->base, (TAcadPoint{0, 0, 0}));
}

TEST_F(HostTest, DeleteBlockDefDeletesTheFirstMatchAndSwallowsAFailingDelete) {
  doc->Blocks()->Add({}, "VORN_1");
  doc->Blocks()->Add({}, "VORN_2");
  DeleteBlockDef(*doc, "vorn_1");
  EXPECT_EQ(host::FindBlock(host.Document(), "VORN_1"), nullptr);
  EXPECT_NE(host::FindBlock(host.Document(), "VORN_2"), nullptr);

  // A referenced block cannot be deleted; the error stays inside.
  doc->SendCommand("-INSERT\rVORN_2\r0,0\r1\r0\r");
  EXPECT_NO_THROW(DeleteBlockDef(*doc, "VORN_2"));
  EXPECT_NE(host::FindBlock(host.Document(), "VORN_2"), nullptr);
  FakeDocument gone;
  EXPECT_NO_THROW(DeleteBlockDef(gone, "VORN_2"));
}

TEST_F(HostTest, GetTempSelectionSetReusesAndEmptiesTheSet) {
  auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
  auto first = GetTempSelectionSet(*doc);
  first->Select(kSelectLast, {}, {});
  EXPECT_EQ(first->Count(), 1);
  auto again = GetTempSelectionSet(*doc);
  EXPECT_EQ(again->Name(), "ssTemp");
  EXPECT_EQ(again->Count(), 0);
  EXPECT_EQ(doc->SelectionSets()->Count(), 1);
}

TEST_F(HostTest, GetLastObjectIDGivesTheLastEntityAndLeavesNoSelectionSet) {
  EXPECT_EQ(GetLastObjectID(*doc), 0);
  doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
  auto text = doc->ModelSpace()->AddText("x", {0, 0, 0}, 2.5);
  EXPECT_EQ(GetLastObjectID(*doc), text->ObjectID());
  EXPECT_EQ(doc->SelectionSets()->Count(), 0);
  FakeDocument gone;
  EXPECT_EQ(GetLastObjectID(gone), 0);
}

TEST_F(HostTest, ExplodeLastBlockRefOnlyExplodesAReferenceToThatExactName) {
  auto block = doc->Blocks()->Add({0, 0, 0}, "VORN_1");
  block->AddLine({0, 0, 0}, {10, 0, 0});
  doc->SendCommand("-INSERT\rVORN_1\r100,50\r1\r90\r");
  TAcadPoint at;
  EXPECT_FALSE(ExplodeLastBlockRef(*doc, "vorn_1", at));  // exact comparison
  EXPECT_EQ(doc->ModelSpace()->Count(), 1);
  EXPECT_TRUE(ExplodeLastBlockRef(*doc, "VORN_1", at));
  EXPECT_EQ(at, (TAcadPoint{100, 50, 0}));
  auto model = doc->ModelSpace();
  ASSERT_EQ(model->Count(), 1);
  auto line = model->Item(0);
  EXPECT_EQ(line->EntityName(), "AcDbLine");
  EXPECT_NEAR(line->EndPoint().x, 100, 1e-9);
  EXPECT_NEAR(line->EndPoint().y, 60, 1e-9);
  EXPECT_EQ(doc->SelectionSets()->Count(), 0);
  EXPECT_FALSE(ExplodeLastBlockRef(*doc, "VORN_1", at));  // the last entity is a line now
  FakeDocument gone;
  EXPECT_FALSE(ExplodeLastBlockRef(gone, "VORN_1", at));
}

TEST_F(HostTest, InsertBlockByUserPlacesTheBlockWhereTheUserClicksAndDissolvesIt) {
  auto block = CreateNumberedBlock(*doc, "VORN_");
  block->AddLine({0, 0, 0}, {10, 0, 0});
  block->AddText("label", {0, 5, 0}, 2.0);
  user.InsertionPoint({200, 300, 0});
  RecordingWindow window;
  InsertBlockByUser(*app, *doc, *block, Link(), window);
  EXPECT_THAT(window.calls, ElementsAre("Minimize", "Restore"));
  EXPECT_EQ(host::FindBlock(host.Document(), "VORN_1"), nullptr);
  auto model = doc->ModelSpace();
  ASSERT_EQ(model->Count(), 2);
  EXPECT_EQ(model->Item(0)->StartPoint(), (TAcadPoint{200, 300, 0}));
  EXPECT_EQ(model->Item(1)->InsertionPoint(), (TAcadPoint{200, 305, 0}));
  EXPECT_EQ(user.Pending(), 0u);
}

TEST_F(HostTest, ACancelledInsertionKeepsTheBlockDefinitionAndCreatesNothing) {
  auto block = CreateNumberedBlock(*doc, "VORN_");
  block->AddLine({0, 0, 0}, {10, 0, 0});
  user.Cancel();
  RecordingWindow window;
  InsertBlockByUser(*app, *doc, *block, Link(), window);
  EXPECT_EQ(doc->ModelSpace()->Count(), 0);
  EXPECT_NE(host::FindBlock(host.Document(), "VORN_1"), nullptr);
  EXPECT_THAT(window.calls, ElementsAre("Minimize", "Restore"));
}

TEST(InsertBlockByUser, TheCommandStringAsTyped) {
  EXPECT_EQ(InsertBlockByUserCommand("VORN_12"), "-INSERT\rVORN_12\rS\r1.0\rR\r0.0\r");
}

}  // namespace
}  // namespace vorn::cad::testing
