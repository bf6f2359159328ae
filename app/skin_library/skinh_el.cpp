#include <QApplication>
#include <QString>

// The window-skinning library the program loads by file name. Its skin data
// is a style sheet in UTF-8; attaching it restyles the whole application.
// The password and the three flags are part of the entry point's shape and
// mean nothing to this skin format.
extern "C" __attribute__((visibility("default"))) int SkinH_AttachRes(const unsigned char* data, int length,
                                                                      const char* /*password*/, int, int, int) {
  auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!application || !data || length <= 0) return 0;
  application->setStyleSheet(QString::fromUtf8(reinterpret_cast<const char*>(data), length));
  return 1;
}
