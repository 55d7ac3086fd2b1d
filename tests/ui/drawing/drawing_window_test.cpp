#include "ui/drawing/drawing_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "cad/cad_interface.h"
#include "cad/host/scripted_interaction.h"
#include "test_files.h"

namespace vorn::ui {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// Answers the window's questions from queues and keeps every message shown.
class FakeDialogs final : public DrawingDialogs {
 public:
  QString AskOpenPath(QWidget*, const QString&) override { return Pop(openPaths); }
  QString AskSavePath(QWidget*, const QString&) override { return Pop(savePaths); }
  Answer AskYesNoCancel(QWidget*, const QString& text) override {
    questions.push_back(text);
    if (answers.empty()) return Answer::kCancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool AskYesNo(QWidget*, const QString& text) override {
    questions.push_back(text);
    return overwrite;
  }
  void ShowMessage(QWidget*, const QString& text) override { messages.push_back(text); }

  std::deque<QString> openPaths, savePaths;
  std::deque<Answer> answers;
  bool overwrite = false;
  std::vector<QString> questions, messages;

 private:
  static QString Pop(std::deque<QString>& queue) {
    if (queue.empty()) return {};
    QString value = queue.front();
    queue.pop_front();
    return value;
  }
};

std::string Lines(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* line : lines) out += std::string(line) + "\r\n";
  return out;
}

// A line from (0,0) to (5,5), and a hatch the reader does not know.
const std::string kLineAndHatch =
    Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "LINE",   "  8", "0",
           " 10", "0",       " 20", "0",        " 11", "5",      " 21", "5",
           "  0", "HATCH",   "  8", "0",        "  0", "ENDSEC", "  0", "EOF"});
const std::string kMalformed =
    Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "LINE", " 10", "abc"});

class DrawingWindowTest : public ::testing::Test {
 protected:
  DrawingWindowTest()
      : settings(QString::fromStdString((temp / "settings.ini").string()), QSettings::IniFormat),
        host(script, files) {
    host.NewDrawing();
    window = std::make_unique<DrawingWindow>(host, settings, &dialogs);
    window->resize(900, 700);
    window->show();
    QApplication::processEvents();
  }
  ~DrawingWindowTest() override {
    dialogs.answers.assign(4, DrawingDialogs::Answer::kNo);  // leave without saving
    window.reset();
  }

  cad::CadDocumentPtr Doc() { return host.Application()->ActiveDocument(); }
  std::string AddLine(const TAcadPoint& a, const TAcadPoint& b) {
    return Doc()->ModelSpace()->AddLine(a, b)->Handle();
  }
  // The drawing fitted to the view, so screen positions of drawing points are known.
  void Fit() {
    window->Refresh();
    window->View()->ZoomExtents();
  }
  QPoint Screen(double x, double y) {
    const ScenePoint p = window->View()->Transform().ToScreen({x, y});
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
  }
  // Runs `user` once the window waits for the user; a pick still open after a while is
  // cancelled so that a broken test fails instead of hanging.
  void WhenAsked(std::function<void()> user) {
    QTimer::singleShot(0, window.get(), std::move(user));
    QTimer::singleShot(10000, window.get(), [this] {
      if (window->IsPicking()) QTest::keyClick(window->View(), Qt::Key_Escape);
    });
  }
  void Click(double x, double y) {
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, Screen(x, y));
  }
  void Type(const QString& text) {
    window->CommandInput()->setText(text);
    QTest::keyClick(window->CommandInput(), Qt::Key_Return);
  }
  QString Log() { return window->CommandLog()->toPlainText(); }

  TempFolder temp;
  QSettings settings;
  FakeDialogs dialogs;
  cad::host::DxfDrawingFiles files;
  cad::host::ScriptedInteraction script;
  cad::host::DrawingHost host;
  std::unique_ptr<DrawingWindow> window;
};

TEST_F(DrawingWindowTest, APointClickSnapsToTheNearbyEndpoint) {
  AddLine({0, 0, 0}, {100, 0, 0});
  AddLine({0, 50, 0}, {100, 50, 0});
  Fit();
  const double unitsPerPixel = 1 / window->View()->Transform().PixelsPerUnit();
  WhenAsked([&] { Click(100 - 3 * unitsPerPixel, 50 + 2 * unitsPerPixel); });
  const auto point = window->GetPoint("Pick: ", std::nullopt);
  ASSERT_TRUE(point);
  EXPECT_EQ(*point, (TAcadPoint{100, 50, 0}));
  EXPECT_TRUE(Log().contains("100.000,50.000"));
}

TEST_F(DrawingWindowTest, TypedCoordinatesAnswerPointsAndAngles) {
  AddLine({0, 0, 0}, {100, 0, 0});
  Fit();
  WhenAsked([&] { Type("12.5,-3"); });
  EXPECT_EQ(window->GetPoint("Pick: ", std::nullopt), (TAcadPoint{12.5, -3, 0}));
  EXPECT_TRUE(Log().contains("12.5,-3"));
  // Something that is no point is refused and the request goes on.
  WhenAsked([&] {
    Type("abc");
    Type("1,2,3");
  });
  EXPECT_EQ(window->GetPoint("Pick: ", std::nullopt), (TAcadPoint{1, 2, 3}));
  EXPECT_TRUE(Log().contains("abc"));
  // An angle from its base to a typed point, or typed in degrees.
  WhenAsked([&] { Type("10,10"); });
  const auto angle = window->GetAngle("Angle: ", TAcadPoint{0, 0, 0});
  ASSERT_TRUE(angle);
  EXPECT_NEAR(*angle, std::atan2(10.0, 10.0), 1e-12);
  WhenAsked([&] { Type("30"); });
  const auto typed = window->GetAngle("Angle: ", std::nullopt);
  ASSERT_TRUE(typed);
  EXPECT_NEAR(*typed, 30 * 3.14159265358979323846 / 180, 1e-12);
  // Two clicks without a base: the direction from the first to the second, counter-clockwise.
  WhenAsked([&] {
    Type("0,0");
    Type("0,-5");
  });
  const auto down = window->GetAngle("Angle: ", std::nullopt);
  ASSERT_TRUE(down);
  EXPECT_NEAR(*down, 1.5 * 3.14159265358979323846, 1e-12);
}

// Enter ends a selection with what it holds and answers the other requests with nothing; Esc
// cancels every request, a selection with picks included.
TEST_F(DrawingWindowTest, EnterEndsAndEscCancels) {
  const std::string line = AddLine({0, 0, 0}, {100, 0, 0});
  AddLine({0, 50, 0}, {100, 50, 0});
  Fit();
  enum class Request { kPoint, kAngle, kEntity, kSelection };
  struct Case {
    Request request;
    bool pickLineFirst;  // selections only: the first line clicked before the key
    int key;
    bool answered;
  };
  const Case cases[] = {
      {Request::kPoint, false, Qt::Key_Return, false},
      {Request::kPoint, false, Qt::Key_Escape, false},
      {Request::kAngle, false, Qt::Key_Return, false},
      {Request::kAngle, false, Qt::Key_Escape, false},
      {Request::kEntity, false, Qt::Key_Return, false},
      {Request::kEntity, false, Qt::Key_Escape, false},
      {Request::kSelection, false, Qt::Key_Return, true},
      {Request::kSelection, true, Qt::Key_Return, true},
      {Request::kSelection, true, Qt::Key_Escape, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.request) * 1000 + c.key);
    WhenAsked([&] {
      if (c.pickLineFirst) Click(50, 0);
      QTest::keyClick(window->View(), static_cast<Qt::Key>(c.key));
    });
    bool answered = false;
    switch (c.request) {
      case Request::kPoint:
        answered = window->GetPoint("p", std::nullopt).has_value();
        break;
      case Request::kAngle:
        answered = window->GetAngle("a", std::nullopt).has_value();
        break;
      case Request::kEntity:
        answered = window->GetEntity("e").has_value();
        break;
      case Request::kSelection: {
        const auto selection = window->SelectObjects("s");
        answered = selection.has_value();
        if (selection) {
          EXPECT_EQ(selection->handles,
                    c.pickLineFirst ? std::vector<std::string>{line} : std::vector<std::string>{});
        }
        break;
      }
    }
    EXPECT_EQ(answered, c.answered);
    EXPECT_FALSE(window->IsPicking());
  }
  EXPECT_TRUE(Log().contains(QStringLiteral("*キャンセル*")));
}

TEST_F(DrawingWindowTest, AnEntityClickAnswersItsHandleAndTheClickedPoint) {
  AddLine({0, 0, 0}, {100, 0, 0});
  const std::string upper = AddLine({0, 50, 0}, {100, 50, 0});
  Fit();
  WhenAsked([&] {
    Click(70, 25);  // nothing there: the request goes on
    Click(70, 50);
  });
  const auto picked = window->GetEntity("Select: ");
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->handle, upper);
  EXPECT_NEAR(picked->pickPoint.x, 70, 0.5);
  EXPECT_NEAR(picked->pickPoint.y, 50, 0.5);
}

// The view's own handling of the mouse: the drawing follows a middle-button drag and a space and
// left-button drag, and the wheel zooms about the cursor.
TEST_F(DrawingWindowTest, PanAndWheelZoomMoveTheDrawingWithTheCursor) {
  AddLine({0, 0, 0}, {100, 50, 0});
  Fit();
  DrawingView* view = window->View();
  const QPoint from(200, 150), to(260, 110);
  const ScenePoint grabbed = view->Transform().ToWorld({200, 150});
  QTest::mousePress(view, Qt::MiddleButton, {}, from);
  QTest::mouseMove(view, to);
  QTest::mouseRelease(view, Qt::MiddleButton, {}, to);
  ScenePoint now = view->Transform().ToScreen(grabbed);
  EXPECT_NEAR(now.x, 260, 1e-6);
  EXPECT_NEAR(now.y, 110, 1e-6);

  QTest::keyPress(view, Qt::Key_Space);
  QTest::mousePress(view, Qt::LeftButton, {}, to);
  QTest::mouseMove(view, from);
  QTest::mouseRelease(view, Qt::LeftButton, {}, from);
  QTest::keyRelease(view, Qt::Key_Space);
  now = view->Transform().ToScreen(grabbed);
  EXPECT_NEAR(now.x, 200, 1e-6);
  EXPECT_NEAR(now.y, 150, 1e-6);

  const double scale = view->Transform().PixelsPerUnit();
  const QPointF cursor(123, 87);
  const ScenePoint under = view->Transform().ToWorld({cursor.x(), cursor.y()});
  QWheelEvent wheel(cursor, view->mapToGlobal(cursor), QPoint(), QPoint(0, 240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  EXPECT_NEAR(view->Transform().PixelsPerUnit(), scale * 1.25 * 1.25, 1e-9 * scale);
  now = view->Transform().ToScreen(under);
  EXPECT_NEAR(now.x, cursor.x(), 1e-6);
  EXPECT_NEAR(now.y, cursor.y(), 1e-6);
  // Home is the extents again.
  window->ZoomExtents();
  EXPECT_NEAR(view->Transform().PixelsPerUnit(), scale, 1e-9 * scale);
}

// --- window and crossing selection, against geometry worked out here -------------------------

struct Rect {
  double x1, y1, x2, y2;
  double MinX() const { return std::min(x1, x2); }
  double MaxX() const { return std::max(x1, x2); }
  double MinY() const { return std::min(y1, y2); }
  double MaxY() const { return std::max(y1, y2); }
  bool Contains(double x, double y) const {
    return x >= MinX() && x <= MaxX() && y >= MinY() && y <= MaxY();
  }
};

// Liang-Barsky: does any part of the segment lie in the rectangle?
bool SegmentMeetsRect(TAcadPoint a, TAcadPoint b, const Rect& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - r.MinX(), r.MaxX() - a.x, a.y - r.MinY(), r.MaxY() - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, t);
    if (p[i] > 0) t1 = std::min(t1, t);
  }
  return t0 <= t1;
}

struct Circle {
  double cx, cy, r;
};

// The circle's curve meets the rectangle: its closest point is within the radius and its
// farthest corner beyond it (a rectangle wholly inside the circle meets no curve).
bool CircleMeetsRect(const Circle& c, const Rect& r) {
  const double nx = std::clamp(c.cx, r.MinX(), r.MaxX()), ny = std::clamp(c.cy, r.MinY(), r.MaxY());
  double farthest = 0;
  for (double x : {r.MinX(), r.MaxX()}) {
    for (double y : {r.MinY(), r.MaxY()})
      farthest = std::max(farthest, std::hypot(x - c.cx, y - c.cy));
  }
  return std::hypot(nx - c.cx, ny - c.cy) <= c.r && farthest >= c.r;
}

TEST_F(DrawingWindowTest, WindowTakesWhatIsInsideAndCrossingWhatItTouches) {
  const std::vector<std::pair<TAcadPoint, TAcadPoint>> lines = {{{10, 10, 0}, {30, 10, 0}},
                                                                {{10, 20, 0}, {80, 20, 0}},
                                                                {{50, 50, 0}, {90, 90, 0}},
                                                                {{0, 60, 0}, {20, 80, 0}}};
  const Circle circle{60, 30, 5};
  std::vector<std::string> handles;
  for (const auto& [a, b] : lines) handles.push_back(AddLine(a, b));
  dxf::Entity circleEntity;
  circleEntity.data = dxf::Circle{{circle.cx, circle.cy, 0}, circle.r};
  // The object model has no AddCircle: the circle comes through a DXF insertion.
  const auto file = temp / "circle.dxf";
  WriteFile(file, Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "CIRCLE", "  8", "0", " 10",
                         "60", " 20", "30", " 40", "5", "  0", "ENDSEC", "  0", "EOF"}));
  Doc()->SendCommand("-INSERT\r\"*" + file.string() + "\"\r0,0 1 0\r");
  const auto& model = host.Document().modelSpace;
  ASSERT_EQ(model.size(), 5u);
  handles.push_back(model.back().entity.common.handle);
  Fit();

  const Rect rects[] = {
      {5, 5, 40, 25}, {45, 15, 70, 40}, {52, 58, 62, 66}, {58, 28, 62, 32}, {-5, -5, 95, 95}};
  for (const Rect& rect : rects) {
    for (const bool crossing : {false, true}) {
      SCOPED_TRACE(std::to_string(rect.x1) + "," + std::to_string(rect.y1) +
                   (crossing ? " crossing" : " window"));
      std::set<std::string> expected;
      for (size_t i = 0; i < lines.size(); ++i) {
        const auto& [a, b] = lines[i];
        const bool inside = rect.Contains(a.x, a.y) && rect.Contains(b.x, b.y);
        if (inside || (crossing && SegmentMeetsRect(a, b, rect))) expected.insert(handles[i]);
      }
      const bool circleInside = rect.Contains(circle.cx - circle.r, circle.cy - circle.r) &&
                                rect.Contains(circle.cx + circle.r, circle.cy + circle.r);
      if (circleInside || (crossing && CircleMeetsRect(circle, rect))) expected.insert(handles[4]);
      // A window is drawn to the right, a crossing window to the left.
      const QPoint left = Screen(rect.MinX(), rect.MinY()),
                   right = Screen(rect.MaxX(), rect.MaxY());
      const QPoint from = crossing ? right : left, to = crossing ? left : right;
      WhenAsked([&] {
        QTest::mousePress(window->View(), Qt::LeftButton, {}, from);
        QTest::mouseMove(window->View(), to);
        QTest::mouseRelease(window->View(), Qt::LeftButton, {}, to);
        QTest::keyClick(window->View(), Qt::Key_Return);
      });
      const auto selection = window->SelectObjects("Select objects: ");
      ASSERT_TRUE(selection);
      EXPECT_EQ(std::set<std::string>(selection->handles.begin(), selection->handles.end()),
                expected);
    }
  }
  // Two clicks make a window too, and clicks and windows add up.
  WhenAsked([&] {
    Click(5, 30);   // nothing: starts a window
    Click(35, 5);   // ends it to the right: the first line alone
    Click(40, 20);  // the second line
    QTest::keyClick(window->View(), Qt::Key_Return);
  });
  const auto added = window->SelectObjects("Select objects: ");
  ASSERT_TRUE(added);
  EXPECT_EQ(added->handles, (std::vector<std::string>{handles[0], handles[1]}));
}

// --- files, undo, closing ---------------------------------------------------------------------

TEST_F(DrawingWindowTest, UndoAndRedoWholeCommandsThroughTheWindow) {
  AddLine({0, 0, 0}, {1, 0, 0});
  window->Refresh();
  auto doc = Doc();
  doc->StartUndoMark();
  AddLine({0, 0, 0}, {2, 0, 0});
  AddLine({0, 0, 0}, {3, 0, 0});
  doc->EndUndoMark();
  window->Refresh();
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(window->View()->Scene().strokes.size(), 3u);
  ASSERT_TRUE(window->Undo());
  EXPECT_EQ(host.Document().modelSpace.size(), 1u);
  EXPECT_EQ(window->View()->Scene().strokes.size(), 1u);
  ASSERT_TRUE(window->Redo());
  EXPECT_EQ(host.Document().modelSpace.size(), 3u);
  EXPECT_FALSE(window->Redo());
  ASSERT_TRUE(window->Undo());
  ASSERT_TRUE(window->Undo());
  EXPECT_EQ(host.Document().modelSpace.size(), 0u);
  EXPECT_FALSE(window->Undo());
}

TEST_F(DrawingWindowTest, OpeningReportsWhatWasNotReadAndABadFileKeepsTheDrawing) {
  const auto good = temp / "site.dxf";
  const auto bad = temp / "broken.dxf";
  WriteFile(good, kLineAndHatch);
  WriteFile(bad, kMalformed);
  ASSERT_TRUE(window->OpenFile(QString::fromStdString(good.string())));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].contains("HATCH: 1")) << dialogs.messages[0].toStdString();
  EXPECT_TRUE(window->windowTitle().startsWith("site.dxf"));
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(window->RecentFiles().front().toStdString(), std::filesystem::absolute(good).string());

  EXPECT_FALSE(window->OpenFile(QString::fromStdString(bad.string())));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(dialogs.messages[1].contains(QStringLiteral("図面を開けませんでした")));
  EXPECT_TRUE(dialogs.messages[1].contains("broken.dxf"));
  ASSERT_EQ(host.Document().modelSpace.size(), 1u);
  EXPECT_TRUE(std::holds_alternative<dxf::Line>(host.Document().modelSpace[0].entity.data));
  EXPECT_TRUE(window->windowTitle().startsWith("site.dxf"));
  EXPECT_EQ(window->RecentFiles().size(), 1);
}

TEST_F(DrawingWindowTest, ClosingWithUnsavedChangesAsks) {
  const auto path = temp / "mine.dxf";
  AddLine({0, 0, 0}, {1, 1, 0});
  window->Refresh();
  // Cancel: the window stays.
  dialogs.answers = {DrawingDialogs::Answer::kCancel};
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(dialogs.questions.size(), 1u);
  // Yes, then the file name for the new drawing: saved, and closed.
  dialogs.answers = {DrawingDialogs::Answer::kYes};
  dialogs.savePaths = {QString::fromStdString(path.string())};
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(window->isWindowModified());
  // Unchanged since: closing asks nothing.
  window->show();
  const size_t asked = dialogs.questions.size();
  EXPECT_TRUE(window->close());
  EXPECT_EQ(dialogs.questions.size(), asked);
  // Changed again, No: closes without saving.
  window->show();
  AddLine({0, 0, 0}, {2, 2, 0});
  const std::string saved = ReadFile(path);
  dialogs.answers = {DrawingDialogs::Answer::kNo};
  EXPECT_TRUE(window->close());
  EXPECT_EQ(ReadFile(path), saved);
}

TEST_F(DrawingWindowTest, SaveAsOverAnExistingFileAsksFirst) {
  const auto theirs = temp / "theirs.dxf";
  WriteFile(theirs, "not ours");
  AddLine({0, 0, 0}, {1, 1, 0});
  window->Refresh();
  dialogs.savePaths = {QString::fromStdString(theirs.string())};
  dialogs.overwrite = false;
  EXPECT_FALSE(window->SaveAs());
  EXPECT_EQ(ReadFile(theirs), "not ours");
  EXPECT_EQ(dialogs.questions.size(), 1u);
  EXPECT_TRUE(window->isWindowModified());
  dialogs.savePaths = {QString::fromStdString(theirs.string())};
  dialogs.overwrite = true;
  EXPECT_TRUE(window->SaveAs());
  EXPECT_NE(ReadFile(theirs), "not ours");
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_TRUE(window->windowTitle().startsWith("theirs.dxf"));
  // Save goes to the file saved as, without asking again.
  AddLine({0, 0, 0}, {3, 3, 0});
  EXPECT_TRUE(window->Save());
  EXPECT_EQ(dialogs.questions.size(), 2u);
  host.Open(theirs);
  EXPECT_EQ(host.Document().modelSpace.size(), 2u);
}

TEST_F(DrawingWindowTest, TheCommandLineShowsThePromptsAndRunsTypedCommands) {
  Doc()->Utility()->Prompt("時刻日影図を作図中\r\n");
  EXPECT_TRUE(Log().contains(QStringLiteral("時刻日影図を作図中")));
  Type("ID 3,4");
  EXPECT_TRUE(Log().contains("ID 3,4"));
  EXPECT_EQ(Doc()->GetVariable("LASTPOINT"), (cad::CadValue{TAcadPoint{3, 4, 0}}));
}

}  // namespace
}  // namespace vorn::ui
