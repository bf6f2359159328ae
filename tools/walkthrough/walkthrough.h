#pragma once

#include <QImage>
#include <QString>
#include <QVariant>

#include <chrono>
#include <functional>
#include <vector>

class QMessageBox;
class QWebEngineView;
class QWidget;

namespace app {
class AlbumListView;
class MainWindow;
} // namespace app

// Drives a running main window through the program's main job the way a
// user does: real mouse clicks and key presses on the window's controls, the
// service's forms filled in inside the embedded browser, message boxes
// answered. Every wait spins the event loop until its condition holds; the
// limit only catches a hang. After each step a screenshot of the window is
// saved under the step's name.
namespace walkthrough {

using namespace std::chrono_literals;

struct Settings {
  // Screenshots (main-job-NN-<step>.png) and the operation log go here;
  // empty: nothing is saved.
  QString outputFolder;
  // Typed into the save location box.
  QString saveFolder;
  QString user = QStringLiteral("demo");
  QString password = QStringLiteral("demo123");
  QString account = QStringLiteral("demo");
  QString albumPassword = QStringLiteral("1234");
  int expectedAlbums = 5;
  // Photos on disk before the download is paused.
  int photosBeforePause = 3;
  // How long a paused download is watched for progress it must not make.
  std::chrono::milliseconds pauseHold = 1500ms;
  // Only catches a hang; no step comes near it.
  std::chrono::milliseconds limit = 120s;
  // Told of every finished step, one line each.
  std::function<void(const QString&)> report;
};

struct StepRecord {
  int number = 0;
  QString name;
  bool ok = false;
  QString detail;     // why it failed, or a note on how it went
  QString screenshot; // the file saved, empty when none
};

class MainJob {
public:
  MainJob(app::MainWindow& window, Settings settings);
  ~MainJob();
  MainJob(const MainJob&) = delete;
  MainJob& operator=(const MainJob&) = delete;

  // The steps, in the order a user takes them. Each returns false when what
  // it did is not visibly done; Failure() says why.
  bool Start();              // the window is shown on the sign-in tab, the sign-in page loaded
  bool SignIn();             // the service's sign-in form, user and password
  bool ListAlbums();         // album tab: home-page address, covers on, fetch
  bool OpenLockedAlbum();    // double-click the row that reads "双击获取权限"
  // The album page's password form; the signed-in owner is let in without
  // one, and then nothing is typed.
  bool EnterAlbumPassword();
  bool ConfirmAccess();      // "已经取得进入相册权限": the row reads "已取得"
  bool TickResolvedRow();    // its check box, still unticked after the resolution
  bool ChooseSaveLocation(); // the save folder typed into the save location box
  bool StartDownload();      // "3：下载选中", until a few photos are on disk
  bool Pause();              // "暂停下载": nothing moves while paused
  bool Continue();           // "继续下载": the download goes on
  bool WaitForCompletion();  // the message "全部下载完毕"
  bool AcknowledgeCompletion(); // its OK pressed
  bool Close();              // the window closed; the program's loop is told to end

  // Every step above, stopping at the first that fails.
  bool RunAll();

  const std::vector<StepRecord>& Steps() const { return m_steps; }
  QString Failure() const { return m_failure; }
  // The album list row that had to be opened by hand, -1 before it is found.
  int ResolvedRow() const { return m_resolvedRow; }
  QString ResolvedAlbumId() const { return m_resolvedAlbumId; }
  // Whether the album page asked for the password and got it.
  bool PasswordEntered() const { return m_passwordEntered; }
  // The operation log's text as it stands.
  QString OperationLog() const;
  // Photo files under the save folder.
  int FilesSaved() const;

  // Building blocks, public for tests that take a step apart.
  bool Click(const char* control);
  bool ClickCheckBox(const char* control);
  bool TypeInto(const char* control, const QString& text);
  bool SwitchToTab(int index);
  bool WaitFor(const std::function<bool()>& condition, const QString& what);
  QVariant RunScript(const QString& script);
  QMessageBox* VisibleMessageBox(const QString& text) const;
  // The window as it looks, message boxes over it included.
  QImage Screenshot() const;

private:
  using Body = std::function<bool()>;
  bool Step(int number, const char* name, const Body& body, bool screenshot = true);
  bool Fail(const QString& why);
  QWidget* Find(const char* control);
  bool WaitForPage(const QString& condition, const QString& what);
  bool AlbumPageAsksForPassword();
  QString CellText(int row, int column) const;
  void Linger(std::chrono::milliseconds time);

  app::MainWindow& m_window;
  Settings m_settings;
  QWebEngineView* m_browser = nullptr;
  app::AlbumListView* m_list = nullptr;
  int m_loads = 0;
  int m_resolvedRow = -1;
  QString m_resolvedAlbumId;
  bool m_passwordEntered = false;
  int m_filesWhenPaused = 0;
  bool m_closed = false;
  QString m_failure;
  QString m_note;
  bool m_nothingToShow = false;
  std::vector<StepRecord> m_steps;
};

} // namespace walkthrough
