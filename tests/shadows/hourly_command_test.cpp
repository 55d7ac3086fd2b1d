// The pick and the hourly diagram as the user runs them: buttons of the form over the
// built-in drawing host.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/building_pick.h"
#include "app/form_fixture.h"
#include "shadows/hourly_diagram.h"

namespace vorn {
namespace {

using testing::FormTest;

class HourlyCommand : public FormTest {
 protected:
  void SetUp() override {
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/tests/acquisition/fixtures/pick_cases.dxf");
    form = StartForm();
    before = cad.host.Document().modelSpace.size();
  }

  void PickBox() {
    cad.user.SelectLayer("box");
    form->Button2Click();
    ASSERT_EQ(form->workspace.BuildingEdges.size(), 16u);
  }

  int CountOnLayer(const std::string& type, const std::string& layer) const {
    int n = 0;
    for (const auto& e : cad.host.Document().modelSpace) {
      if (cad::host::DxfTypeOf(e.entity) == type && e.entity.common.layer == layer) ++n;
    }
    return n;
  }

  std::unique_ptr<TForm1> form;
  std::size_t before = 0;
};

TEST_F(HourlyCommand, PickEnablesTheCommandsAndSetsTheHighestPoint) {
  form->Button3.Enabled = false;
  PickBox();
  EXPECT_TRUE(form->Button3.Enabled);
  EXPECT_TRUE(form->SpeedButton1.Enabled);
  EXPECT_EQ(form->gbzmax, 20000.0);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(HourlyCommand, PickOfTextsAndBlocksOnlyStillEnablesTheButtons) {
  form->Button3.Enabled = false;
  cad.user.SelectLayer("texts_blocks");
  form->Button2Click();
  EXPECT_TRUE(form->workspace.BuildingEdges.empty());
  EXPECT_EQ(form->gbzmax, 0.0);
  EXPECT_TRUE(form->Button3.Enabled);
}

TEST_F(HourlyCommand, NegativeCoordinatesAreWarnedAbout) {
  cad.user.SelectLayer("negative");
  form->Button2Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Vorn2023");
  EXPECT_EQ(shell.messages[0].text, kNegativeCoordinates);
}

TEST_F(HourlyCommand, DrawsEveryTimeIntoTheDrawingAndOneUndoTakesItAway) {
  PickBox();
  form->Edit11.Text = "0.5";
  form->Button3Click();
  EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
  EXPECT_EQ(CountOnLayer("POLYLINE", "VORN_JIKOKU"), 17);
  EXPECT_EQ(CountOnLayer("TEXT", "VORN_JIKOKU"), 17);
  int dashed = 0;
  for (const auto& e : cad.host.Document().modelSpace) {
    if (e.entity.common.lineType == std::optional<std::string>("HIDDEN2")) ++dashed;
  }
  EXPECT_EQ(dashed, 8);
  EXPECT_TRUE(std::filesystem::exists(exeFolder() / "VORN_1.dxf"));
  // The default target is of the "PCAD" kind: the insertion leaves no block definition.
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
  EXPECT_EQ(form->ProgressBar1.Position, 0);
  EXPECT_TRUE(form->Button2.Enabled && form->Button3.Enabled);
  EXPECT_FALSE(form->Button10.Enabled);

  EXPECT_TRUE(cad.host.Undo());
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
}

struct RefusedCase {
  TEdit TForm1::*box;
  const char* text;
  const char* message;  // null: the conversion message naming the text
};

TEST_F(HourlyCommand, BadParametersAreRefusedBeforeAnythingIsDrawn) {
  PickBox();
  const RefusedCase cases[] = {
      {&TForm1::Edit2, "7.5", kHourRangeMessage},
      {&TForm1::Edit7, "17", kHourRangeMessage},
      {&TForm1::Edit11, "0", kHourStepMessage},
      {&TForm1::Edit3, "abc", nullptr},
  };
  for (const RefusedCase& c : cases) {
    TEdit& box = (*form).*c.box;
    const std::string kept = box.Text;
    box.Text = c.text;
    shell.messages.clear();
    form->Button3Click();
    ASSERT_EQ(shell.messages.size(), 1u) << c.text;
    if (c.message != nullptr) {
      EXPECT_EQ(shell.messages[0].text, c.message);
    } else {
      EXPECT_NE(shell.messages[0].text.find(c.text), std::string::npos);
    }
    EXPECT_EQ(cad.host.Document().modelSpace.size(), before) << c.text;
    EXPECT_TRUE(form->Button2.Enabled && form->Button3.Enabled) << c.text;
    EXPECT_FALSE(form->RunningFlag && form->Button10.Enabled) << c.text;
    box.Text = kept;
  }
}

TEST_F(HourlyCommand, StopMidRunInsertsNothing) {
  PickBox();
  int pumps = 0;
  shell.onProcessMessages = [&] {
    if (++pumps == 30) form->Button10Click();
  };
  form->Button3Click();
  EXPECT_EQ(CountOnLayer("POLYLINE", "VORN_JIKOKU"), 0);
  EXPECT_FALSE(std::filesystem::exists(exeFolder() / "VORN_1.dxf"));
  EXPECT_TRUE(form->Button3.Enabled);
}

TEST_F(HourlyCommand, AnimationIsNotOffered) {
  form->Button17Click();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "[アニメ]には対応していません．");
}

}  // namespace
}  // namespace vorn
