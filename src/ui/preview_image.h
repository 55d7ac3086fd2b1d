// Image2, the wireframe preview: shows the form model's pixels as they are. The picture lives
// in the model, so covering and uncovering the window repaints it unchanged.
#pragma once

#include <QImage>
#include <QWidget>

#include "app/controls.h"

namespace vorn::ui {

// The model's 0xRRGGBB pixels as an opaque image; an image whose pixel count does not match
// its size gives a null image rather than reading past the pixels.
QImage ToQImage(const TImage& image);

class PreviewImage final : public QWidget {
 public:
  explicit PreviewImage(QWidget* parent = nullptr);
  // Repaints only when the pixels changed.
  void Show(const TImage& image);
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TImage shown_;
  QImage picture_;
};

}  // namespace vorn::ui
