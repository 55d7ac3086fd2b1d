// The CAD operations over the dispatch layer: the sequence of object-model calls a real CAD
// receives, member by member, for the housekeeping every drawing command does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/cad_operations.h"
#include "cad_fakes.h"
#include "scripted_cad.h"

namespace vorn::cad::testing {
namespace {

class DispatchOperations : public ::testing::Test {
 protected:
  CadLink Link(const std::string& progId) { return CadLink{progId, windows, clock, messages}; }

  ScriptedCad cad;
  RecordingWindows windows;
  FakeClock clock;
  RecordingMessages messages;
};

TEST_F(DispatchOperations, LastObjectIdComesFromATemporarySelectionOfTheLastEntity) {
  cad.selectionSets->Returns("Count", int32_t{0});
  cad.selectionSet->Returns("Count", int32_t{1});
  cad.selectionSet->Returns("Select", {});
  cad.selectionSet->Returns("Delete", {});
  cad.entity->Returns("ObjectID", int64_t{0x7FF6AB001122});
  EXPECT_EQ(GetLastObjectID(*cad.Doc()), int64_t{0x7FF6AB001122});
  EXPECT_EQ(cad.log.Texts(), (std::vector<std::string>{
                                 "Document.SelectionSets",
                                 "SelectionSets.Count",
                                 "SelectionSets.Add(BSTR \"ssTemp\")",
                                 "SelectionSet.Select(I4 4, R8[] {0, 0, 0}, R8[] {0, 0, 0})",
                                 "SelectionSet.Count",
                                 "SelectionSet.Item(I4 0)",
                                 "Entity.ObjectID",
                                 "SelectionSet.Delete()",
                             }));
}

TEST_F(DispatchOperations, ARefusedSelectionGivesNoIdAndStillDeletesTheSet) {
  cad.selectionSets->Returns("Count", int32_t{1});
  cad.selectionSet->Returns("Name", "SSTEMP");
  cad.selectionSet->Returns("Clear", {});
  cad.selectionSet->Fails("Select", dispatch::kDispException, "Invalid input");
  cad.selectionSet->Returns("Delete", {});
  EXPECT_EQ(GetLastObjectID(*cad.Doc()), 0);
  const auto texts = cad.log.Texts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], "SelectionSet.Select(I4 4, R8[] {0, 0, 0}, R8[] {0, 0, 0})");
  EXPECT_EQ(texts.back(), "SelectionSet.Delete()");
}

TEST_F(DispatchOperations, TheHiddenLinetypeIsLoadedFromTheFileOfTheCadKind) {
  int count = 1;
  cad.linetypes->On("Count", [&count](auto) { return DispatchValue(int32_t{count}); });
  cad.linetype->On("Name", [&count](auto) {
    return DispatchValue(std::string(count == 1 ? "Continuous" : "HIDDEN2"));
  });
  cad.linetypes->On("Load", [&count](auto) {
    ++count;
    return DispatchValue{};
  });
  EXPECT_EQ(LoadHiddenLinetype(*cad.App(), Link("AutoCAD.Application.24")), "HIDDEN2");
  EXPECT_EQ(cad.log.Texts(), (std::vector<std::string>{
                                 "Application.ActiveDocument",
                                 "Document.Linetypes",
                                 "Linetypes.Count",
                                 "Linetypes.Item(I4 0)",
                                 "Linetype.Name",
                                 "Linetypes.Load(BSTR \"HIDDEN2\", BSTR \"acadiso.lin\")",
                                 "Linetypes.Count",
                                 "Linetypes.Item(I4 1)",
                                 "Linetype.Name",
                             }));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DispatchOperations, ALoadTheCadRefusesShowsTheLinetypeMessage) {
  cad.linetypes->Returns("Count", int32_t{0});
  cad.linetypes->Fails("Load", dispatch::kDispException, "File not found");
  cad.application->Returns("HWND", int32_t{99});
  EXPECT_EQ(LoadHiddenLinetype(*cad.App(), Link("BricscadApp.AcadApplication")), "");
  EXPECT_EQ(messages.shown, (std::vector<std::string>{kLinetypeLoadError}));
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"SetForegroundWindow 99"}));
}

TEST_F(DispatchOperations, AZwcadIsAskedForItsOwnStateUntilItIsIdle) {
  int polls = 0;
  cad.state->On("IsQuiescent", [&polls](auto) { return DispatchValue(++polls >= 3); });
  WaitCadIdle(*cad.App(), 100, Link("ZWCAD.Application"));
  EXPECT_EQ(cad.log.Texts(),
            (std::vector<std::string>{"Application.GetZcadState()", "State.IsQuiescent",
                                      "Application.GetZcadState()", "State.IsQuiescent",
                                      "Application.GetZcadState()", "State.IsQuiescent"}));
}

TEST_F(DispatchOperations, ActivationReadsTheWindowHandleAsA64BitValue) {
  cad.application->Returns("HWND", int64_t{0x100000010});
  windows.iconic = true;
  ActivateCad(*cad.App(), Link("AutoCAD.Application"));
  EXPECT_EQ(windows.calls,
            (std::vector<std::string>{"OpenIcon 4294967312", "SetForegroundWindow 4294967312",
                                      "EscDown", "EscUp"}));
}

}  // namespace
}  // namespace vorn::cad::testing
