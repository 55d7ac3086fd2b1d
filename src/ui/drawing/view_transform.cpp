#include "ui/drawing/view_transform.h"

#include <algorithm>
#include <cmath>

namespace vorn::ui {
namespace {

// Scales beyond these lose the digits a coordinate needs, or every entity in one pixel.
constexpr double kMinScale = 1e-9;
constexpr double kMaxScale = 1e9;

}  // namespace

ScenePoint ViewTransform::ToScreen(ScenePoint world) const {
  return {(world.x - centre_.x) * scale_ + widthPx_ / 2,
          (centre_.y - world.y) * scale_ + heightPx_ / 2};
}

ScenePoint ViewTransform::ToWorld(ScenePoint screen) const {
  return {centre_.x + (screen.x - widthPx_ / 2) / scale_,
          centre_.y - (screen.y - heightPx_ / 2) / scale_};
}

void ViewTransform::SetViewport(double widthPx, double heightPx) {
  widthPx_ = std::max(1.0, widthPx);
  heightPx_ = std::max(1.0, heightPx);
}

void ViewTransform::ZoomAt(ScenePoint screen, double factor) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const ScenePoint fixed = ToWorld(screen);
  scale_ = std::clamp(scale_ * factor, kMinScale, kMaxScale);
  // The fixed point stays under the cursor: solve ToScreen(fixed) == screen for the centre.
  centre_.x = fixed.x - (screen.x - widthPx_ / 2) / scale_;
  centre_.y = fixed.y + (screen.y - heightPx_ / 2) / scale_;
}

void ViewTransform::PanBy(double dxPx, double dyPx) {
  centre_.x -= dxPx / scale_;
  centre_.y += dyPx / scale_;
}

void ViewTransform::Fit(const SceneBox& box, double marginFraction) {
  if (box.Empty() || !std::isfinite(box.maxX - box.minX) || !std::isfinite(box.maxY - box.minY)) {
    centre_ = {0, 0};
    scale_ = 1.0;
    return;
  }
  centre_ = {(box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2};
  const double margin = std::clamp(marginFraction, 0.0, 0.45);
  const double usableW = widthPx_ * (1 - 2 * margin), usableH = heightPx_ * (1 - 2 * margin);
  const double w = box.maxX - box.minX, h = box.maxY - box.minY;
  double scale = kMaxScale;
  if (w > 0) scale = std::min(scale, usableW / w);
  if (h > 0) scale = std::min(scale, usableH / h);
  if (!(w > 0) && !(h > 0)) {
    // One point: a view a hundred units wide around it.
    scale = usableW / 100.0;
  }
  scale_ = std::clamp(scale, kMinScale, kMaxScale);
}

}  // namespace vorn::ui
