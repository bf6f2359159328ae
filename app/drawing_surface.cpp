#include "app/drawing_surface.h"

#include <QPainter>

#include <cstring>

namespace app {
namespace {

// The surface's background before anything is drawn, as in the in-memory binding.
constexpr QRgb Background = 0xFFF0F0F0u;

} // namespace

DrawingSurface::DrawingSurface(QWidget* parent) : QWidget(parent) {
  m_surface = QImage(1, 1, QImage::Format_ARGB32);
  m_surface.fill(Background);
}

void DrawingSurface::Draw(const QImage& picture, int left, int top, int right, int bottom) {
  FitSurface();
  QPainter painter(&m_surface);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(left, top, right - left, bottom - top), picture);
  painter.end();
  update();
}

model::Picture DrawingSurface::Take(int width, int height) {
  FitSurface();
  if (width <= 0 || height <= 0) return {};
  return ToPicture(m_surface.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

const QImage& DrawingSurface::Surface() {
  FitSurface();
  return m_surface;
}

void DrawingSurface::FitSurface() {
  if (size() == m_surface.size() || width() <= 0 || height() <= 0) return;
  QImage grown(size(), QImage::Format_ARGB32);
  grown.fill(Background);
  QPainter painter(&grown);
  painter.drawImage(0, 0, m_surface);
  painter.end();
  m_surface = grown;
}

void DrawingSurface::paintEvent(QPaintEvent*) {
  FitSurface();
  QPainter painter(this);
  painter.drawImage(0, 0, m_surface);
}

QImage ToImage(const model::Picture& picture) {
  if (picture.IsNull() || picture.pixels.size() < static_cast<std::size_t>(picture.width) * picture.height)
    return {};
  QImage image(picture.width, picture.height, QImage::Format_ARGB32);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(image.scanLine(y), picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t));
  }
  return image;
}

model::Picture ToPicture(const QImage& source) {
  model::Picture picture;
  if (source.isNull()) return picture;
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  picture.width = image.width();
  picture.height = image.height();
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  for (int y = 0; y < image.height(); ++y) {
    std::memcpy(picture.pixels.data() + static_cast<std::size_t>(y) * picture.width, image.constScanLine(y),
                static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t));
  }
  return picture;
}

} // namespace app
