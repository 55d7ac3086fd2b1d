// Commands driven through the window's widgets on the sample drawing: the building pick and
// the hourly diagram, its progress, its stop button, and messages captioned with the title.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <set>
#include <variant>

#include "cad/host/host_document.h"
#include "window_fixture.h"

namespace vorn::testing {
namespace {

class WindowRun : public WindowTest {
 protected:
  void SetUp() override {
    host.Open(std::filesystem::path(VORN_SOURCE_DIR) / "examples" / "sample_site.dxf");
    Start();
  }

  void Type(const std::string& name, const QString& text) {
    auto* edit = Widget<QLineEdit>(name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
  }

  void Click(const std::string& name) {
    auto* button = Widget<QAbstractButton>(name);
    ASSERT_TRUE(button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }

  // The building picked as a user would: "取得", then the building's layer in the drawing.
  void PickBuilding() {
    user.SelectLayer("建物");
    Click("Button2");
    ASSERT_FALSE(form->workspace.BuildingEdges.empty());
  }

  std::vector<std::string> TextsOn(const std::string& layer) const {
    std::vector<std::string> texts;
    for (const auto& e : host.Document().modelSpace) {
      if (e.entity.common.layer != layer) continue;
      if (const auto* text = std::get_if<dxf::Text>(&e.entity.data)) texts.push_back(text->text);
    }
    return texts;
  }

  int CountOn(const std::string& type, const std::string& layer) const {
    int n = 0;
    for (const auto& e : host.Document().modelSpace) {
      if (e.entity.common.layer == layer && cad::host::DxfTypeOf(e.entity) == type) ++n;
    }
    return n;
  }
};

TEST_F(WindowRun, TheHourlyButtonDrawsEveryTimeStepAndOneUndoTakesItAway) {
  const std::size_t before = host.Document().modelSpace.size();
  PickBuilding();
  EXPECT_TRUE(Widget<QAbstractButton>("Button3")->isEnabled());
  // Not the defaults: summer, 9 to 15 every 1.5 hours, on the ground.
  QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("RadioGroup1_2")),
                    Qt::LeftButton);
  EXPECT_EQ(form->RadioGroup1.ItemIndex, 2);
  Type("Edit2", "9");
  Type("Edit7", "15");
  Type("Edit11", "1.5");
  Type("Edit4", "0");
  std::vector<int> progress;
  shell.onProcessMessages = [&] {
    progress.push_back(Widget<QProgressBar>("ProgressBar1")->value());
  };

  Click("Button3");

  EXPECT_TRUE(shell.messages.empty()) << shell.messages.front();
  // 9:00, 10:30, 12:00, 13:30, 15:00: every time step has its outlines and its label.
  std::set<std::string> labels;
  for (const auto& text : TextsOn("VORN_JIKOKU")) labels.insert(text);
  EXPECT_EQ(labels.size(), 5u);
  EXPECT_GE(CountOn("POLYLINE", "VORN_JIKOKU") + CountOn("LWPOLYLINE", "VORN_JIKOKU"), 5);
  EXPECT_GT(host.Document().modelSpace.size(), before);
  // The progress bar moved while the run let events through, and is back at 0.
  ASSERT_FALSE(progress.empty());
  EXPECT_GT(*std::max_element(progress.begin(), progress.end()), 0);
  EXPECT_EQ(Widget<QProgressBar>("ProgressBar1")->value(), 0);
  EXPECT_TRUE(Widget<QAbstractButton>("Button3")->isEnabled());
  EXPECT_FALSE(Widget<QAbstractButton>("Button10")->isEnabled());

  EXPECT_TRUE(host.Undo());
  EXPECT_EQ(host.Document().modelSpace.size(), before);
}

TEST_F(WindowRun, TheStopButtonEndsTheHourlyRunWithNothingDrawn) {
  PickBuilding();
  const std::size_t before = host.Document().modelSpace.size();
  bool stopEnabledDuringRun = false;
  shell.onProcessMessages = [&] {
    auto* stop = Widget<QAbstractButton>("Button10");
    stopEnabledDuringRun = stopEnabledDuringRun || stop->isEnabled();
    if (stop->isEnabled()) QTest::mouseClick(stop, Qt::LeftButton);
  };

  Click("Button3");

  EXPECT_TRUE(stopEnabledDuringRun);
  EXPECT_FALSE(form->RunningFlag);
  EXPECT_EQ(host.Document().modelSpace.size(), before);
  EXPECT_TRUE(Widget<QAbstractButton>("Button2")->isEnabled());
  EXPECT_TRUE(Widget<QAbstractButton>("Button3")->isEnabled());
  EXPECT_FALSE(Widget<QAbstractButton>("Button17")->isEnabled());
  EXPECT_FALSE(Widget<QAbstractButton>("Button10")->isEnabled());
}

TEST_F(WindowRun, MessagesCarryTheApplicationTitle) {
  PickBuilding();
  Type("Edit11", "");  // an empty step is not a number
  Click("Button3");
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].rfind("Vorn2023: ", 0), 0u) << shell.messages[0];
}

}  // namespace
}  // namespace vorn::testing
