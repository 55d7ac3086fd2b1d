#include "ui/drawing/drawing_view.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "cad/host/drawing_svg.h"

namespace vorn::ui {
namespace {

const QColor kBackground(33, 40, 48);
const QColor kSnapColour(255, 210, 0);
const QColor kSelectedColour(255, 160, 60);
// Fonts for texts whose style names no font of the system: Japanese ones first, because the
// drawings are Japanese.
const QStringList kFallbackFonts{"IPAPGothic", "IPAGothic",    "Noto Sans CJK JP", "Noto Sans JP",
                                 "VL PGothic", "TakaoPGothic", "Sans Serif"};
// Texts are laid out at this pixel size and scaled, since fonts have no sub-pixel sizes.
constexpr double kLayoutPx = 100.0;

QColor AciQColor(int aci) {
  const auto c = cad::host::AciColour(aci);
  return QColor(c.r, c.g, c.b);
}

QPointF Q(ScenePoint p) { return {p.x, p.y}; }

QFont LabelFont(const std::string& style) {
  QFont font;
  QStringList families;
  if (!style.empty()) families << QString::fromStdString(style);
  families << kFallbackFonts;
  font.setFamilies(families);
  font.setPixelSize(static_cast<int>(kLayoutPx));
  return font;
}

}  // namespace

DrawingView::DrawingView(const cad::host::DrawingHost& host, QWidget* parent)
    : QWidget(parent), host_(host) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
  setCursor(Qt::CrossCursor);
}

void DrawingView::Rebuild() {
  if (sceneRevision_ == host_.ChangeCount()) return;
  sceneRevision_ = host_.ChangeCount();
  scene_ = cad::host::BuildDrawingScene(host_.Document());
  snapPoints_ = SnapPointsOf(host_.Document());
  if (!fitted_) {
    fitted_ = true;
    transform_.Fit(cad::host::SceneExtent(scene_));
  }
}

const DrawingScene& DrawingView::Scene() {
  Rebuild();
  return scene_;
}

const std::vector<SnapPoint>& DrawingView::SnapPoints() {
  Rebuild();
  return snapPoints_;
}

void DrawingView::ZoomExtents() {
  Rebuild();
  fitted_ = true;
  transform_.Fit(cad::host::SceneExtent(scene_));
  update();
}

void DrawingView::SetSnapMarker(std::optional<SnapPoint> marker) {
  snapMarker_ = marker;
  update();
}

void DrawingView::SetRubberBand(std::optional<std::pair<ScenePoint, ScenePoint>> corners,
                                bool crossing) {
  rubberBand_ = corners;
  crossing_ = crossing;
  update();
}

void DrawingView::SetRubberLine(std::optional<std::pair<ScenePoint, ScenePoint>> line) {
  rubberLine_ = line;
  update();
}

void DrawingView::SetSelectedHandles(std::set<std::string> handles) {
  selected_ = std::move(handles);
  update();
}

void DrawingView::resizeEvent(QResizeEvent*) {
  // Keep the drawing point at the centre where it is.
  transform_.SetViewport(width(), height());
}

void DrawingView::paintEvent(QPaintEvent*) {
  Rebuild();
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  painter.setRenderHint(QPainter::Antialiasing, true);
  PaintScene(painter);

  painter.setBrush(Qt::NoBrush);
  if (rubberBand_) {
    const QRectF box = QRectF(Q(transform_.ToScreen(rubberBand_->first)),
                              Q(transform_.ToScreen(rubberBand_->second)))
                           .normalized();
    QPen pen(crossing_ ? QColor(90, 220, 120) : QColor(100, 160, 255));
    pen.setCosmetic(true);
    if (crossing_) pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.fillRect(box, crossing_ ? QColor(90, 220, 120, 40) : QColor(100, 160, 255, 40));
    painter.drawRect(box);
  }
  if (rubberLine_) {
    QPen pen(Qt::white);
    pen.setCosmetic(true);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawLine(Q(transform_.ToScreen(rubberLine_->first)),
                     Q(transform_.ToScreen(rubberLine_->second)));
  }
  if (snapMarker_) {
    QPen pen(kSnapColour, 2);
    painter.setPen(pen);
    const QPointF c = Q(transform_.ToScreen(snapMarker_->at));
    const double r = 6;
    switch (snapMarker_->kind) {
      case SnapKind::kEndpoint:
        painter.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        break;
      case SnapKind::kMidpoint:
        painter.drawPolygon(
            QPolygonF{{c.x(), c.y() - r}, {c.x() + r, c.y() + r}, {c.x() - r, c.y() + r}});
        break;
      case SnapKind::kCentre:
        painter.drawEllipse(c, r, r);
        break;
      case SnapKind::kNearest:
        painter.drawLine(QPointF(c.x() - r, c.y() - r), QPointF(c.x() + r, c.y() + r));
        painter.drawLine(QPointF(c.x() - r, c.y() + r), QPointF(c.x() + r, c.y() - r));
        painter.drawLine(QPointF(c.x() - r, c.y() - r), QPointF(c.x() + r, c.y() - r));
        painter.drawLine(QPointF(c.x() - r, c.y() + r), QPointF(c.x() + r, c.y() + r));
        break;
    }
  }
}

void DrawingView::PaintScene(QPainter& painter) {
  const auto& model = host_.Document().modelSpace;
  auto isSelected = [&](size_t entity) {
    return !selected_.empty() && entity < model.size() &&
           selected_.count(model[entity].entity.common.handle) > 0;
  };
  const double scale = transform_.PixelsPerUnit();
  const QRectF visible = QRectF(rect()).adjusted(-10, -10, 10, 10);
  cad::host::SvgOptions dashOptions;
  dashOptions.minDashPx = 3.0;

  for (const auto& [kind, index] : scene_.order) {
    if (kind == DrawingScene::Kind::kStroke) {
      const auto& s = scene_.strokes[index];
      QPolygonF polygon;
      polygon.reserve(static_cast<qsizetype>(s.points.size()));
      for (const auto& p : s.points) polygon << Q(transform_.ToScreen(p));
      if (!polygon.boundingRect().adjusted(-1, -1, 1, 1).intersects(visible)) continue;
      const bool selected = isSelected(s.entity);
      QPen pen(selected ? kSelectedColour : AciQColor(s.aci), selected ? 2.0 : 1.0);
      pen.setCosmetic(true);
      if (s.lineType) {
        const auto dashes = cad::host::SvgDashArray(*s.lineType, scale, dashOptions);
        if (!dashes.empty()) {
          QList<qreal> pattern;
          for (double v : dashes) pattern << std::max(1.0, v * scale / pen.widthF());
          pen.setDashPattern(pattern);
        }
      }
      if (selected && !s.lineType) pen.setStyle(Qt::DashLine);
      painter.setPen(pen);
      if (polygon.size() == 1) {
        painter.drawPoint(polygon.front());
      } else if (s.closed) {
        painter.drawPolygon(polygon);
      } else {
        painter.drawPolyline(polygon);
      }
    } else if (kind == DrawingScene::Kind::kLabel) {
      const auto& l = scene_.labels[index];
      const double pixelHeight = l.fontSize * scale;
      if (pixelHeight < 1.5) continue;  // unreadable: leave it out rather than smear it
      QPolygonF box;
      for (const auto& p : l.corners) box << Q(transform_.ToScreen(p));
      if (!box.boundingRect().intersects(visible)) continue;
      const QFont font = LabelFont(l.style);
      const QFontMetricsF metrics(font);
      const QString text = QString::fromStdString(l.text);
      const double width = metrics.horizontalAdvance(text);
      const double em = l.fontSize / kLayoutPx;  // drawing units per layout pixel
      double x = 0;
      if (l.anchor == "middle") x = -width / 2;
      if (l.anchor == "end") x = -width;
      double y = 0;  // baseline
      if (l.baseline == "central") y = (metrics.ascent() - metrics.descent()) / 2;
      if (l.baseline == "text-after-edge") y = -metrics.descent();
      if (l.baseline == "text-before-edge") y = metrics.ascent();
      const double stretch = (l.fitLength > 0 && width > 0) ? l.fitLength / (width * em) : 1.0;
      // Layout pixels -> glyph space (drawing units, y down) -> drawing -> screen.
      const auto& g = l.glyphs;
      const double s = scale;
      const double cx = transform_.WidthPx() / 2 - transform_.Centre().x * s;
      const double cy = transform_.HeightPx() / 2 + transform_.Centre().y * s;
      const QTransform toScreen(g.a * s, -g.b * s, g.c * s, -g.d * s, g.e * s + cx, -g.f * s + cy);
      const QTransform layout = QTransform::fromScale(em * stretch, em);
      painter.save();
      painter.setTransform(layout * toScreen);
      painter.setFont(font);
      painter.setPen(isSelected(l.entity) ? kSelectedColour : AciQColor(l.aci));
      painter.drawText(QPointF(x, y), text);
      painter.restore();
    } else {
      const auto& m = scene_.marks[index];
      const QPointF c = Q(transform_.ToScreen(m.at));
      if (!visible.contains(c)) continue;
      QPen pen(isSelected(m.entity) ? kSelectedColour : AciQColor(m.aci));
      pen.setCosmetic(true);
      painter.setPen(pen);
      painter.drawLine(c - QPointF(3, 0), c + QPointF(3, 0));
      painter.drawLine(c - QPointF(0, 3), c + QPointF(0, 3));
    }
  }
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
  const QPointF p = event->position();
  if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_)) {
    panFrom_ = p;
    setCursor(Qt::ClosedHandCursor);
    return;
  }
  if (event->button() == Qt::LeftButton) emit leftPressed(p.x(), p.y());
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = event->position();
  if (panFrom_) {
    transform_.PanBy(p.x() - panFrom_->x(), p.y() - panFrom_->y());
    panFrom_ = p;
    update();
  }
  emit cursorMoved(p.x(), p.y());
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF p = event->position();
  if (panFrom_ && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
    panFrom_.reset();
    setCursor(Qt::CrossCursor);
    return;
  }
  if (event->button() == Qt::LeftButton) emit leftReleased(p.x(), p.y());
}

void DrawingView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  const QPointF p = event->position();
  transform_.ZoomAt({p.x(), p.y()}, std::pow(1.25, steps));
  update();
  emit cursorMoved(p.x(), p.y());
}

void DrawingView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
    spaceHeld_ = true;
    setCursor(Qt::OpenHandCursor);
    return;
  }
  // Enter and Esc belong to the window's pick in progress.
  event->ignore();
}

void DrawingView::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
    spaceHeld_ = false;
    if (!panFrom_) setCursor(Qt::CrossCursor);
    return;
  }
  event->ignore();
}

}  // namespace vorn::ui
