#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMoveEvent>
#include <QTabWidget>
#include <exception>

#include "ui/japanese_font.h"
#include "ui/preview_image.h"
#include "ui/quiet_children.h"
#include "ui/text.h"

namespace vorn::ui {

namespace {

Qt::WindowFlags MainWindowFlags(bool stayOnTop) {
  // A single fixed border with only the minimise and close buttons.
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint;
  if (stayOnTop) flags |= Qt::WindowStaysOnTopHint;
  return flags;
}

QAction* AddItem(QMenu* menu, const TMenuItem& item) {
  QAction* action = item.Caption == "-" ? menu->addSeparator() : menu->addAction(Q(item.Caption));
  action->setObjectName(Q(item.Name));
  return action;
}

void ShowItem(QMenu* menu, const TMenuItem& item) {
  for (QAction* action : menu->actions()) {
    if (action->objectName() != Q(item.Name)) continue;
    if (!action->isSeparator() && action->text() != Q(item.Caption)) {
      action->setText(Q(item.Caption));
    }
    action->setEnabled(item.Enabled);
  }
}

}  // namespace

MainWindow::MainWindow(TForm1& form, QWidget* parent)
    : QWidget(parent, MainWindowFlags(form.StayOnTop)), form_(form) {
  setObjectName(QStringLiteral("Form1"));
  setFont(JapaneseFont(Q(form.FontName), form.FontHeight));
  // The size is given in device-independent pixels; Qt scales it on high-density screens.
  setFixedSize(form.ClientWidth, form.ClientHeight);
  move(form.Left, form.Top);
  BuildMenus();
  BuildPages();
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FollowFocus(now); });
  Refresh();
}

MainWindow::~MainWindow() {
  disconnect(qApp, nullptr, this, nullptr);
  QuietChildren(*this);
}

void MainWindow::BuildMenus() {
  gridMenu_ = new QMenu(this);
  gridMenu_->setObjectName(QStringLiteral("PopupMenu1"));
  connect(AddItem(gridMenu_, form_.N2), &QAction::triggered, this,
          [this] { RunHandler([this] { form_.N2Click(); }); });
  AddItem(gridMenu_, form_.N3);
  connect(AddItem(gridMenu_, form_.N1), &QAction::triggered, this,
          [this] { RunHandler([this] { form_.N1Click(); }); });

  pickMenu_ = new QMenu(this);
  pickMenu_->setObjectName(QStringLiteral("PopupMenu2"));
  // Both "adopt" items take the earlier building; "取り消し" only closes the menu.
  connect(AddItem(pickMenu_, form_.N8), &QAction::triggered, this,
          [this] { RunHandler([this] { form_.N6Click(); }); });
  connect(AddItem(pickMenu_, form_.N6), &QAction::triggered, this,
          [this] { RunHandler([this] { form_.N6Click(); }); });
  AddItem(pickMenu_, form_.N4);
  AddItem(pickMenu_, form_.N5);
}

void MainWindow::Register(const std::string& name, QWidget* widget, Refresher refresh) {
  if (widget->objectName().isEmpty()) widget->setObjectName(Q(name));
  controls_[name] = widget;
  if (refresh) refreshers_.push_back(std::move(refresh));
}

QWidget* MainWindow::Control(const std::string& name) const {
  const auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

void MainWindow::Refresh() {
  if (windowTitle() != Q(form_.Caption)) setWindowTitle(Q(form_.Caption));
  for (const Refresher& refresh : refreshers_) refresh();
  RefreshMenus();
  ApplyActiveControl();
}

void MainWindow::RefreshMenus() {
  for (const TMenuItem* item : {&form_.N2, &form_.N3, &form_.N1}) ShowItem(gridMenu_, *item);
  for (const TMenuItem* item : {&form_.N8, &form_.N6, &form_.N4, &form_.N5}) {
    ShowItem(pickMenu_, *item);
  }
}

void MainWindow::RunHandler(const std::function<void()>& handler) {
  try {
    if (handler) handler();
  } catch (const std::exception& e) {
    // The handlers report their own failures; anything that still escapes must not end the
    // program through the event loop.
    form_.ShowMessage(e.what());
  }
  Refresh();
}

bool MainWindow::KeyPress(const std::string& control, char32_t key) {
  bool pass = true;
  RunHandler([&] { pass = form_.KeyPress(control, key); });
  return pass;
}

void MainWindow::FollowFocus(QWidget* now) {
  if (now == nullptr || now->window() != this) return;
  std::string name;
  for (const auto& [control, widget] : controls_) {
    if (widget == now || widget->isAncestorOf(now)) name = control;
  }
  form_.ActiveControl = name;
  appliedActiveControl_ = name;
}

void MainWindow::ApplyActiveControl() {
  // Only a change the form made moves the focus; the user's own moves are followed above.
  if (form_.ActiveControl == appliedActiveControl_) return;
  appliedActiveControl_ = form_.ActiveControl;
  if (QWidget* widget = Control(form_.ActiveControl)) {
    // A control on another page: that page comes forward first, as the native form does.
    for (int i = 0; i < pages_->count(); ++i) {
      if (pages_->widget(i)->isAncestorOf(widget) && pages_->currentIndex() != i) {
        form_.PageControl1.ActivePageIndex = i;
        pages_->setCurrentIndex(i);
      }
    }
    widget->setFocus(Qt::OtherFocusReason);
  }
}

bool MainWindow::SavePagePictures(const QString& folder) {
  bool saved = true;
  const int shown = pages_->currentIndex();
  for (int i = 0; i < pages_->count(); ++i) {
    pages_->setCurrentIndex(i);
    const QString file = folder + QStringLiteral("/main-page-%1.png").arg(i + 1);
    saved = grab().save(file, "PNG") && saved;
  }
  pages_->setCurrentIndex(shown);
  return saved;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A run in progress is inside a handler further down the stack: it stops at its next poll
  // instead of going on drawing into a drawing nobody sees.
  form_.RunningFlag = false;
  if (onClose_) onClose_();
  event->accept();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // The settings keep where the window was left.
  if (isVisible() && !isMinimized()) {
    form_.Left = x();
    form_.Top = y();
  }
}

}  // namespace vorn::ui
