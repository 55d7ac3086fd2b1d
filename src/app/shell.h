// Everything the form model needs from the world outside it: message boxes, the main
// window's state, event processing, the clipboard, time, the screen and the program's place.
// The desktop view and the batch tool implement it; tests use RecordingShell.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorn {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

class TTargetCADForm;

class Shell {
 public:
  virtual ~Shell() = default;

  // A message box with one OK button, owned by the main window.
  virtual void ShowMessage(std::string_view caption, std::string_view text) = 0;
  virtual void MinimizeMainWindow() = 0;
  virtual void RestoreMainWindow() = 0;
  virtual bool IsMainWindowNormal() const = 0;
  // Lets the view handle pending input (a stop button) and redraw the form.
  virtual void ProcessMessages() = 0;
  virtual void SetClipboardText(std::string_view text) = 0;
  virtual void Sleep(int milliseconds) = 0;
  virtual ScreenSize Screen() const = 0;
  // The full path of the running executable; its folder holds the program's files.
  virtual std::filesystem::path ExecutablePath() const = 0;
  // An environment variable, or nothing when it is not set.
  virtual std::optional<std::string> Environment(std::string_view name) const = 0;
  // Whether files can be created in the folder (an installed program's folder cannot).
  virtual bool IsFolderWritable(const std::filesystem::path& folder) const = 0;
  // Brings the main window above all others without moving it.
  virtual void PlaceTopMost() = 0;
  // Shows the target-CAD dialog modally; returns when the dialog has closed (its
  // ModalResult tells how).
  virtual void ShowTargetCadDialog(TTargetCADForm& dialog) = 0;
};

// Creates a probe file to learn whether the folder accepts new files; permission bits alone
// do not tell (ACLs, read-only media, an administrator's token).
bool ProbeFolderWritable(const std::filesystem::path& folder);

// A Shell that records every call, for tests and for runs without a window.
class RecordingShell : public Shell {
 public:
  struct Message {
    std::string caption;
    std::string text;
  };

  std::vector<Message> messages;
  std::vector<std::string> calls;  // "Minimize", "Restore", "ProcessMessages", ...
  std::string clipboard;
  ScreenSize screen{1920, 1080};
  std::filesystem::path executable = "/opt/vorn/vorn";
  std::vector<std::pair<std::string, std::string>> environment;
  // Folders reported as not writable; every other folder is probed for real.
  std::vector<std::filesystem::path> readOnlyFolders;
  bool mainWindowNormal = true;
  // Runs inside ProcessMessages, so a test can press a stop button during a run.
  std::function<void()> onProcessMessages;
  // Plays the user's part in the target-CAD dialog; without it the dialog closes at once.
  std::function<void(TTargetCADForm&)> onTargetCadDialog;

  void ShowMessage(std::string_view caption, std::string_view text) override;
  void MinimizeMainWindow() override;
  void RestoreMainWindow() override;
  bool IsMainWindowNormal() const override { return mainWindowNormal; }
  void ProcessMessages() override;
  void SetClipboardText(std::string_view text) override;
  void Sleep(int milliseconds) override;
  ScreenSize Screen() const override { return screen; }
  std::filesystem::path ExecutablePath() const override { return executable; }
  std::optional<std::string> Environment(std::string_view name) const override;
  bool IsFolderWritable(const std::filesystem::path& folder) const override;
  void PlaceTopMost() override;
  void ShowTargetCadDialog(TTargetCADForm& dialog) override;

  int CountCalls(std::string_view name) const;
};

}  // namespace vorn
