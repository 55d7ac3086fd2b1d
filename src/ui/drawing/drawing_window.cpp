#include "ui/drawing/drawing_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "dxf/number_format.h"

namespace vorn::ui {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxRecentFiles = 8;
const QString kRecentKey = QStringLiteral("DrawingWindow/recentFiles");
// A press and release this far apart (pixels) is a dragged window; closer, a click.
constexpr double kDragPx = 5.0;

QString Number(double value) { return QString::fromStdString(FormatFixed(value, 3)); }

QString PointText(const TAcadPoint& p) { return Number(p.x) + "," + Number(p.y); }

}  // namespace

DrawingWindow::DrawingWindow(cad::host::DrawingHost& host, QSettings& settings,
                             DrawingDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), host_(host), settings_(settings) {
  if (!dialogs) {
    ownDialogs_ = std::make_unique<QtDrawingDialogs>();
    dialogs = ownDialogs_.get();
  }
  dialogs_ = dialogs;
  path_ = QString::fromStdString(host_.OpenedPath().string());
  view_ = new DrawingView(host_, this);
  setCentralWidget(view_);
  BuildPanes();
  BuildMenus();
  connect(view_, &DrawingView::cursorMoved, this, &DrawingWindow::OnCursorMoved);
  connect(view_, &DrawingView::leftPressed, this, &DrawingWindow::OnLeftPressed);
  connect(view_, &DrawingView::leftReleased, this, &DrawingWindow::OnLeftReleased);
  host_.SetInteraction(*this);
  host_.SetPromptListener(
      [this](const std::string& text) { AppendLog(QString::fromStdString(text)); });
  // Commands change the drawing while they process events; the picture follows.
  refreshTimer_ = new QTimer(this);
  refreshTimer_->setInterval(250);
  connect(refreshTimer_, &QTimer::timeout, this, &DrawingWindow::Refresh);
  refreshTimer_->start();
  MarkSaved();
  resize(1000, 720);
  Refresh();
}

DrawingWindow::~DrawingWindow() {
  host_.SetPromptListener(nullptr);
  host_.ReleaseInteraction(*this);
}

void DrawingWindow::BuildPanes() {
  auto* pane = new QWidget(this);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  log_ = new QPlainTextEdit(pane);
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(5000);
  log_->setFocusPolicy(Qt::NoFocus);
  auto* inputRow = new QHBoxLayout;
  promptLabel_ = new QLabel(QStringLiteral("コマンド:"), pane);
  input_ = new QLineEdit(pane);
  inputRow->addWidget(promptLabel_);
  inputRow->addWidget(input_, 1);
  layout->addWidget(log_);
  layout->addLayout(inputRow);
  auto* dock = new QDockWidget(QStringLiteral("コマンドライン"), this);
  dock->setObjectName(QStringLiteral("commandLine"));
  dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
  dock->setWidget(pane);
  addDockWidget(Qt::BottomDockWidgetArea, dock);
  log_->setMinimumHeight(60);
  // A few lines of history, as a CAD's command line: the drawing keeps the room.
  resizeDocks({dock}, {150}, Qt::Vertical);
  // Enter in the line reaches the window's key handler (the line passes it on), like Enter
  // over the drawing.
  coordinates_ = new QLabel(this);
  coordinates_->setMinimumWidth(260);
  statusBar()->addPermanentWidget(coordinates_);
}

void DrawingWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  QAction* open = file->addAction(QStringLiteral("開く(&O)..."));
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, [this] {
    const QString folder = path_.isEmpty() ? QString() : QFileInfo(path_).absolutePath();
    const QString path = dialogs_->AskOpenPath(this, folder);
    if (!path.isEmpty()) OpenFile(path);
  });
  recentMenu_ = file->addMenu(QStringLiteral("最近使ったファイル(&R)"));
  QAction* save = file->addAction(QStringLiteral("上書き保存(&S)"));
  save->setShortcut(QKeySequence::Save);
  connect(save, &QAction::triggered, this, [this] { Save(); });
  QAction* saveAs = file->addAction(QStringLiteral("名前を付けて保存(&A)..."));
  saveAs->setShortcut(QKeySequence::SaveAs);
  connect(saveAs, &QAction::triggered, this, [this] { SaveAs(); });
  file->addSeparator();
  QAction* close = file->addAction(QStringLiteral("閉じる(&C)"));
  connect(close, &QAction::triggered, this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  undoAction_ = edit->addAction(QStringLiteral("元に戻す(&U)"));
  undoAction_->setShortcut(QKeySequence::Undo);
  connect(undoAction_, &QAction::triggered, this, [this] { Undo(); });
  redoAction_ = edit->addAction(QStringLiteral("やり直し(&R)"));
  redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
  connect(redoAction_, &QAction::triggered, this, [this] { Redo(); });

  QMenu* show = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  QAction* extents = show->addAction(QStringLiteral("全体表示(&E)"));
  extents->setShortcut(Qt::Key_Home);
  connect(extents, &QAction::triggered, this, &DrawingWindow::ZoomExtents);
  FillRecentMenu();
}

// --- files ----------------------------------------------------------------------------------

bool DrawingWindow::IsModified() const {
  return host_.IsOpen() && host_.ChangeCount() != savedChangeCount_;
}

void DrawingWindow::MarkSaved() { savedChangeCount_ = host_.ChangeCount(); }

bool DrawingWindow::ConfirmDiscard() {
  if (!IsModified()) return true;
  switch (
      dialogs_->AskYesNoCancel(this, QStringLiteral("図面は変更されています。保存しますか？"))) {
    case DrawingDialogs::Answer::kYes:
      return Save();
    case DrawingDialogs::Answer::kNo:
      return true;
    case DrawingDialogs::Answer::kCancel:
      return false;
  }
  return false;
}

bool DrawingWindow::OpenFile(const QString& path) {
  if (IsPicking() || !ConfirmDiscard()) return false;
  cad::host::OpenReport report;
  try {
    report = host_.Open(path.toStdString());
  } catch (const std::exception& e) {
    dialogs_->ShowMessage(
        this, QStringLiteral("図面を開けませんでした。\n") + QString::fromStdString(e.what()));
    Refresh();
    return false;
  }
  path_ = path;
  MarkSaved();
  AddRecent(path);
  Echo(QStringLiteral("図面を開きました: ") + path);
  view_->ZoomExtents();
  Refresh();
  if (!report.skippedEntities.empty()) {
    QString text = QStringLiteral("次の図形は読み込めませんでした:");
    for (const auto& [kind, count] : report.skippedEntities) {
      text += "\n" + QString::fromStdString(kind) + ": " + QString::number(count);
    }
    dialogs_->ShowMessage(this, text);
  }
  return true;
}

bool DrawingWindow::SaveTo(const QString& path) {
  try {
    host_.SaveAs(path.toStdString());
  } catch (const std::exception& e) {
    dialogs_->ShowMessage(
        this, QStringLiteral("保存できませんでした。\n") + QString::fromStdString(e.what()));
    return false;
  }
  path_ = path;
  MarkSaved();
  AddRecent(path);
  Refresh();
  return true;
}

bool DrawingWindow::Save() {
  if (!host_.IsOpen()) return false;
  if (path_.isEmpty()) return SaveAs();
  return SaveTo(path_);
}

bool DrawingWindow::SaveAs() {
  if (!host_.IsOpen()) return false;
  const QString suggested = path_.isEmpty() ? QStringLiteral("無題.dxf") : path_;
  const QString path = dialogs_->AskSavePath(this, suggested);
  if (path.isEmpty()) return false;
  if (QFileInfo::exists(path) &&
      !dialogs_->AskYesNo(this, path + QStringLiteral(" は既にあります。置き換えますか？"))) {
    return false;
  }
  return SaveTo(path);
}

QStringList DrawingWindow::RecentFiles() const {
  return settings_.value(kRecentKey).toStringList();
}

void DrawingWindow::AddRecent(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList list = RecentFiles();
  list.removeAll(absolute);
  list.prepend(absolute);
  while (list.size() > kMaxRecentFiles) list.removeLast();
  settings_.setValue(kRecentKey, list);
  FillRecentMenu();
}

void DrawingWindow::FillRecentMenu() {
  recentMenu_->clear();
  const QStringList list = RecentFiles();
  for (const QString& path : list) {
    QAction* action = recentMenu_->addAction(path);
    connect(action, &QAction::triggered, this, [this, path] { OpenFile(path); });
  }
  recentMenu_->setEnabled(!list.isEmpty());
}

// --- edit and view --------------------------------------------------------------------------

bool DrawingWindow::Undo() {
  if (IsPicking()) return false;
  const bool done = host_.Undo();
  AppendLog(done ? QStringLiteral("元に戻しました\n")
                 : QStringLiteral("元に戻す操作はありません\n"));
  Refresh();
  return done;
}

bool DrawingWindow::Redo() {
  if (IsPicking()) return false;
  const bool done = host_.Redo();
  AppendLog(done ? QStringLiteral("やり直しました\n")
                 : QStringLiteral("やり直す操作はありません\n"));
  Refresh();
  return done;
}

void DrawingWindow::ZoomExtents() { view_->ZoomExtents(); }

void DrawingWindow::Refresh() {
  const QString name = path_.isEmpty() ? QStringLiteral("無題") : QFileInfo(path_).fileName();
  setWindowTitle(host_.IsOpen() ? name + QStringLiteral("[*] - Vorn 図面")
                                : QStringLiteral("Vorn 図面"));
  setWindowModified(IsModified());
  undoAction_->setEnabled(!IsPicking() && host_.CanUndo());
  redoAction_->setEnabled(!IsPicking() && host_.CanRedo());
  if (shownChangeCount_ != host_.ChangeCount()) {
    shownChangeCount_ = host_.ChangeCount();
    view_->update();
  }
}

void DrawingWindow::AppendLog(const QString& text) {
  QString clean = text;
  clean.remove(QChar('\r'));
  log_->moveCursor(QTextCursor::End);
  log_->insertPlainText(clean);
  log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

void DrawingWindow::Echo(const QString& text) { AppendLog(text + "\n"); }

void DrawingWindow::closeEvent(QCloseEvent* event) {
  if (IsPicking()) {
    // The command waiting for the pick ends first; the window stays for it.
    Echo(QStringLiteral("*キャンセル*"));
    FinishPick(false);
    event->ignore();
    return;
  }
  if (!ConfirmDiscard()) {
    event->ignore();
    return;
  }
  event->accept();
}

void DrawingWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Escape) {
    if (IsPicking()) {
      Echo(QStringLiteral("*キャンセル*"));
      FinishPick(false);
    }
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    OnCommandEntered();
    return;
  }
  // Typing over the drawing goes to the command line, as in a CAD.
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint()) {
    input_->setFocus();
    input_->insert(text);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

// --- picks ----------------------------------------------------------------------------------

double DrawingWindow::ApertureUnits() const {
  return DrawingView::kAperturePx / view_->Transform().PixelsPerUnit();
}

std::optional<SnapPoint> DrawingWindow::SnapAt(ScenePoint screen) {
  const ScenePoint world = view_->Transform().ToWorld(screen);
  return FindSnap(view_->SnapPoints(), view_->Scene(), world, ApertureUnits());
}

bool DrawingWindow::RunPick(PickMode mode, const std::string& prompt,
                            std::optional<TAcadPoint> base) {
  if (IsPicking()) return false;  // one request at a time
  pick_ = Pick{};
  pick_.mode = mode;
  pick_.base = base;
  promptLabel_->setText(QString::fromStdString(prompt).trimmed());
  Refresh();
  emit pickStarted();
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  view_->setFocus();
  QEventLoop loop;
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
  const bool answered = pick_.answered;
  pick_.mode = PickMode::kNone;
  promptLabel_->setText(QStringLiteral("コマンド:"));
  view_->SetSnapMarker(std::nullopt);
  view_->SetRubberBand(std::nullopt, false);
  view_->SetRubberLine(std::nullopt);
  view_->SetSelectedHandles({});
  Refresh();
  emit pickFinished();
  return answered;
}

void DrawingWindow::FinishPick(bool answered) {
  if (!IsPicking()) return;
  pick_.answered = answered;
  if (loop_) loop_->quit();
}

std::optional<cad::host::SelectionAnswer> DrawingWindow::SelectObjects(const std::string& prompt) {
  if (!RunPick(PickMode::kSelection, prompt, std::nullopt)) return std::nullopt;
  cad::host::SelectionAnswer answer;
  answer.kind = cad::host::SelectionAnswer::Kind::kHandles;
  answer.handles = pick_.selected;
  return answer;
}

std::optional<TAcadPoint> DrawingWindow::GetPoint(const std::string& prompt,
                                                  const std::optional<TAcadPoint>& base) {
  if (!RunPick(PickMode::kPoint, prompt, base)) return std::nullopt;
  return pick_.point;
}

std::optional<double> DrawingWindow::GetAngle(const std::string& prompt,
                                              const std::optional<TAcadPoint>& base) {
  if (!RunPick(PickMode::kAngle, prompt, base)) return std::nullopt;
  return pick_.angle;
}

std::optional<cad::host::EntityAnswer> DrawingWindow::GetEntity(const std::string& prompt) {
  if (!RunPick(PickMode::kEntity, prompt, std::nullopt)) return std::nullopt;
  return cad::host::EntityAnswer{pick_.handle, pick_.point};
}

std::optional<TAcadPoint> DrawingWindow::GetInsertionPoint(const std::string& blockName) {
  const std::string prompt = "Insertion point of " + blockName + ": ";
  AppendLog(QString::fromStdString(prompt));
  return GetPoint(prompt, std::nullopt);
}

void DrawingWindow::PickPointAt(const TAcadPoint& point, const QString& echo) {
  if (pick_.mode == PickMode::kPoint) {
    Echo(echo);
    pick_.point = point;
    FinishPick(true);
  } else if (pick_.mode == PickMode::kAngle) {
    if (!pick_.base) {
      Echo(echo);
      pick_.base = point;
      AppendLog(QStringLiteral("2点目を指示: "));
      return;
    }
    double angle = std::atan2(point.y - pick_.base->y, point.x - pick_.base->x);
    if (angle < 0) angle += 2 * kPi;
    Echo(echo);
    pick_.angle = angle;
    FinishPick(true);
  }
}

void DrawingWindow::OnCursorMoved(double x, double y) {
  cursorScreen_ = ScenePoint{x, y};
  const ScenePoint world = view_->Transform().ToWorld({x, y});
  coordinates_->setText(QStringLiteral("X = ") + Number(world.x) + QStringLiteral("   Y = ") +
                        Number(world.y));
  switch (pick_.mode) {
    case PickMode::kPoint:
    case PickMode::kAngle: {
      const auto snap = SnapAt({x, y});
      view_->SetSnapMarker(snap);
      if (pick_.base) {
        const ScenePoint to = snap ? snap->at : world;
        view_->SetRubberLine(std::make_pair(ScenePoint{pick_.base->x, pick_.base->y}, to));
      }
      break;
    }
    case PickMode::kSelection:
      if (pick_.windowStart) {
        const ScenePoint start = view_->Transform().ToWorld(*pick_.windowStart);
        view_->SetRubberBand(std::make_pair(start, world), x < pick_.windowStart->x);
      }
      break;
    default:
      break;
  }
}

void DrawingWindow::OnLeftPressed(double x, double y) {
  const ScenePoint world = view_->Transform().ToWorld({x, y});
  switch (pick_.mode) {
    case PickMode::kPoint:
    case PickMode::kAngle: {
      const auto snap = SnapAt({x, y});
      const ScenePoint at = snap ? snap->at : world;
      PickPointAt({at.x, at.y, 0.0}, PointText({at.x, at.y, 0.0}));
      break;
    }
    case PickMode::kEntity: {
      const auto entity = EntityAt(view_->Scene(), world, ApertureUnits());
      if (!entity) {
        Echo(QStringLiteral("図形が見つかりません"));
        return;
      }
      pick_.handle = host_.Document().modelSpace[*entity].entity.common.handle;
      pick_.point = {world.x, world.y, 0.0};
      Echo(QString::fromStdString(
          cad::host::ClassNameOf(host_.Document().modelSpace[*entity].entity)));
      FinishPick(true);
      break;
    }
    case PickMode::kSelection: {
      if (pick_.windowStart) {
        CompleteWindow(*pick_.windowStart, {x, y});
        return;
      }
      const auto entity = EntityAt(view_->Scene(), world, ApertureUnits());
      if (entity) {
        const std::string handle = host_.Document().modelSpace[*entity].entity.common.handle;
        if (std::find(pick_.selected.begin(), pick_.selected.end(), handle) ==
            pick_.selected.end()) {
          pick_.selected.push_back(handle);
        }
        Echo(QStringLiteral("%1 個選択").arg(pick_.selected.size()));
        view_->SetSelectedHandles({pick_.selected.begin(), pick_.selected.end()});
        return;
      }
      pick_.windowStart = ScenePoint{x, y};
      break;
    }
    case PickMode::kNone:
      break;
  }
}

void DrawingWindow::OnLeftReleased(double x, double y) {
  if (pick_.mode != PickMode::kSelection || !pick_.windowStart) return;
  if (std::hypot(x - pick_.windowStart->x, y - pick_.windowStart->y) < kDragPx) return;
  CompleteWindow(*pick_.windowStart, {x, y});
}

void DrawingWindow::CompleteWindow(ScenePoint startScreen, ScenePoint endScreen) {
  pick_.windowStart.reset();
  view_->SetRubberBand(std::nullopt, false);
  // Drawn to the right: what lies wholly inside; to the left: whatever it touches.
  const bool crossing = endScreen.x < startScreen.x;
  const ScenePoint a = view_->Transform().ToWorld(startScreen);
  const ScenePoint b = view_->Transform().ToWorld(endScreen);
  const auto handles = host_.HandlesInWindow({a.x, a.y, 0.0}, {b.x, b.y, 0.0}, crossing);
  for (const auto& handle : handles) {
    if (std::find(pick_.selected.begin(), pick_.selected.end(), handle) == pick_.selected.end()) {
      pick_.selected.push_back(handle);
    }
  }
  Echo((crossing ? QStringLiteral("交差窓: ") : QStringLiteral("窓: ")) +
       QStringLiteral("%1 個選択").arg(pick_.selected.size()));
  view_->SetSelectedHandles({pick_.selected.begin(), pick_.selected.end()});
}

void DrawingWindow::OnCommandEntered() {
  const QString text = input_->text().trimmed();
  input_->clear();
  if (!IsPicking()) {
    if (text.isEmpty() || !host_.IsOpen()) return;
    Echo(QStringLiteral("コマンド: ") + text);
    try {
      host_.Application()->ActiveDocument()->SendCommand(text.toStdString() + "\r");
    } catch (const std::exception& e) {
      Echo(QString::fromStdString(e.what()));
    }
    Refresh();
    return;
  }
  if (text.isEmpty()) {
    // Enter ends a selection with what it holds; for a point, an angle or an entity it is the
    // empty answer, which the command takes as "no more".
    Echo(QString());
    FinishPick(pick_.mode == PickMode::kSelection);
    return;
  }
  const auto point = ParseTypedPoint(text.toStdString());
  switch (pick_.mode) {
    case PickMode::kPoint:
      if (point) {
        PickPointAt(*point, text);
        return;
      }
      Echo(text + QStringLiteral("  (点は x,y で入力してください)"));
      return;
    case PickMode::kAngle:
      if (point) {
        PickPointAt(*point, text);
        return;
      }
      if (const auto degrees = ParseTypedNumber(text.toStdString())) {
        Echo(text);
        pick_.angle = *degrees * kPi / 180.0;
        FinishPick(true);
        return;
      }
      Echo(text + QStringLiteral("  (角度を度で、または点を x,y で入力してください)"));
      return;
    default:
      Echo(text + QStringLiteral("  (図面上で図形を選んでください)"));
      return;
  }
}

}  // namespace vorn::ui
