// Commands driven through the window's widgets on the sample drawing: the building pick and
// the hourly diagram, its progress, its stop button, and messages captioned with the title.
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
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

TEST_F(WindowRun, TheStopButtonEndsAnIsochroneRunAndGivesTheCommandsBack) {
  PickBuilding();
  Widget<QTabWidget>("PageControl1")->setCurrentIndex(1);
  QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("RadioGroup5_2")),
                    Qt::LeftButton);
  const std::size_t before = host.Document().modelSpace.size();
  // The user presses 中止 once, as soon as it can be pressed; the run may still finish its
  // range search, which cannot be stopped, before the sampling loop sees the flag.
  int stopsPressed = 0;
  shell.onProcessMessages = [&] {
    auto* stop = Widget<QAbstractButton>("Button7");
    if (stopsPressed > 0 || !stop->isEnabled()) return;
    EXPECT_FALSE(Widget<QAbstractButton>("Button6")->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    ++stopsPressed;
  };

  Click("Button6");

  EXPECT_EQ(stopsPressed, 1);
  EXPECT_FALSE(form->RunningFlag);
  EXPECT_EQ(host.Document().modelSpace.size(), before);
  for (const char* name :
       {"Button2", "Button3", "Button5", "Button6", "Button8", "Button9", "Button11"}) {
    EXPECT_TRUE(Widget<QAbstractButton>(name)->isEnabled()) << name;
  }
  EXPECT_FALSE(Widget<QAbstractButton>("Button7")->isEnabled());
}

TEST_F(WindowRun, ClosingTheWindowDuringARunStopsIt) {
  PickBuilding();
  const std::size_t before = host.Document().modelSpace.size();
  bool closed = false;
  window->OnClose([&] { closed = true; });
  shell.onProcessMessages = [&] {
    if (!closed) window->close();
  };

  Click("Button3");

  EXPECT_TRUE(closed);
  EXPECT_FALSE(form->RunningFlag);
  EXPECT_EQ(host.Document().modelSpace.size(), before);
}

TEST_F(WindowRun, TheTrueNorthPickMinimisesTheWindowAndShowsTheAngleAfterwards) {
  user.Angle(0.5);
  Click("SpeedButton1");
  // 0.5 rad in degrees, four decimals.
  EXPECT_EQ(Widget<QLineEdit>("Edit12")->text(), QStringLiteral("28.6479"));
  EXPECT_EQ(shell.windowStates, (std::vector<std::string>{"minimised", "restored"}));
  EXPECT_FALSE(window->isMinimized());
}

TEST_F(WindowRun, ChoosingACityFillsTheLatitudeBoxes) {
  auto* combo = Widget<QComboBox>("ComboBox1");
  ASSERT_GT(combo->count(), 1);
  ASSERT_EQ(combo->itemText(1), QStringLiteral("北海道,43°04′"));
  combo->setCurrentIndex(1);
  emit combo->activated(1);
  EXPECT_EQ(Widget<QLineEdit>("Edit3")->text(), QStringLiteral("43"));
  EXPECT_EQ(Widget<QLineEdit>("Edit5")->text(), QStringLiteral("04"));
  EXPECT_EQ(Widget<QLineEdit>("Edit23")->text(), QStringLiteral("00"));
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
