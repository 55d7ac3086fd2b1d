// The form model's Shell on Qt: message boxes owned by the main window, its minimise and
// restore around picks (the drawing window comes to the front meanwhile), event processing
// that also refreshes the view, the system clipboard, the screen and the program's place.
#pragma once

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "app/shell.h"

namespace vorn::ui {

class QtShell : public Shell {
 public:
  // `executable` is the program's path; its folder holds the settings and output files.
  explicit QtShell(std::filesystem::path executable);

  // The main window and how to bring it up to date with the form (called before pending
  // events are processed, so a long run's progress shows).
  void SetMainWindow(QWidget* window, std::function<void()> refresh);
  // The window the user picks in while the main window is minimised: the drawing window.
  void SetPickWindow(QWidget* window);

  void ShowMessage(std::string_view caption, std::string_view text) override;
  void MinimizeMainWindow() override;
  void RestoreMainWindow() override;
  bool IsMainWindowNormal() const override;
  void ProcessMessages() override;
  void SetClipboardText(std::string_view text) override;
  void Sleep(int milliseconds) override;
  ScreenSize Screen() const override;
  std::filesystem::path ExecutablePath() const override { return executable_; }
  std::optional<std::string> Environment(std::string_view name) const override;
  bool IsFolderWritable(const std::filesystem::path& folder) const override;
  void PlaceTopMost() override;
  void ShowTargetCadDialog(TTargetCADForm& dialog) override;

 protected:
  QWidget* MainWindow() const { return mainWindow_; }

 private:
  std::filesystem::path executable_;
  QPointer<QWidget> mainWindow_;
  QPointer<QWidget> pickWindow_;
  std::function<void()> refresh_;
};

}  // namespace vorn::ui
