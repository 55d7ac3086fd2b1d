// The main window: renders every control of the form model TForm1 on its seven pages, sends
// the user's input to the form's handlers and refreshes after each handler (and, through the
// shell, whenever a long run lets pending events through).
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "ui/control_bindings.h"

class QMenu;
class QTabWidget;

namespace vorn::ui {

class PreviewImage;

class MainWindow final : public QWidget, private FormView {
 public:
  // The form must outlive the window.
  explicit MainWindow(TForm1& form, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Copies the whole form into the widgets.
  void Refresh();
  // The widget showing a control of the form ("Edit3", "Button3", "StringGrid1", ...).
  QWidget* Control(const std::string& name) const;
  // The grids' menu (PopupMenu1) and the building button's menu (PopupMenu2).
  QMenu* GridMenu() const { return gridMenu_; }
  QMenu* PickMenu() const { return pickMenu_; }
  QTabWidget* Pages() const { return pages_; }
  PreviewImage* Preview() const { return preview_; }
  // Pictures of the window with each page in front, "main-page-1.png" ... "main-page-7.png" in
  // `folder`; the first page comes back to the front afterwards. False when one could not be
  // written.
  bool SavePagePictures(const QString& folder);
  // Runs when the user closes the window, before it goes.
  void OnClose(std::function<void()> onClose) { onClose_ = std::move(onClose); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  friend class PageBuilder;

  void RunHandler(const std::function<void()>& handler) override;
  bool KeyPress(const std::string& control, char32_t key) override;

  void BuildMenus();
  void BuildPages();
  void Register(const std::string& name, QWidget* widget, Refresher refresh = {});
  void RefreshMenus();
  void FollowFocus(QWidget* now);
  void ApplyActiveControl();

  TForm1& form_;
  QTabWidget* pages_ = nullptr;
  PreviewImage* preview_ = nullptr;
  QMenu* gridMenu_ = nullptr;
  QMenu* pickMenu_ = nullptr;
  std::map<std::string, QWidget*> controls_;
  std::vector<Refresher> refreshers_;
  std::string appliedActiveControl_;
  std::function<void()> onClose_;
};

}  // namespace vorn::ui
