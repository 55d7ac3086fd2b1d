// The target-CAD dialog over its form model TTargetCADForm: the list of known CADs, the name
// and ProgID boxes, add, delete, change, OK and cancel.
#pragma once

#include <QDialog>
#include <vector>

#include "app/target_cad.h"
#include "ui/control_bindings.h"

class QListWidget;

namespace vorn::ui {

class TargetCadDialog final : public QDialog, private FormView {
 public:
  TargetCadDialog(TTargetCADForm& form, QWidget* parent = nullptr);
  ~TargetCadDialog() override;
  void Refresh();

  // Closing the window or Esc closes with cancel, as "取り消し" does.
  void reject() override;

 private:
  void RunHandler(const std::function<void()>& handler) override;
  bool KeyPress(const std::string& control, char32_t key) override;

  TTargetCADForm& form_;
  QListWidget* list_ = nullptr;
  std::vector<Refresher> refreshers_;
};

}  // namespace vorn::ui
