#include "tests/support/pictures.h"

#ifdef ORLIO_TEST_QT_DECODER
#include <QImage>
#endif

namespace testing_support {

model::PictureDecoder TestPictureDecoder() {
#ifdef ORLIO_TEST_QT_DECODER
  return [](const platform::ByteBuffer& bytes) -> std::optional<model::Picture> {
    QImage image;
    if (!image.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) return std::nullopt;
    image = image.convertToFormat(QImage::Format_ARGB32);
    model::Picture picture;
    picture.width = image.width();
    picture.height = image.height();
    picture.pixels.reserve(static_cast<std::size_t>(picture.width) * picture.height);
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      picture.pixels.insert(picture.pixels.end(), line, line + image.width());
    }
    return picture;
  };
#else
  return nullptr;
#endif
}

} // namespace testing_support
