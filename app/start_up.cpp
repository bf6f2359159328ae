#include "app/start_up.h"

#include "web/paced_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace app {

void InitialiseMainWindow(model::Window& window, const catalogue::Configuration& config,
                          const std::function<void(int)>& applySkin, const platform::Text& programDirectory) {
  if (applySkin) applySkin(ProgramSkin);
  window.ui.编辑框_保存位置.SetText(programDirectory);
  web::PacedWait(2000);
  window.workers.Start([&window, startPage = config.AlbumSiteRoot] { OpenStartPage(window, startPage); });
  window.ui.PumpMessages();
}

void OpenStartPage(model::Window& window, const platform::Text& startPage) {
  window.ui.超文本浏览框1.SetAddress(startPage);
  web::PacedWait(2000);
  window.ui.PumpMessages();
}

void ReleaseSharedState(model::AppState& state) { state.Release(); }

void InstallQtGuiPump() {
  web::GuiPump pump;
  pump.isGuiThread = [] {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
  };
  pump.pump = [](std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer due;
    due.setSingleShot(true);
    due.setTimerType(Qt::PreciseTimer);
    QObject::connect(&due, &QTimer::timeout, &loop, &QEventLoop::quit);
    due.start(duration);
    loop.exec();
  };
  web::InstallGuiPump(std::move(pump));
}

} // namespace app
