#include "app/album_handlers.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/start_up.h"
#include "catalogue/configuration.h"
#include "tools/walkthrough/walkthrough.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

// The main job on the demo deployment, walked through like a user, with a
// screenshot after every step. The stand-in album service must already be
// listening on the demo port.
namespace {

constexpr int DemoPort = 18163;

void Print(const QString& line) {
  std::printf("%s\n", line.toLocal8Bit().constData());
  std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: orlio-demo-walkthrough OUTPUT_DIR SAVE_DIR\n"
                 "  OUTPUT_DIR  the screenshots of every step and the operation log go here\n"
                 "  SAVE_DIR    typed into the save location box; the albums land under it\n"
                 "The album service must be running on 127.0.0.1:%d.\n",
                 DemoPort);
    return 2;
  }
  walkthrough::Settings settings;
  settings.outputFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  settings.saveFolder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  settings.report = Print;

  // As the program starts, without its command line.
  app::PrepareProcess();
  int programArgc = 1;
  char* programArgv[] = {argv[0], nullptr};
  QApplication application(programArgc, programArgv);
  application.setQuitOnLastWindowClosed(false);
  app::SetUpApplication();

  const catalogue::Configuration config = catalogue::DemoConfiguration(DemoPort);
  bool walked = false;
  int loopResult = 0;
  {
    app::MainWindow window(config, app::AlbumHandlers(config));
    QObject::connect(&window, &app::MainWindow::closed, &application, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Start();
    walkthrough::MainJob job(window, settings);
    QTimer::singleShot(0, &window, [&] {
      walked = job.RunAll();
      if (!walked) {
        Print(QStringLiteral("walkthrough failed: ") + job.Failure());
        if (window.isVisible()) window.close();
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
      }
    });
    loopResult = QApplication::exec();
    window.Shutdown();
    app::ReleaseSharedState(window.State());
  }
  if (walked) Print(QStringLiteral("walkthrough done; the program ended with %1").arg(loopResult));
  return walked && loopResult == 0 ? 0 : 1;
}
