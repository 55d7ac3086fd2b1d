#include "ui/qt_shell.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QThread>

#include "ui/target_cad_dialog.h"
#include "ui/text.h"

namespace vorn::ui {

QtShell::QtShell(std::filesystem::path executable) : executable_(std::move(executable)) {}

void QtShell::SetMainWindow(QWidget* window, std::function<void()> refresh) {
  mainWindow_ = window;
  refresh_ = std::move(refresh);
}

void QtShell::SetPickWindow(QWidget* window) { pickWindow_ = window; }

void QtShell::ShowMessage(std::string_view caption, std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, Q(caption), Q(text), QMessageBox::Ok, mainWindow_);
  box.exec();
}

void QtShell::MinimizeMainWindow() {
  if (mainWindow_) mainWindow_->showMinimized();
  if (pickWindow_) {
    pickWindow_->raise();
    pickWindow_->activateWindow();
  }
}

void QtShell::RestoreMainWindow() {
  if (!mainWindow_) return;
  mainWindow_->showNormal();
  mainWindow_->raise();
  mainWindow_->activateWindow();
}

bool QtShell::IsMainWindowNormal() const {
  return !mainWindow_ || !(mainWindow_->windowState() & Qt::WindowMinimized);
}

void QtShell::ProcessMessages() {
  if (refresh_) refresh_();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtShell::SetClipboardText(std::string_view text) {
  QGuiApplication::clipboard()->setText(Q(text));
}

void QtShell::Sleep(int milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

ScreenSize QtShell::Screen() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {1920, 1080};
  const QSize size = screen->size();
  return {size.width(), size.height()};
}

std::optional<std::string> QtShell::Environment(std::string_view name) const {
  const QByteArray key(name.data(), static_cast<qsizetype>(name.size()));
  if (!qEnvironmentVariableIsSet(key.constData())) return std::nullopt;
  return U8(qEnvironmentVariable(key.constData()));
}

bool QtShell::IsFolderWritable(const std::filesystem::path& folder) const {
  return ProbeFolderWritable(folder);
}

void QtShell::PlaceTopMost() {
  if (mainWindow_) mainWindow_->raise();
}

void QtShell::ShowTargetCadDialog(TTargetCADForm& dialog) {
  TargetCadDialog view(dialog, mainWindow_);
  view.exec();
}

}  // namespace vorn::ui
