// The drawing window's plan view: drawing units to screen pixels and back, zoom about a
// screen point, pan, and fitting the drawing's extents. Toolkit-free, so it is tested alone.
#pragma once

#include "cad/host/drawing_scene.h"

namespace vorn::ui {

using cad::host::SceneBox;
using cad::host::ScenePoint;

class ViewTransform {
 public:
  // Screen y grows downwards, drawing y upwards.
  ScenePoint ToScreen(ScenePoint world) const;
  ScenePoint ToWorld(ScenePoint screen) const;

  void SetViewport(double widthPx, double heightPx);
  double WidthPx() const { return widthPx_; }
  double HeightPx() const { return heightPx_; }
  double PixelsPerUnit() const { return scale_; }
  ScenePoint Centre() const { return centre_; }

  // Zooms by `factor` (> 1 in) keeping the drawing point under `screen` where it is.
  void ZoomAt(ScenePoint screen, double factor);
  // Moves the drawing with the cursor by a screen displacement.
  void PanBy(double dxPx, double dyPx);
  // Shows the whole box with a margin of `marginFraction` of the viewport on every side; an
  // empty or degenerate box centres what there is at a usable scale.
  void Fit(const SceneBox& box, double marginFraction = 0.05);

 private:
  double widthPx_ = 800.0, heightPx_ = 600.0;
  double scale_ = 1.0;  // pixels per drawing unit
  ScenePoint centre_;   // drawing point at the viewport's centre
};

}  // namespace vorn::ui
