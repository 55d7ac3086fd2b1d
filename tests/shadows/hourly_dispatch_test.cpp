// The hourly diagram as a real CAD sees it: the command run from its button against scripted
// automation objects through the dispatch layer, so the whole sequence of object-model calls
// (members, argument types, order) is checked without a CAD or Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/shell.h"
#include "cad/cad_fakes.h"
#include "cad/dispatch/dispatch_objects.h"
#include "cad/scripted_dispatch.h"
#include "test_files.h"

namespace vorn {
namespace {

using cad::dispatch::DispatchArgument;
using cad::dispatch::DispatchObjectPtr;
using cad::dispatch::DispatchValue;
using cad::testing::CallLog;
using cad::testing::Scripted;
using cad::testing::ScriptedPtr;

// A CAD of the "PCAD" kind with one line type and one layer, whose block table gains the
// diagram's block when the insertion command arrives.
class ScriptedPcad {
 public:
  ScriptedPcad() {
    application->Returns("HWND", int32_t{4242});
    application->Returns("ActiveDocument", DispatchObjectPtr(document));
    application->Returns("GetAcadState", DispatchObjectPtr(state));
    state->Returns("IsQuiescent", true);
    document->Returns("Linetypes", DispatchObjectPtr(linetypes));
    document->Returns("Layers", DispatchObjectPtr(layers));
    document->Returns("Blocks", DispatchObjectPtr(blocks));
    for (const char* member : {"StartUndoMark", "EndUndoMark", "Regen", "SetVariable"}) {
      document->Returns(member, {});
    }
    document->On("SendCommand", [this](std::span<DispatchArgument> args) {
      const std::string* text = args[0].value.Get<std::string>();
      if (text != nullptr && text->rfind("-INSERT", 0) == 0) blockNames.push_back("VORN_4");
      return DispatchValue{};
    });
    NamedItems(*linetypes, "Linetype", {"Continuous"});
    NamedItems(*layers, "Layer", {"0"});
    layers->Returns("Add", DispatchObjectPtr(Scripted(log, "Layer")));
    blocks->On("Count", [this](auto) { return DispatchValue(int32_t(blockNames.size())); });
    blocks->On("Item", [this](std::span<DispatchArgument> args) {
      auto block = Scripted(log, "Block");
      block->Returns("Name", blockNames.at(std::size_t(*args[0].value.Get<int32_t>())));
      block->Returns("Delete", {});
      return DispatchValue(DispatchObjectPtr(block));
    });
  }

  CallLog log;
  ScriptedPtr application = Scripted(log, "Application");
  ScriptedPtr document = Scripted(log, "Document");
  ScriptedPtr state = Scripted(log, "State");
  ScriptedPtr linetypes = Scripted(log, "Linetypes");
  ScriptedPtr layers = Scripted(log, "Layers");
  ScriptedPtr blocks = Scripted(log, "Blocks");
  std::vector<std::string> blockNames{"*Model_Space", "vorn_3"};

 private:
  void NamedItems(cad::testing::ScriptedObject& collection, const std::string& role,
                  std::vector<std::string> names) {
    collection.Returns("Count", int32_t(names.size()));
    collection.On("Item", [this, role, names](std::span<DispatchArgument> args) {
      auto item = Scripted(log, role);
      item->Returns("Name", names.at(std::size_t(*args[0].value.Get<int32_t>())));
      return DispatchValue(DispatchObjectPtr(item));
    });
  }
};

// A 10 m square building 20 m high: its vertical and top edges.
LineList Tower() {
  const double s = 10000, h = 20000;
  const TAcadPoint corners[] = {{0, 0, 0}, {s, 0, 0}, {s, s, 0}, {0, s, 0}};
  LineList edges;
  for (int i = 0; i < 4; ++i) {
    const TAcadPoint& a = corners[i];
    const TAcadPoint& b = corners[(i + 1) % 4];
    edges.push_back(TLineEnt{i * 2, a, {a.x, a.y, h}, 0, {0, 0, 1}});
    edges.push_back(TLineEnt{i * 2 + 1, {a.x, a.y, h}, {b.x, b.y, h}, 0, {0, 0, 1}});
  }
  return edges;
}

TEST(HourlyDiagramOverDispatch, MakesTheCallsOfTheCommandInOrder) {
  testing::TempFolder temp;
  RecordingShell shell;
  shell.executable = temp.path() / "bin" / "vorn.exe";
  shell.environment = {{"HOME", (temp.path() / "home").string()}};
  std::filesystem::create_directories(temp.path() / "bin");

  ScriptedPcad cad;
  cad::testing::ScriptedRunningObjects running;
  running.application = cad.application;
  cad::dispatch::DispatchConnector connector(running);
  cad::testing::RecordingWindows windows;
  cad::testing::FakeClock clock;
  TForm1 form(shell, DataFolders::FromShell(shell), CadEnvironment{connector, windows, clock});
  form.FormCreate();
  ASSERT_NE(form.TargetProgID.find("PCAD"), std::string::npos);

  form.workspace.BuildingEdges = Tower();
  form.Edit11.Text = "2";          // every two hours
  form.Edit27.Text = "日影_時刻";  // the layer
  form.Button3Click();

  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  const std::filesystem::path file = form.folders().OutputFolder() / "VORN_4.dxf";
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(windows.calls,
            (std::vector<std::string>{"SetForegroundWindow 4242", "EscDown", "EscUp"}));
  EXPECT_EQ(cad.log.Texts(),
            (std::vector<std::string>{
                "Application.HWND",
                "Application.ActiveDocument",
                "Document.StartUndoMark()",
                // the hidden line type, typed in on this kind of CAD
                "Application.ActiveDocument",
                "Document.Linetypes",
                "Linetypes.Count",
                "Linetypes.Item(I4 0)",
                "Linetype.Name",
                "Document.SetVariable(BSTR \"FILEDIA\", I2 0)",
                "Document.SendCommand(BSTR \"-LINETYPE\rL\rHIDDEN\rMM.LIN\r\r\")",
                "Document.SetVariable(BSTR \"FILEDIA\", I2 1)",
                // the layer
                "Application.ActiveDocument",
                "Document.Layers",
                "Layers.Count",
                "Layers.Item(I4 0)",
                "Layer.Name",
                "Layers.Add(BSTR \"日影_時刻\")",
                // the file's name after the blocks
                "Document.Blocks",
                "Blocks.Count",
                "Blocks.Item(I4 0)",
                "Block.Name",
                "Blocks.Item(I4 1)",
                "Block.Name",
                // the insertion, and the block definition it leaves removed
                "Document.SendCommand(BSTR \"-INSERT\r\"*" + file.string() + "\"\r0,0 1 0\r\")",
                "Application.GetAcadState()",
                "State.IsQuiescent",
                "Document.Blocks",
                "Blocks.Count",
                "Blocks.Item(I4 0)",
                "Block.Name",
                "Blocks.Item(I4 1)",
                "Block.Name",
                "Blocks.Item(I4 2)",
                "Block.Name",
                "Block.Delete()",
                "Document.EndUndoMark()",
                "Document.Regen(I4 0)",
            }));
  EXPECT_EQ(running.lookups.size(), 3u);  // the button's check, the command's and the session
}

}  // namespace
}  // namespace vorn
