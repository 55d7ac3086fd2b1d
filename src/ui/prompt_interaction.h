// The user's part in the drawing host when no drawing window is there to click in: each
// request asks in a small input dialog for what would otherwise be picked (a layer or handles
// for a selection, "x,y" for a point, degrees for an angle, a handle for an entity).
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "cad/host/interaction.h"

namespace vorn::ui {

// "x,y" or "x,y,z" (spaces allowed, "." as the decimal mark); nothing when it is not that.
std::optional<TAcadPoint> ParsePointText(const std::string& text);

class PromptInteraction final : public cad::host::Interaction {
 public:
  explicit PromptInteraction(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  std::optional<cad::host::SelectionAnswer> SelectObjects(const std::string& prompt) override;
  std::optional<TAcadPoint> GetPoint(const std::string& prompt,
                                     const std::optional<TAcadPoint>& base) override;
  std::optional<double> GetAngle(const std::string& prompt,
                                 const std::optional<TAcadPoint>& base) override;
  std::optional<cad::host::EntityAnswer> GetEntity(const std::string& prompt) override;
  std::optional<TAcadPoint> GetInsertionPoint(const std::string& blockName) override;

 private:
  std::optional<std::string> Ask(const std::string& prompt, const std::string& hint);

  QWidget* parent_;
};

}  // namespace vorn::ui
