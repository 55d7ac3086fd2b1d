#include "ui/drawing/drawing_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>

namespace vorn::ui {
namespace {

const QString kFilter = QStringLiteral("DXF (*.dxf *.DXF)");
const QString kCaption = QStringLiteral("Vorn 図面");

}  // namespace

QString QtDrawingDialogs::AskOpenPath(QWidget* parent, const QString& folder) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("図面を開く"), folder, kFilter);
}

QString QtDrawingDialogs::AskSavePath(QWidget* parent, const QString& suggested) {
  // The window asks about replacing a file itself, the same way on every platform.
  return QFileDialog::getSaveFileName(parent, QStringLiteral("名前を付けて保存"), suggested,
                                      kFilter, nullptr, QFileDialog::DontConfirmOverwrite);
}

DrawingDialogs::Answer QtDrawingDialogs::AskYesNoCancel(QWidget* parent, const QString& text) {
  const auto button = QMessageBox::question(
      parent, kCaption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (button == QMessageBox::Yes) return Answer::kYes;
  if (button == QMessageBox::No) return Answer::kNo;
  return Answer::kCancel;
}

bool QtDrawingDialogs::AskYesNo(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, kCaption, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtDrawingDialogs::ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, kCaption, text);
}

void UnattendedDialogs::ShowMessage(QWidget*, const QString& text) {
  std::fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace vorn::ui
