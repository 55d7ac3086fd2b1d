// The main window over a started form, a Qt shell whose program lives in a temporary folder,
// and the drawing host answering picks from a script.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "test_files.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"

namespace vorn::testing {

// The Qt shell with its modal parts replaced: messages are recorded, and a hook runs inside
// each pass of event processing (a user pressing a button during a run).
class TestShell final : public ui::QtShell {
 public:
  TestShell(std::filesystem::path executable, std::filesystem::path home)
      : QtShell(std::move(executable)), home_(std::move(home)) {}

  void ShowMessage(std::string_view caption, std::string_view text) override {
    messages.push_back(std::string(caption) + ": " + std::string(text));
  }
  void ProcessMessages() override {
    QtShell::ProcessMessages();
    if (onProcessMessages) onProcessMessages();
  }
  void MinimizeMainWindow() override {
    QtShell::MinimizeMainWindow();
    windowStates.push_back(MainWindow()->isMinimized() ? "minimised" : "not minimised");
  }
  void RestoreMainWindow() override {
    QtShell::RestoreMainWindow();
    windowStates.push_back(MainWindow()->isMinimized() ? "still minimised" : "restored");
  }
  // The user's own settings must not leak into the tests.
  std::optional<std::string> Environment(std::string_view name) const override {
    if (name == "HOME") return home_.string();
    return std::nullopt;
  }

  std::vector<std::string> messages;
  std::vector<std::string> windowStates;  // the main window after each minimise and restore
  std::function<void()> onProcessMessages;

 private:
  std::filesystem::path home_;
};

class NoWaitClock final : public cad::CadClock {
 public:
  void Sleep(int milliseconds) override { now_ += milliseconds; }
  int64_t NowMilliseconds() override { return now_; }

 private:
  int64_t now_ = 0;
};

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : shell(Exe(), temp.path() / "home"), host(user, files) {
    std::filesystem::create_directories(Exe().parent_path());
  }

  std::filesystem::path Exe() const { return temp.path() / "bin" / "vorn"; }

  std::unique_ptr<TForm1> NewForm() {
    auto form = std::make_unique<TForm1>(shell, DataFolders::FromShell(shell),
                                         CadEnvironment{host, host.Windows(), clock});
    form->FormCreate();
    return form;
  }

  // The form started and its window shown and active, as a user sees it.
  void Start() {
    form = NewForm();
    window = std::make_unique<ui::MainWindow>(*form);
    shell.SetMainWindow(window.get(), [this] { window->Refresh(); });
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // Types text key by key, as a keyboard with an input method does: each character a key
  // press of its own (QTest's key clicks only know ASCII).
  static void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &release);
    }
  }

  template <class W>
  W* Widget(const std::string& name) const {
    auto* widget = qobject_cast<W*>(window->Control(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  TempFolder temp;
  TestShell shell;
  cad::host::ScriptedInteraction user;
  cad::host::DxfDrawingFiles files;
  cad::host::DrawingHost host;
  NoWaitClock clock;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<ui::MainWindow> window;
};

}  // namespace vorn::testing
