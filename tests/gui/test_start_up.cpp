#include "app/main_window.h"
#include "app/skin.h"
#include "app/start_up.h"
#include "app/tab_control.h"
#include "catalogue/configuration.h"
#include "platform/codepage.h"
#include "platform/workers.h"
#include "tests/support/gbk_testing.h"
#include "tests/support/gui_testing.h"
#include "tests/support/loopback_server.h"
#include "web/paced_wait.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

QString LibraryPath(const QTemporaryDir& directory) {
  return QDir(directory.path()).filePath(QString::fromLatin1(app::SkinLibraryFileName));
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QString SkinSheet(int n) { return QString::fromUtf8(app::SkinData(n)); }

class StartUp : public testing::Test {
protected:
  void SetUp() override { qApp->setStyleSheet(QString()); }
  void TearDown() override { qApp->setStyleSheet(QString()); }
};

TEST_F(StartUp, SkinFirstThenSaveLocationThenTheHiddenWaitThenTheStartPage) {
  QTemporaryDir directory;
  testing_support::LoopbackServer site;
  site.On("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("<html><body>相册</body></html>", "text/html; charset=utf-8");
  });
  site.Start();
  catalogue::Configuration config = catalogue::DemoConfiguration(18163);
  config.AlbumSiteRoot = site.Url("/");
  std::vector<std::string> steps;
  std::unique_ptr<app::MainWindow> window;

  app::MainWindow::Options options;
  options.shell.programDirectory = directory.path();
  options.applySkin = [&](int n) {
    steps.push_back("skin " + std::to_string(n) + ", save location '" +
                    window->Ui().编辑框_保存位置.GetText() + "'");
    app::ApplySkin(n, directory.path());
  };
  window = std::make_unique<app::MainWindow>(config, app::Handlers{}, options);
  const platform::Text programDirectory = platform::Utf8ToGbk(directory.path().toStdString());

  // The first events the GUI thread handles are those inside the wait.
  QTimer::singleShot(0, window.get(), [&] {
    steps.push_back(std::string("waiting: ") + (window->isVisible() ? "shown" : "hidden") +
                    (window->Ui().编辑框_保存位置.GetText() == programDirectory ? ", save location set" : "") +
                    (qApp->styleSheet() == SkinSheet(13) ? ", skinned" : "") + ", browser at '" +
                    window->Ui().超文本浏览框1.Address() + "', " + std::to_string(site.ReceivedCount()) +
                    " requests");
  });
  window->Start();
  steps.push_back(std::string("started: ") + (window->isVisible() ? "shown" : "hidden") + " on page " +
                  std::to_string(window->Ui().选择夹1.CurrentPage()));
  ASSERT_TRUE(testing_support::WaitUntil([&] { return window->Ui().超文本浏览框1.Address() == config.AlbumSiteRoot; }));
  // The browser really goes there.
  ASSERT_TRUE(testing_support::WaitUntil([&] { return site.ReceivedCount() > 0; }));
  EXPECT_EQ(site.Last().path, "/");

  const std::vector<std::string> expected{
      "skin 13, save location ''",
      "waiting: hidden, save location set, skinned, browser at '', 0 requests",
      "started: shown on page 0",
  };
  EXPECT_EQ(steps, expected);
  EXPECT_GBK_EQ(programDirectory, window->Ui().编辑框_保存位置.GetText());
  window->close();
}

TEST_F(StartUp, TheSkinLibraryIsWrittenOnceAndThenUsedAsItIs) {
  QTemporaryDir directory;
  const QString path = LibraryPath(directory);
  app::ApplySkin(13, directory.path());
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_EQ(ReadFile(path), app::SkinLibraryFile());
  // A plain file: Linux knows no hidden attribute.
  EXPECT_EQ(std::filesystem::status(path.toStdString()).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read | std::filesystem::perms::others_read);
  EXPECT_EQ(qApp->styleSheet(), SkinSheet(13));

  // The second start loads the file that is there.
  const auto written = std::filesystem::last_write_time(path.toStdString());
  qApp->setStyleSheet(QString());
  app::ApplySkin(13, directory.path());
  EXPECT_EQ(std::filesystem::last_write_time(path.toStdString()), written);
  EXPECT_EQ(qApp->styleSheet(), SkinSheet(13));
}

TEST_F(StartUp, AFileOfTheLibrarysNameIsNeverReplaced) {
  struct Case {
    const char* what;
    QByteArray content;
  };
  const Case cases[] = {
      {"text", QByteArrayLiteral("not a library at all")},
      {"empty", QByteArray()},
      {"a library of another program", ReadFile(QStringLiteral("/lib/x86_64-linux-gnu/libz.so.1"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir directory;
    WriteFile(LibraryPath(directory), c.content);
    app::ApplySkin(13, directory.path());
    EXPECT_EQ(ReadFile(LibraryPath(directory)), c.content);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
  }
  QTemporaryDir directory;
  ASSERT_TRUE(QDir(directory.path()).mkdir(QString::fromLatin1(app::SkinLibraryFileName)));
  app::ApplySkin(13, directory.path());
  EXPECT_TRUE(QFileInfo(LibraryPath(directory)).isDir());
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(StartUp, AProgramDirectoryThatCannotBeWrittenShowsNothing) {
  QTemporaryDir parent;
  const QString missing = QDir(parent.path()).filePath(QStringLiteral("gone"));
  app::ApplySkin(13, missing);
  EXPECT_FALSE(QFile::exists(QDir(missing).filePath(QString::fromLatin1(app::SkinLibraryFileName))));
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(StartUp, ThereAreThirtyThreeDistinctSkinsThatAllParse) {
  EXPECT_TRUE(app::SkinData(0).isNull());
  EXPECT_TRUE(app::SkinData(34).isNull());
  EXPECT_TRUE(app::SkinData(-1).isNull());
  std::set<QByteArray> seen;
  static QStringList complaints;
  complaints.clear();
  const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
    complaints.append(m);
  });
  QWidget probe;
  auto* button = new QPushButton(QStringLiteral("按钮"), &probe);
  for (int n = 1; n <= app::SkinCount; ++n) {
    SCOPED_TRACE(n);
    const QByteArray skin = app::SkinData(n);
    EXPECT_FALSE(skin.isEmpty());
    seen.insert(skin);
    qApp->setStyleSheet(QString::fromUtf8(skin));
    button->ensurePolished();
    probe.grab();
  }
  qInstallMessageHandler(previous);
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(app::SkinCount));
  EXPECT_TRUE(complaints.filter(QStringLiteral("parse")).isEmpty()) << complaints.join(u'\n').toStdString();
}

TEST_F(StartUp, ClosingTheWindowStopsRunningAndPausedWorkers) {
  QTemporaryDir directory;
  app::MainWindow::Options options;
  options.shell.programDirectory = directory.path();
  options.applySkin = [](int) {};
  auto window = std::make_unique<app::MainWindow>(catalogue::DemoConfiguration(18163), app::Handlers{}, options);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

  std::atomic<int> ended{0};
  std::atomic<int> writes{0};
  model::Window& model = window->Model();
  window->WorkerThreads().Start([&] {
    while (!platform::StopRequested()) {
      model.ui.标签_动态.SetText(std::to_string(++writes));
      web::PacedWait(100);
    }
    ++ended;
  });
  auto gate = std::make_shared<platform::PauseGate>();
  gate->Pause();
  window->WorkerThreads().Start(
      [&] {
        web::PacedWait(2000000);
        model.ui.编辑框_操作记录.AppendText("after the pause\r\n");
        ++ended;
      },
      gate);
  ASSERT_TRUE(testing_support::WaitUntil([&] { return writes > 2; }));

  window->close();
  EXPECT_EQ(ended, 2);
  EXPECT_FALSE(window->isVisible());
}

// Counts the paint events of one widget while a flag is up.
class PaintCounter : public QObject {
public:
  PaintCounter(QWidget* widget, const bool& counting) : m_counting(counting) { widget->installEventFilter(this); }
  int paints = 0;

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && m_counting) ++paints;
    return false;
  }

private:
  const bool& m_counting;
};

TEST_F(StartUp, AWaitOnTheGuiThreadKeepsTheWindowPaintingAndItsButtonsWorking) {
  QTemporaryDir directory;
  bool waiting = false;
  std::vector<bool> clicksDuringWait;
  app::Handlers handlers;
  handlers.StartDownload = [&](model::Window&) { clicksDuringWait.push_back(waiting); };
  app::MainWindow::Options options;
  options.shell.programDirectory = directory.path();
  options.applySkin = [](int) {};
  app::MainWindow window(catalogue::DemoConfiguration(18163), handlers, options);
  window.Ui().选择夹1.SetCurrentPage(1);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  QWidget* status = window.Control("标签_动态");
  PaintCounter counter(status, waiting);
  QTimer::singleShot(50, &window, [&] {
    window.Ui().标签_动态.SetText("正在等待"_gbk);
    QWidget* button = window.Control("按钮_下载选中");
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
  });
  waiting = true;
  web::PacedWait(600);
  waiting = false;

  EXPECT_EQ(clicksDuringWait, std::vector<bool>{true});
  EXPECT_GT(counter.paints, 0);
}

} // namespace

ORLIO_GUI_TEST_MAIN()
