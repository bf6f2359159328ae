#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/tab_control.h"
#include "catalogue/configuration.h"
#include "platform/codepage.h"
#include "tests/support/gbk_testing.h"
#include "tests/support/gui_testing.h"
#include "tests/support/loopback_server.h"

#include <QLabel>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

namespace {

struct PickerCall {
  QString title;
  QString startFolder;
  platform::Text stateAtOpen;
};

// A window whose folder picker and system opener are scripted, on a
// configuration whose version endpoint is a loopback server.
class ShellCommands : public testing::Test {
protected:
  void SetUp() override {
    m_server.On("/version", [this](const httplib::Request&, httplib::Response& response) {
      response.status = m_status;
      response.set_content(m_versionBody, "text/html");
    });
    m_server.Start();
    m_config = catalogue::DemoConfiguration(18163);
    m_config.UpdateCheckUrl = m_server.Url("/version");
    m_config.MakerPageUrl = "http://maker.localhost:18163/主页?a=1&b=2"_gbk;
    m_config.SupportChatUrl = "http://maker.localhost:18163/chat?uin=12345"_gbk;

    app::MainWindow::Options options;
    options.shell.programDirectory = m_directory.path();
    options.shell.pickFolder = [this](const QString& title, const QString& start) {
      m_pickerCalls.push_back({title, start, m_window->State().PickerStartFolder()});
      return m_pickerAnswer;
    };
    options.shell.openUrl = [this](const QUrl& target) { m_opened.push_back(target); };
    options.applySkin = [](int) {};
    m_window = std::make_unique<app::MainWindow>(m_config, app::Handlers{}, options);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
  }

  void TearDown() override {
    m_window.reset();
    m_server.Stop();
  }

  model::Controls& Ui() { return m_window->Ui(); }
  platform::Text ProgramDirectory() const { return platform::Utf8ToGbk(m_directory.path().toStdString()); }

  void Click(std::string_view control, int page) {
    Ui().选择夹1.SetCurrentPage(page);
    QWidget* widget = m_window->Control(control);
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
  }

  QTemporaryDir m_directory;
  testing_support::LoopbackServer m_server;
  std::string m_versionBody;
  int m_status = 200;
  catalogue::Configuration m_config;
  QString m_pickerAnswer;
  std::vector<PickerCall> m_pickerCalls;
  std::vector<QUrl> m_opened;
  std::unique_ptr<app::MainWindow> m_window;
};

TEST_F(ShellCommands, ChoosingALocationPutsThePickedFolderInTheBox) {
  struct Case {
    const char* what;
    QString picked;
    platform::Text expected;  // empty: the program directory
  };
  const Case cases[] = {
      {"a folder", QStringLiteral("/srv/相册"), "/srv/相册"_gbk},
      {"the root keeps its separator", QStringLiteral("/"), "/"},
      {"spaces round the path", QStringLiteral("  /data/albums  "), "/data/albums"},
      {"cancelled", QString(), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_pickerCalls.clear();
    Ui().编辑框_保存位置.SetText("/earlier/choice");
    m_pickerAnswer = c.picked;
    Click("按钮_选择位置", 1);
    ASSERT_EQ(m_pickerCalls.size(), 1u);
    EXPECT_EQ(m_pickerCalls[0].title, QStringLiteral("选择相册的存放位置"));
    // The picker opens on the file system's root, stored before it opens.
    EXPECT_EQ(m_pickerCalls[0].startFolder, QStringLiteral("/"));
    EXPECT_EQ(m_pickerCalls[0].stateAtOpen, "/");
    EXPECT_GBK_EQ(c.expected.empty() ? ProgramDirectory() : c.expected, Ui().编辑框_保存位置.GetText());
  }
}

TEST_F(ShellCommands, OpeningTheLocationOpensTheBoxTextOrTheProgramDirectory) {
  struct Case {
    const char* what;
    platform::Text box;
    QString opened;
  };
  const Case cases[] = {
      {"empty box", {}, m_directory.path()},
      {"a typed folder", "/tmp/我的 相册"_gbk, QStringLiteral("/tmp/我的 相册")},
      {"spaces are kept", " /x ", QStringLiteral(" /x ")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_opened.clear();
    Ui().编辑框_保存位置.SetText(c.box);
    Click("按钮3", 1);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl::fromLocalFile(c.opened));
    EXPECT_EQ(m_opened[0].toLocalFile(), c.opened);
  }
  EXPECT_TRUE(m_pickerCalls.empty());
}

TEST_F(ShellCommands, TheMakerPageOpensOnThePressOfTheLeftButton) {
  Ui().选择夹1.SetCurrentPage(2);
  QWidget* link = m_window->Control("标签7");
  QTest::mousePress(link, Qt::RightButton, {}, link->rect().center());
  QTest::mouseRelease(link, Qt::RightButton, {}, link->rect().center());
  EXPECT_TRUE(m_opened.empty());
  QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0], QUrl(app::ToQt(m_config.MakerPageUrl)));
  QTest::mouseRelease(link, Qt::LeftButton, {}, link->rect().center());
  EXPECT_EQ(m_opened.size(), 1u);

  m_opened.clear();
  Click("按钮2", 2);
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0], QUrl(app::ToQt(m_config.SupportChatUrl)));
}

TEST_F(ShellCommands, VersionCheckComparesTheLatestVersionWithTheShownOne) {
  const platform::Text same = "是最新版，有问题联系客服"_gbk;
  const platform::Text newer = "有新版，联系客服获取最新版"_gbk;
  const platform::Text earlier = "an earlier result";
  struct Case {
    const char* what;
    std::string body;
    int status;
    platform::Text latest;
    platform::Text result;  // with the earlier result in place before the check
  };
  const Case cases[] = {
      {"the same version", "<p>latest ##v20151130## ok</p>", 200, "20151130", same},
      {"a later date", "##v20160105##", 200, "20160105", newer},
      {"an earlier date", "##v20150101##", 200, "20150101", earlier},
      {"the first ## after ##v ends it", "##v2016##more##", 200, "2016", earlier},
      {"full-width digits", platform::Utf8ToGbk("##v２０１６０２０１##"), 200,
       platform::Utf8ToGbk("２０１６０２０１"), newer},
      {"equal number written differently", "##v020151130##", 200, "020151130", earlier},
      {"a trailing space", "##v20151130 ##", 200, "20151130 ", earlier},
      {"no markers", "<html>maintenance</html>", 200, "", earlier},
      {"an error reply", "Internal Server Error", 500, "", earlier},
      {"the text ends at a zero byte", std::string("##v2016", 7) + std::string(1, '\0') + "0105##", 200, "",
       earlier},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_versionBody = c.body;
    m_status = c.status;
    Ui().标签_zxbanben.SetText("stale");
    Ui().标签_banbenjieguo.SetText(earlier);
    const std::size_t before = m_server.ReceivedCount();
    Click("按钮_checknew", 2);
    EXPECT_GBK_EQ(c.latest, Ui().标签_zxbanben.GetText());
    EXPECT_GBK_EQ(c.result, Ui().标签_banbenjieguo.GetText());
    ASSERT_EQ(m_server.ReceivedCount(), before + 1);
    const testing_support::ReceivedRequest request = m_server.Last();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.HeaderCount("Cookie"), 0u);
  }
  EXPECT_GBK_EQ("20151130", Ui().标签_banben.GetText());
}

TEST_F(ShellCommands, NoVersionEndpointLeavesTheResultAsItWas) {
  m_server.Stop();
  Ui().标签_zxbanben.SetText("stale");
  Click("按钮_checknew", 2);
  EXPECT_EQ(Ui().标签_zxbanben.GetText(), "");
  EXPECT_EQ(Ui().标签_banbenjieguo.GetText(), "");
}

} // namespace

ORLIO_GUI_TEST_MAIN()
