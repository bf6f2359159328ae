#include "app/program.h"

#include "app/main_window.h"
#include "app/start_up.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include <unistd.h>

namespace app {
namespace {

// The platform's default GUI font is about this size.
constexpr int DefaultFontPixels = 12;

} // namespace

void PrepareProcess() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // Chromium refuses to start its sandbox for the super-user.
  if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void SetUpApplication() {
  QFont font = QApplication::font();
  for (const QString& family : {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                                QStringLiteral("Droid Sans Fallback")}) {
    if (QFontDatabase::hasFamily(family)) {
      font = QFont(family);
      break;
    }
  }
  font.setPixelSize(DefaultFontPixels);
  QApplication::setFont(font);
  InstallQtGuiPump();
}

int RunProgram(int argc, char** argv, const catalogue::Configuration& config, Handlers handlers) {
  PrepareProcess();
  // The program takes nothing from its command line, Qt's own options included.
  int programArgc = argc > 0 ? 1 : 0;
  char* programArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
  QApplication application(programArgc, programArgv);
  application.setQuitOnLastWindowClosed(false);
  SetUpApplication();

  int result = 0;
  {
    MainWindow window(config, std::move(handlers));
    QObject::connect(&window, &MainWindow::closed, &application, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Start();
    result = QApplication::exec();
    window.Shutdown();
    ReleaseSharedState(window.State());
  }
  return result;
}

} // namespace app
