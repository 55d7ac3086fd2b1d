#include "ui/preview_image.h"

#include <QPainter>

namespace vorn::ui {

QImage ToQImage(const TImage& image) {
  if (image.Width <= 0 || image.Height <= 0) return {};
  const auto count = static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height);
  if (image.Pixels.size() != count) return {};
  QImage picture(image.Width, image.Height, QImage::Format_RGB32);
  for (int y = 0; y < image.Height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    const uint32_t* source = image.Pixels.data() + static_cast<std::size_t>(y) * image.Width;
    for (int x = 0; x < image.Width; ++x) line[x] = 0xff000000u | (source[x] & 0xffffffu);
  }
  return picture;
}

PreviewImage::PreviewImage(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewImage::Show(const TImage& image) {
  if (image.Width == shown_.Width && image.Height == shown_.Height &&
      image.Pixels == shown_.Pixels && !picture_.isNull()) {
    return;
  }
  shown_ = image;
  picture_ = ToQImage(image);
  update();
}

void PreviewImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
}

}  // namespace vorn::ui
