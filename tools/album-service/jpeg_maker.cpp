#include "tools/album-service/jpeg_maker.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace album_service {
namespace {

// A small deterministic generator; std::mt19937 would do too, but its
// distributions are not guaranteed to give the same numbers everywhere.
std::uint32_t Mix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

int Clamp(int value) { return std::clamp(value, 0, 255); }

} // namespace

std::string GenerateJpeg(int width, int height, std::uint32_t seed, int quality) {
  if (width <= 0 || height <= 0) return {};
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return {};

  const std::uint32_t a = Mix(seed * 2654435761U + 1);
  const std::uint32_t b = Mix(a);
  const std::uint32_t c = Mix(b);
  const int r0 = a & 0xFF, g0 = (a >> 8) & 0xFF, b0 = (a >> 16) & 0xFF;
  const int r1 = b & 0xFF, g1 = (b >> 8) & 0xFF, b1 = (b >> 16) & 0xFF;
  const double cx = width * (0.2 + 0.6 * ((c & 0xFF) / 255.0));
  const double cy = height * (0.2 + 0.6 * (((c >> 8) & 0xFF) / 255.0));
  const double ringSpacing = (static_cast<double>(width) + height) / (40.0 + ((c >> 16) & 0x3F));
  const double diagonal = static_cast<double>(width) + height;
  // The ring shade by whole pixels of distance from the centre: a table
  // keeps cos out of the per-pixel loop, which matters at 12 megapixels.
  std::vector<int> ringShade(static_cast<std::size_t>(diagonal) + 2);
  for (std::size_t d = 0; d < ringShade.size(); ++d)
    ringShade[d] = static_cast<int>((0.5 + 0.5 * std::cos(static_cast<double>(d) / ringSpacing)) * 48) - 24;

  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const double dy = y - cy;
    for (int x = 0; x < width; ++x) {
      const double t = (x + y) / diagonal;
      const double dx = x - cx;
      const auto distance = static_cast<std::size_t>(std::sqrt(dx * dx + dy * dy));
      const int grain = static_cast<int>(Mix(seed ^ (static_cast<std::uint32_t>(y) * 65537U + x)) & 0x1F) - 16;
      const int shade = ringShade[distance] + grain;
      line[x] =
          qRgb(Clamp(static_cast<int>(r0 + (r1 - r0) * t) + shade), Clamp(static_cast<int>(g0 + (g1 - g0) * t) + shade),
               Clamp(static_cast<int>(b0 + (b1 - b0) * t) + shade));
    }
  }

  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  QImageWriter writer(&buffer, QByteArrayLiteral("JPEG"));
  writer.setQuality(quality);
  if (!writer.write(image)) return {};
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace album_service
