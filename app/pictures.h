#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The program's own pictures, painted once at start.
namespace app {

// 32 x 32: an album with a download arrow.
QIcon WindowIcon();

// The album list's state pictures, 60 x 100: 0 an empty box, 1 the box ticked.
QPixmap CheckStatePicture(int state);

// The frames of the support button's 57 x 16 animation.
QList<QPixmap> SupportAnimationFrames();

} // namespace app
