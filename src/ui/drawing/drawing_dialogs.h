// The questions the drawing window asks the user, behind an interface so that tests answer
// them without modal dialogs.
#pragma once

#include <QString>

class QWidget;

namespace vorn::ui {

class DrawingDialogs {
 public:
  enum class Answer { kYes, kNo, kCancel };
  virtual ~DrawingDialogs() = default;
  // Empty when the user cancels.
  virtual QString AskOpenPath(QWidget* parent, const QString& folder) = 0;
  // Empty when the user cancels; the window itself asks before replacing an existing file.
  virtual QString AskSavePath(QWidget* parent, const QString& suggested) = 0;
  virtual Answer AskYesNoCancel(QWidget* parent, const QString& text) = 0;
  virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
};

// Qt's file dialogs and message boxes.
class QtDrawingDialogs final : public DrawingDialogs {
 public:
  QString AskOpenPath(QWidget* parent, const QString& folder) override;
  QString AskSavePath(QWidget* parent, const QString& suggested) override;
  Answer AskYesNoCancel(QWidget* parent, const QString& text) override;
  bool AskYesNo(QWidget* parent, const QString& text) override;
  void ShowMessage(QWidget* parent, const QString& text) override;
};

// For runs with nobody to answer (pictures, scripted starts): messages go to standard error,
// questions are declined.
class UnattendedDialogs final : public DrawingDialogs {
 public:
  QString AskOpenPath(QWidget*, const QString&) override { return {}; }
  QString AskSavePath(QWidget*, const QString&) override { return {}; }
  Answer AskYesNoCancel(QWidget*, const QString&) override { return Answer::kNo; }
  bool AskYesNo(QWidget*, const QString&) override { return false; }
  void ShowMessage(QWidget* parent, const QString& text) override;
};

}  // namespace vorn::ui
