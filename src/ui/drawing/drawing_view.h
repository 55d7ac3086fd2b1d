// The drawing window's canvas: paints the host's drawing like a CAD does (ACI colours and
// line types on a dark background, texts in the drawing's fonts with a Japanese fallback),
// pans with the middle button or space and drag, zooms at the cursor with the wheel, and shows
// what a pick is doing (snap marker, rubber band, rubber line, selected entities).
#pragma once

#include <QWidget>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cad/host/drawing_host.h"
#include "cad/host/drawing_scene.h"
#include "ui/drawing/drawing_picks.h"
#include "ui/drawing/view_transform.h"

namespace vorn::ui {

class DrawingView final : public QWidget {
  Q_OBJECT

 public:
  explicit DrawingView(const cad::host::DrawingHost& host, QWidget* parent = nullptr);

  ViewTransform& Transform() { return transform_; }
  const ViewTransform& Transform() const { return transform_; }
  void ZoomExtents();

  // The scene and snap points of the drawing as it is now (rebuilt after every change).
  const DrawingScene& Scene();
  const std::vector<SnapPoint>& SnapPoints();

  void SetSnapMarker(std::optional<SnapPoint> marker);
  // A window (solid) or crossing window (dashed) from one corner to the other, in drawing units.
  void SetRubberBand(std::optional<std::pair<ScenePoint, ScenePoint>> corners, bool crossing);
  void SetRubberLine(std::optional<std::pair<ScenePoint, ScenePoint>> line);
  void SetSelectedHandles(std::set<std::string> handles);
  // Cursor distance in pixels that still hits an entity or a snap.
  static constexpr double kAperturePx = 8.0;

 signals:
  void cursorMoved(double screenX, double screenY);
  void leftPressed(double screenX, double screenY);
  void leftReleased(double screenX, double screenY);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void Rebuild();
  void PaintScene(class QPainter& painter);

  const cad::host::DrawingHost& host_;
  ViewTransform transform_;
  DrawingScene scene_;
  std::vector<SnapPoint> snapPoints_;
  int64_t sceneRevision_ = -1;
  bool fitted_ = false;

  std::optional<SnapPoint> snapMarker_;
  std::optional<std::pair<ScenePoint, ScenePoint>> rubberBand_;
  bool crossing_ = false;
  std::optional<std::pair<ScenePoint, ScenePoint>> rubberLine_;
  std::set<std::string> selected_;

  bool spaceHeld_ = false;
  std::optional<QPointF> panFrom_;
};

}  // namespace vorn::ui
