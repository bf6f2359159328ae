#pragma once

#include "app/handlers.h"
#include "app/model/app_state.h"
#include "app/model/controls.h"
#include "app/model/layout.h"
#include "app/model/window.h"
#include "app/qt_backend.h"
#include "app/shell.h"
#include "catalogue/configuration.h"
#include "platform/workers.h"

#include <QList>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>
#include <string_view>

class QTimer;
class QWebEngineProfile;
class QWebEngineView;

namespace app {

class CookieBridge;
class TabControl;

// The program's one window, built from the fixed layout; it holds the
// controls over the Qt binding, the shared state and the workers.
class MainWindow : public QWidget {
  Q_OBJECT

public:
  struct Options {
    // Empty members stand for the system's: the executable's directory, the
    // system folder picker, the system's handler for addresses and folders.
    Shell shell;
    // Empty: the skin library in the program directory.
    std::function<void(int)> applySkin;
  };

  MainWindow(catalogue::Configuration config, Handlers handlers, Options options = {});
  ~MainWindow() override;

  // Runs the created notification while the window is hidden, then shows it.
  void Start();
  // Releases workers waiting for the window, stops and joins every worker.
  // Runs once, when the window closes (or is destroyed).
  void Shutdown();

  model::Window& Model() { return m_window; }
  model::Controls& Ui() { return m_controls; }
  model::AppState& State() { return m_state; }
  platform::Workers& WorkerThreads() { return m_workers; }
  QtBackend& Backend() { return *m_backend; }
  const Shell& ShellServices() const { return m_shell; }
  const catalogue::Configuration& Config() const { return m_config; }
  QWebEngineProfile* Profile() const { return m_profile; }

  // The widget of a control, by its layout name.
  QWidget* Control(std::string_view name) const { return m_backend->Widget(name); }
  template <class Kind>
  Kind* ControlAs(std::string_view name) const {
    return qobject_cast<Kind*>(Control(name));
  }

Q_SIGNALS:
  void closed();

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildControls();
  QWidget* CreateControl(const model::ControlLayout& layout, QWidget* parent);
  void ConnectEvents();
  void Run(const Handlers::Handler& handler);
  void Centre();
  void FitOuterSize();

  catalogue::Configuration m_config;
  Handlers m_handlers;
  Shell m_shell;
  std::function<void(int)> m_applySkin;
  std::unique_ptr<QtBackend> m_backend;
  model::Controls m_controls;
  model::AppState m_state;
  platform::Workers m_workers;
  model::Window m_window;

  TabControl* m_tabs = nullptr;
  QWebEngineProfile* m_profile = nullptr;
  QWebEngineView* m_browser = nullptr;
  CookieBridge* m_cookieBridge = nullptr;
  QWidget* m_makerLink = nullptr;
  QTimer* m_animation = nullptr;
  QList<QPixmap> m_animationFrames;
  int m_animationFrame = 0;
  bool m_shutDown = false;
  bool m_frameFitted = false;
};

} // namespace app
