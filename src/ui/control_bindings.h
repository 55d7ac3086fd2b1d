// Ties one control of the form model to its widget: the returned refresher copies the model
// into the widget (only what differs, so a box keeps its cursor), and the widget's user input
// goes back into the model and on to the control's handler through the FormView.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "app/controls.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace vorn::ui {

// What the bindings need from the window that owns them.
class FormView {
 public:
  virtual ~FormView() = default;
  // Runs a handler of the form, then refreshes every widget.
  virtual void RunHandler(const std::function<void()>& handler) = 0;
  // A character typed into a box: the form's key filter decides; true lets it through.
  virtual bool KeyPress(const std::string& control, char32_t key) = 0;
};

using Refresher = std::function<void()>;
using Handler = std::function<void()>;

Refresher BindEdit(FormView& view, TEdit& model, QLineEdit* widget, const std::string& name,
                   Handler onChange = {});
Refresher BindButton(FormView& view, TButton& model, QAbstractButton* widget, Handler onClick);
Refresher BindCheckBox(FormView& view, TCheckBox& model, QCheckBox* widget, Handler onClick = {});
// Creates the radio buttons inside `box`, laid out in the model's columns, or in
// `columnsShown` where the layout wants the items side by side.
Refresher BindRadioGroup(FormView& view, TRadioGroup& model, QGroupBox* box, Handler onClick = {},
                         int columnsShown = 0);
Refresher BindComboBox(FormView& view, TComboBox& model, QComboBox* widget, Handler onChange);
Refresher BindCheckListBox(FormView& view, TCheckListBox& model, QListWidget* widget,
                           Handler onClickCheck);
Refresher BindLabel(const std::string& caption, QLabel* widget);
Refresher BindGroupBox(const TGroupBox& model, QGroupBox* widget);
Refresher BindProgressBar(const TProgressBar& model, QProgressBar* widget);
Refresher BindPageControl(FormView& view, TPageControl& model, QTabWidget* widget,
                          Handler onChange);
// Row 0 of the model is the table's header; the model's Row is the selected row.
Refresher BindStringGrid(FormView& view, TStringGrid& model, QTableWidget* widget, Handler onClick,
                         std::function<void(QPoint)> onContextMenu);

// The two arrow buttons of an up-down control; `step(true)` for the right or upper arrow.
class UpDownButtons : public QWidget {
 public:
  UpDownButtons(Qt::Orientation orientation, std::function<void(bool up)> step,
                QWidget* parent = nullptr);
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 private:
  QToolButton* up_;
  QToolButton* down_;
};

Refresher BindUpDown(const TUpDown& model, UpDownButtons* widget);
// One step of an up-down control beside its box, as the native control does it: from the
// number in the box when it holds one, kept within the range. The handler then shows it.
void StepAssociatedUpDown(TUpDown& model, const TEdit& box, bool up);

}  // namespace vorn::ui
