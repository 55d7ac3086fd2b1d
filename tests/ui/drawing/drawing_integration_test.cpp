// The main window and the drawing window together on the sample drawing, driven through their
// widgets: the building picked by a window drawn in the drawing window, the hourly diagram
// appearing in it and one undo taking it away, and the stop button ending an isochrone run.
#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTimer>
#include <cmath>
#include <set>

#include "cad/host/drawing_scene.h"
#include "ui/drawing/drawing_window.h"
#include "window_fixture.h"

namespace vorn::testing {
namespace {

class NoDialogs final : public ui::DrawingDialogs {
 public:
  QString AskOpenPath(QWidget*, const QString&) override { return {}; }
  QString AskSavePath(QWidget*, const QString&) override { return {}; }
  Answer AskYesNoCancel(QWidget*, const QString&) override { return Answer::kNo; }
  bool AskYesNo(QWidget*, const QString&) override { return false; }
  void ShowMessage(QWidget*, const QString& text) override { messages.push_back(text); }
  std::vector<QString> messages;
};

class DrawingIntegration : public WindowTest {
 protected:
  DrawingIntegration()
      : settings(QString::fromStdString((temp / "drawing.ini").string()), QSettings::IniFormat) {}

  void SetUp() override {
    host.Open(std::filesystem::path(VORN_SOURCE_DIR) / "examples" / "sample_site.dxf");
    Start();
    drawing = std::make_unique<ui::DrawingWindow>(host, settings, &dialogs);
    shell.SetPickWindow(drawing.get());
    drawing->resize(1100, 800);
    drawing->show();
    QApplication::processEvents();
    drawing->ZoomExtents();
  }
  void TearDown() override {
    drawing.reset();
    // The focus can be on one of the main window's children now; it leaves it while the window
    // is destroyed, which the window's focus follower must not see.
    QObject::disconnect(qApp, nullptr, window.get(), nullptr);
    window.reset();
  }

  void ClickButton(const std::string& name) {
    auto* button = Widget<QAbstractButton>(name);
    ASSERT_TRUE(button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }

  // The plan box of what the drawing shows for the entities on `layer`.
  cad::host::SceneBox BoxOfLayer(const std::string& layer) {
    cad::host::SceneBox box;
    const auto& scene = drawing->View()->Scene();
    const auto& model = host.Document().modelSpace;
    for (const auto& stroke : scene.strokes) {
      if (stroke.entity < model.size() && model[stroke.entity].entity.common.layer == layer) {
        for (const auto& p : stroke.points) box.Add(p);
      }
    }
    return box;
  }

  QPoint Screen(double x, double y) {
    const auto p = drawing->View()->Transform().ToScreen({x, y});
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
  }

  // "取得" on the main window, then a window around the building drawn from left to right in
  // the drawing window, and Enter.
  void PickBuildingByWindow() {
    const auto box = BoxOfLayer("建物");
    ASSERT_FALSE(box.Empty());
    const double margin = 2 / drawing->View()->Transform().PixelsPerUnit() +
                          0.01 * std::max(box.maxX - box.minX, box.maxY - box.minY);
    const QPoint from = Screen(box.minX - margin, box.minY - margin);
    const QPoint to = Screen(box.maxX + margin, box.maxY + margin);
    QTimer::singleShot(0, drawing.get(), [&] {
      mainMinimisedDuringPick = window->isMinimized();
      picking = drawing->IsPicking();
      QTest::mousePress(drawing->View(), Qt::LeftButton, {}, from);
      QTest::mouseMove(drawing->View(), to);
      QTest::mouseRelease(drawing->View(), Qt::LeftButton, {}, to);
      QTest::keyClick(drawing->View(), Qt::Key_Return);
    });
    ClickButton("Button2");
  }

  QSettings settings;
  NoDialogs dialogs;
  std::unique_ptr<ui::DrawingWindow> drawing;
  bool mainMinimisedDuringPick = false;
  bool picking = false;
};

TEST_F(DrawingIntegration, TheHourlyDiagramOfABuildingPickedInTheDrawingWindowAndItsUndo) {
  const size_t before = host.Document().modelSpace.size();
  const size_t strokesBefore = drawing->View()->Scene().strokes.size();
  PickBuildingByWindow();
  EXPECT_TRUE(picking);
  EXPECT_TRUE(mainMinimisedDuringPick);
  EXPECT_FALSE(window->isMinimized());
  ASSERT_FALSE(form->workspace.BuildingEdges.empty());
  EXPECT_TRUE(drawing->CommandLog()->toPlainText().contains(QStringLiteral("窓: ")));

  ClickButton("Button3");  // 時刻

  EXPECT_TRUE(shell.messages.empty()) << shell.messages.front();
  size_t outlines = 0;
  for (const auto& e : host.Document().modelSpace) {
    if (e.entity.common.layer == "VORN_JIKOKU" &&
        (cad::host::DxfTypeOf(e.entity) == "POLYLINE" ||
         cad::host::DxfTypeOf(e.entity) == "LWPOLYLINE")) {
      ++outlines;
    }
  }
  EXPECT_GT(outlines, 0u);
  // The drawing window shows them.
  drawing->Refresh();
  EXPECT_GT(drawing->View()->Scene().strokes.size(), strokesBefore);
  EXPECT_TRUE(drawing->isWindowModified());

  // One undo in the drawing window takes the whole diagram away; redo brings it back.
  ASSERT_TRUE(drawing->Undo());
  EXPECT_EQ(host.Document().modelSpace.size(), before);
  EXPECT_EQ(drawing->View()->Scene().strokes.size(), strokesBefore);
  ASSERT_TRUE(drawing->Redo());
  EXPECT_GT(host.Document().modelSpace.size(), before);
}

TEST_F(DrawingIntegration, EscInTheDrawingWindowCancelsTheBuildingPick) {
  QTimer::singleShot(0, drawing.get(), [&] {
    picking = drawing->IsPicking();
    QTest::keyClick(drawing->View(), Qt::Key_Escape);
  });
  ClickButton("Button2");
  EXPECT_TRUE(picking);
  EXPECT_FALSE(drawing->IsPicking());
  EXPECT_TRUE(form->workspace.BuildingEdges.empty());
  EXPECT_FALSE(window->isMinimized());
}

TEST_F(DrawingIntegration, TheStopButtonEndsAnIsochroneRun) {
  PickBuildingByWindow();
  ASSERT_FALSE(form->workspace.BuildingEdges.empty());
  const size_t before = host.Document().modelSpace.size();
  int passes = 0;
  bool stopped = false;
  shell.onProcessMessages = [&] {
    ++passes;
    auto* stop = Widget<QAbstractButton>("Button7");  // 中止
    if (!stopped && stop->isEnabled()) {
      stopped = true;
      QTest::mouseClick(stop, Qt::LeftButton);
    }
  };

  ClickButton("Button6");  // 等時間

  EXPECT_TRUE(stopped);
  EXPECT_FALSE(form->RunningFlag);
  EXPECT_EQ(host.Document().modelSpace.size(), before);
  EXPECT_FALSE(Widget<QAbstractButton>("Button7")->isEnabled());
  EXPECT_TRUE(Widget<QAbstractButton>("Button6")->isEnabled());
}

}  // namespace
}  // namespace vorn::testing
