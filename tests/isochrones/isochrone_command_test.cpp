// The isochrone command as the user runs it: the 等時間 page of the form over the built-in
// drawing host.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/form_fixture.h"
#include "cad/host/host_document.h"
#include "isochrones/duration_raster.h"
#include "isochrones/isochrone_lines.h"

namespace vorn {
namespace {

using testing::FormTest;

class IsochroneCommand : public FormTest {
 protected:
  void SetUp() override {
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/tests/acquisition/fixtures/pick_cases.dxf");
    form = StartForm();
    before = cad.host.Document().modelSpace.size();
    cad.user.SelectLayer("box");
    form->Button2Click();
    ASSERT_EQ(form->workspace.BuildingEdges.size(), 16u);
    // "60秒", two levels, no smoothing: a quick run.
    form->RadioGroup5.SetItemIndex(2);
    form->CheckListBox1.Checked.assign(kLevelCount, false);
    Tick("2.0Hr");
    Tick("4.0Hr");
    form->CheckBox8.Checked = false;
  }

  void Tick(const std::string& level) {
    const auto& items = form->CheckListBox1.Items;
    form->CheckListBox1.Checked[std::find(items.begin(), items.end(), level) - items.begin()] =
        true;
  }

  std::vector<const cad::host::HostEntity*> OnLayer(const std::string& type,
                                                    const std::string& layer) const {
    std::vector<const cad::host::HostEntity*> found;
    for (const auto& e : cad.host.Document().modelSpace) {
      if (cad::host::DxfTypeOf(e.entity) == type && e.entity.common.layer == layer) {
        found.push_back(&e);
      }
    }
    return found;
  }

  std::unique_ptr<TForm1> form;
  std::size_t before = 0;
};

TEST_F(IsochroneCommand, DrawsTheTickedLevelsAndOneUndoTakesThemAway) {
  std::vector<std::string> label2;
  shell.onProcessMessages = [&] {
    if (!form->Label2.Caption.empty() &&
        (label2.empty() || label2.back() != form->Label2.Caption)) {
      label2.push_back(form->Label2.Caption);
    }
  };
  form->Button6Click();
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0].text;

  const auto polylines = OnLayer("POLYLINE", "VORN_TOUJI");
  const auto texts = OnLayer("TEXT", "VORN_TOUJI");
  ASSERT_EQ(polylines.size(), 2u) << "one region per level around the box";
  ASSERT_EQ(texts.size(), 3u) << "two labels and the mesh-size note";
  std::vector<std::string> labels;
  for (const auto* t : texts) labels.push_back(std::get<dxf::Text>(t->entity.data).text);
  std::sort(labels.begin(), labels.end());
  EXPECT_TRUE(
      std::any_of(labels.begin(), labels.end(), [](const std::string& s) { return s == "2.0Hr"; }));
  EXPECT_TRUE(
      std::any_of(labels.begin(), labels.end(), [](const std::string& s) { return s == "4.0Hr"; }));
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const std::string& s) {
    return s.size() > 8 && s.substr(s.size() - 8) == " mm/mesh";
  }));

  EXPECT_EQ(form->Label22.Caption.rfind("ﾒｯｼｭｻｲｽﾞ : ", 0), 0u);
  EXPECT_EQ(form->Label2.Caption.rfind("所要時間 : ", 0), 0u);
  // Label2 in turn: the instants sampled, the elapsed time, each level from the longest.
  ASSERT_FALSE(label2.empty());
  EXPECT_EQ(label2.front(), "時刻：08:01");
  const auto at = [&](const std::string& text) {
    return std::find(label2.begin(), label2.end(), text) - label2.begin();
  };
  EXPECT_LT(at("時刻：15:59"), at("等時間：4.0Hr"));
  EXPECT_LT(at("等時間：4.0Hr"), at("等時間：2.0Hr"));
  EXPECT_LT(static_cast<std::size_t>(at("等時間：2.0Hr")), label2.size());

  EXPECT_TRUE(std::filesystem::exists(exeFolder() / "VORN_1.dxf"));
  EXPECT_NE(cad.host.PromptLog().find("-INsERT"), std::string::npos) << cad.host.PromptLog();
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
  EXPECT_EQ(form->ProgressBar1.Position, 0);
  for (TButton* b : CommandSet(*form)) EXPECT_TRUE(b->Enabled);
  EXPECT_FALSE(form->Button7.Enabled);

  EXPECT_TRUE(cad.host.Undo());
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
}

TEST_F(IsochroneCommand, StopMidRunInsertsNothingAndClosesTheUndoMark) {
  // 239 pumps of the range search (which cannot be stopped), 479 of the sampling, then the
  // levels.
  struct Stop {
    int atPump;
    const char* phase;
  };
  for (const Stop stop : {Stop{300, "時刻："}, Stop{740, "等時間：4.0Hr"}}) {
    const int stopAt = stop.atPump;
    int pumps = 0;
    std::string phase;
    shell.onProcessMessages = [&] {
      if (++pumps == stopAt) {
        phase = form->Label2.Caption;
        form->Button7Click();
      }
    };
    form->Button6Click();
    shell.onProcessMessages = nullptr;
    EXPECT_GE(pumps, stopAt);
    EXPECT_EQ(phase.rfind(stop.phase, 0), 0u) << phase;
    EXPECT_TRUE(OnLayer("POLYLINE", "VORN_TOUJI").empty()) << stopAt;
    EXPECT_FALSE(std::filesystem::exists(exeFolder() / "VORN_1.dxf")) << stopAt;
    for (TButton* b : CommandSet(*form)) EXPECT_TRUE(b->Enabled) << stopAt;
    EXPECT_FALSE(form->Button7.Enabled) << stopAt;
    EXPECT_TRUE(form->Label22.Caption.empty()) << stopAt;
  }
  // The mark was closed: the next command's output is its own undo group.
  form->Button3Click();
  ASSERT_GT(cad.host.Document().modelSpace.size(), before);
  EXPECT_TRUE(cad.host.Undo());
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
}

TEST_F(IsochroneCommand, NothingTickedDrawsNothing) {
  form->CheckListBox1.Checked.assign(kLevelCount, false);
  form->Label22.Caption = "ﾒｯｼｭｻｲｽﾞ : 1.0";
  form->Button6Click();
  EXPECT_TRUE(OnLayer("TEXT", "VORN_TOUJI").empty());
  EXPECT_FALSE(std::filesystem::exists(exeFolder() / "VORN_1.dxf"));
  EXPECT_EQ(form->Label22.Caption, "ﾒｯｼｭｻｲｽﾞ : 1.0");
}

TEST_F(IsochroneCommand, RefusalsBeforeTheRun) {
  form->Edit2.Text = "7.0";
  form->Button6Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "時刻は8.0から16.0までの範囲で指定して下さい．");
  form->Edit2.Text = "8.0";
  form->Edit4.Text = "x";
  form->Button6Click();
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_NE(shell.messages[1].text.find("'x'"), std::string::npos);
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
  for (TButton* b : CommandSet(*form)) EXPECT_TRUE(b->Enabled);

  form->workspace.BuildingEdges.clear();
  form->Button6Click();
  EXPECT_EQ(shell.messages.back().text, "基準データが作成されていません．");
  EXPECT_EQ(shell.messages.back().caption, "Vorn2023");
}

TEST_F(IsochroneCommand, NoCadIsReported) {
  cad.host.Close();
  form->Button6Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "有効な CAD が見つかりません．");
}

TEST_F(IsochroneCommand, MeshSizeReadOutIsCachedUntilTheFirstLevelOrTheStepChanges) {
  int pumps = 0;
  shell.onProcessMessages = [&] { ++pumps; };
  form->CheckListBox1Click();
  EXPECT_EQ(pumps, 239) << "one range search at 2-minute steps";
  ASSERT_EQ(form->Label22.Caption.rfind("ﾒｯｼｭｻｲｽﾞ : ", 0), 0u);
  const double shown = std::stod(form->Label22.Caption.substr(std::string("ﾒｯｼｭｻｲｽﾞ : ").size()));

  // The same cell from the range of the first ticked level over the 60-second raster.
  form->ReadShadowParameters();
  ToujiHaniParameters hani;
  hani.planeHeight = form->GB_takasa;
  hani.level = 2.0;
  const auto range = GetToujiHani(form->workspace, hani, [](int, double) { return true; });
  EXPECT_NEAR(shown, range->CellFor(1200), 0.05 + 1e-9);

  pumps = 0;
  form->CheckListBox1Click();  // nothing changed
  EXPECT_EQ(pumps, 0);
  form->RadioGroup5.SetItemIndex(0);
  form->RadioGroup5Click();
  EXPECT_EQ(pumps, 239);
  const double finer = std::stod(form->Label22.Caption.substr(std::string("ﾒｯｼｭｻｲｽﾞ : ").size()));
  EXPECT_NEAR(finer, range->CellFor(2000), 0.05 + 1e-9);

  // A new pick forgets the cache; a disabled run button leaves the read-out alone.
  pumps = 0;
  form->PageControl1.ActivePageIndex = 1;
  form->PageControl1Change();
  EXPECT_EQ(pumps, 0);
  cad.user.SelectLayer("box");
  form->Button2Click();
  EXPECT_TRUE(form->Label22.Caption.empty());
  form->Button6.Enabled = false;
  form->PageControl1Change();
  EXPECT_EQ(pumps, 0);
  form->Button6.Enabled = true;
  form->PageControl1Change();
  EXPECT_EQ(pumps, 239);
}

}  // namespace
}  // namespace vorn
