#pragma once

#include "app/program.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

// The GUI test programs' own main(): the application object must exist
// before the first test, and the embedded browser needs its settings first.
namespace testing_support {

inline void PrepareGuiTestProcess() {
  // Without a display the tests still run, on the offscreen platform.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking");
}

inline int RunGuiTests(int argc, char** argv) {
  PrepareGuiTestProcess();
  app::PrepareProcess();
  QApplication application(argc, argv);
  app::SetUpApplication();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Lets the GUI thread run until the condition holds; false when it still
// does not after the limit (a generous one: a hang, not a speed, fails).
// Events are handled as they arrive (a worker's call to the GUI thread is
// answered at once); the condition is looked at every few milliseconds.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  if (condition()) return true;
  QEventLoop loop;
  QTimer check;
  check.setInterval(5);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  QTimer::singleShot(limit, &loop, &QEventLoop::quit);
  check.start();
  loop.exec();
  return condition();
}

} // namespace testing_support

#define ORLIO_GUI_TEST_MAIN()                                                                      \
  int main(int argc, char** argv) { return ::testing_support::RunGuiTests(argc, argv); }
