#pragma once

#include "app/model/picture.h"

#include <QImage>
#include <QWidget>

namespace app {

// A picture of the widget's size that the program draws on and reads back;
// it is painted as it is, never cleared.
class DrawingSurface : public QWidget {
  Q_OBJECT

public:
  explicit DrawingSurface(QWidget* parent = nullptr);

  // Stretched into the rectangle from (left, top) to (right, bottom).
  void Draw(const QImage& picture, int left, int top, int right, int bottom);
  model::Picture Take(int width, int height);
  const QImage& Surface();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  // A hidden widget gets no resize events: the picture follows the size on use.
  void FitSurface();

  QImage m_surface;
};

// Model pictures and Qt images, pixel for pixel (ARGB32).
QImage ToImage(const model::Picture& picture);
model::Picture ToPicture(const QImage& image);

} // namespace app
