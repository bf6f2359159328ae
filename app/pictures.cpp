#include "app/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace app {

QIcon WindowIcon() {
  QPixmap icon(32, 32);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);

  // Two stacked photos.
  painter.setPen(QPen(QColor(0x5a, 0x6b, 0x7d), 1));
  painter.setBrush(QColor(0xe8, 0xee, 0xf5));
  painter.drawRoundedRect(QRectF(7.5, 2.5, 22, 17), 2, 2);
  QLinearGradient sky(0, 5, 0, 24);
  sky.setColorAt(0, QColor(0x7c, 0xc0, 0xff));
  sky.setColorAt(1, QColor(0x2d, 0x7d, 0xd2));
  painter.setBrush(sky);
  painter.drawRoundedRect(QRectF(2.5, 6.5, 22, 17), 2, 2);
  QPainterPath hills;
  hills.moveTo(3.5, 22.5);
  hills.lineTo(10, 14);
  hills.lineTo(14, 18);
  hills.lineTo(18, 12);
  hills.lineTo(23.5, 22.5);
  hills.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x3c, 0xa0, 0x55));
  painter.drawPath(hills);
  painter.setBrush(QColor(0xff, 0xd8, 0x4a));
  painter.drawEllipse(QPointF(8, 11), 2.2, 2.2);

  // The download arrow.
  QPainterPath arrow;
  arrow.moveTo(21, 17);
  arrow.lineTo(27, 17);
  arrow.lineTo(27, 23);
  arrow.lineTo(31, 23);
  arrow.lineTo(24, 31);
  arrow.lineTo(17, 23);
  arrow.lineTo(21, 23);
  arrow.closeSubpath();
  painter.setPen(QPen(Qt::white, 1.2));
  painter.setBrush(QColor(0xf0, 0x6a, 0x1e));
  painter.drawPath(arrow);
  painter.end();
  return QIcon(icon);
}

QPixmap CheckStatePicture(int state) {
  QPixmap picture(60, 100);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box(21.5, 41.5, 17, 17);
  painter.setPen(QPen(QColor(0x52, 0x6b, 0x85), 1.2));
  QLinearGradient fill(box.topLeft(), box.bottomLeft());
  fill.setColorAt(0, Qt::white);
  fill.setColorAt(1, QColor(0xe3, 0xea, 0xf2));
  painter.setBrush(fill);
  painter.drawRoundedRect(box, 2.5, 2.5);
  if (state == 1) {
    QPainterPath tick;
    tick.moveTo(25, 50);
    tick.lineTo(28.5, 54.5);
    tick.lineTo(35.5, 44.5);
    painter.setPen(QPen(QColor(0x1f, 0x8f, 0x3a), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
  }
  painter.end();
  return picture;
}

QList<QPixmap> SupportAnimationFrames() {
  // A speech bubble whose three dots light up one after another.
  QList<QPixmap> frames;
  for (int lit = 0; lit < 4; ++lit) {
    QPixmap frame(57, 16);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x6f, 0xc4), 1));
    painter.setBrush(QColor(0x2d, 0x8c, 0xf0));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 20, 12), 4, 4);
    QPainterPath tail;
    tail.moveTo(4, 12);
    tail.lineTo(3, 15.5);
    tail.lineTo(9, 12);
    painter.drawPath(tail);
    for (int dot = 0; dot < 3; ++dot) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(dot == lit ? QColor(0xff, 0xe0, 0x5a) : QColor(Qt::white));
      painter.drawEllipse(QPointF(5.5 + dot * 5, 6.5), 1.6, 1.6);
    }
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(lit == 3 ? QColor(0xf0, 0x6a, 0x1e) : QColor(0x1f, 0x5f, 0xa8));
    painter.drawText(QRectF(22, 0, 35, 16), Qt::AlignCenter, QStringLiteral("在线"));
    painter.end();
    frames.append(frame);
  }
  return frames;
}

} // namespace app
