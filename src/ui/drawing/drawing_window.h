// The built-in drawing host's window: open, save and undo a drawing, look at it, and answer the
// host's requests (points, angles, entities, selections) with the mouse or typed coordinates.
// Each request runs a nested event loop that the calling command waits in; Enter ends it, Esc
// cancels it.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cad/host/drawing_host.h"
#include "cad/host/interaction.h"
#include "ui/drawing/drawing_dialogs.h"
#include "ui/drawing/drawing_view.h"

class QAction;
class QEventLoop;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSettings;
class QTimer;

namespace vorn::ui {

class DrawingWindow final : public QMainWindow, public cad::host::Interaction {
  Q_OBJECT

 public:
  // The window answers the host's requests from now on. `settings` keeps the recent files;
  // `dialogs` (Qt's when null) asks the user.
  DrawingWindow(cad::host::DrawingHost& host, QSettings& settings,
                DrawingDialogs* dialogs = nullptr, QWidget* parent = nullptr);
  ~DrawingWindow() override;

  // Opens the file in place of the drawing (asking first about unsaved changes); a file that
  // cannot be read leaves the drawing as it was. The user sees what could not be read.
  bool OpenFile(const QString& path);
  bool Save();    // to the opened file, or as a new file when there is none
  bool SaveAs();  // asks for a file name; asks before replacing an existing file
  bool Undo();
  bool Redo();
  void ZoomExtents();
  // Title, actions and picture after the drawing may have changed (the main window calls it
  // after each command; a timer does too while commands process events).
  void Refresh();

  bool IsModified() const;
  bool IsPicking() const { return pick_.mode != PickMode::kNone; }
  QStringList RecentFiles() const;
  DrawingView* View() const { return view_; }
  QPlainTextEdit* CommandLog() const { return log_; }
  QLineEdit* CommandInput() const { return input_; }
  QLabel* CoordinateLabel() const { return coordinates_; }

  // Interaction
  std::optional<cad::host::SelectionAnswer> SelectObjects(const std::string& prompt) override;
  std::optional<TAcadPoint> GetPoint(const std::string& prompt,
                                     const std::optional<TAcadPoint>& base) override;
  std::optional<double> GetAngle(const std::string& prompt,
                                 const std::optional<TAcadPoint>& base) override;
  std::optional<cad::host::EntityAnswer> GetEntity(const std::string& prompt) override;
  std::optional<TAcadPoint> GetInsertionPoint(const std::string& blockName) override;

 signals:
  // Around every request, so that the main window can step aside while the user picks.
  void pickStarted();
  void pickFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class PickMode { kNone, kPoint, kAngle, kEntity, kSelection };
  struct Pick {
    PickMode mode = PickMode::kNone;
    std::optional<TAcadPoint> base;
    bool answered = false;
    TAcadPoint point;
    double angle = 0.0;
    std::string handle;
    std::vector<std::string> selected;
    std::optional<ScenePoint> windowStart;  // first corner of a window being drawn (screen)
  };

  void BuildMenus();
  void BuildPanes();
  bool ConfirmDiscard();
  bool SaveTo(const QString& path);
  void AddRecent(const QString& path);
  void FillRecentMenu();
  void MarkSaved();
  void AppendLog(const QString& text);
  void Echo(const QString& text);

  bool RunPick(PickMode mode, const std::string& prompt, std::optional<TAcadPoint> base);
  void FinishPick(bool answered);
  void OnCursorMoved(double x, double y);
  void OnLeftPressed(double x, double y);
  void OnLeftReleased(double x, double y);
  void OnCommandEntered();
  void PickPointAt(const TAcadPoint& point, const QString& echo);
  void CompleteWindow(ScenePoint startScreen, ScenePoint endScreen);
  std::optional<SnapPoint> SnapAt(ScenePoint screen);
  double ApertureUnits() const;

  cad::host::DrawingHost& host_;
  QSettings& settings_;
  std::unique_ptr<DrawingDialogs> ownDialogs_;
  DrawingDialogs* dialogs_;
  DrawingView* view_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QLineEdit* input_ = nullptr;
  QLabel* promptLabel_ = nullptr;
  QLabel* coordinates_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QTimer* refreshTimer_ = nullptr;
  QString path_;  // where Save writes: the opened file or the last file saved as
  int64_t savedChangeCount_ = 0;
  int64_t shownChangeCount_ = -1;
  Pick pick_;
  QEventLoop* loop_ = nullptr;
  std::optional<ScenePoint> cursorScreen_;
};

}  // namespace vorn::ui
