#include "app/main_window.h"
#include "app/sign_in.h"
#include "catalogue/configuration.h"
#include "platform/codepage.h"
#include "platform/cookie_store.h"
#include "tests/support/gbk_testing.h"
#include "tests/support/gui_testing.h"
#include "tests/support/loopback_server.h"
#include "web/inet_request.h"

#include <QTemporaryDir>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>
#include <memory>
#include <string>

namespace {

const char* const Page = "<html><body><p>登录</p></body></html>";

bool StoreHas(const std::string& name, const std::string& value) {
  const auto cookies = platform::CookieStore::Instance().All();
  return std::any_of(cookies.begin(), cookies.end(),
                     [&](const platform::StoredCookie& c) { return c.name == name && c.value == value; });
}

bool StoreHasName(const std::string& name) {
  const auto cookies = platform::CookieStore::Instance().All();
  return std::any_of(cookies.begin(), cookies.end(), [&](const platform::StoredCookie& c) { return c.name == name; });
}

// Pairs of a Cookie header or of document.cookie, in any order.
bool HasPair(const std::string& cookies, const std::string& pair) {
  std::size_t start = 0;
  while (start <= cookies.size()) {
    std::size_t end = cookies.find(';', start);
    if (end == std::string::npos) end = cookies.size();
    std::string piece = cookies.substr(start, end - start);
    piece.erase(0, piece.find_first_not_of(' '));
    if (piece == pair) return true;
    start = end + 1;
  }
  return false;
}

// The sign-in browser on a window of its own, against a loopback site that
// sets cookies the way a sign-in does.
class SignIn : public testing::Test {
protected:
  void SetUp() override {
    platform::CookieStore::Instance().Clear();
    m_server.On("/signin", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Set-Cookie", "plain=1; Path=/");
      response.headers.emplace("Set-Cookie", "secret=2; Path=/; HttpOnly");
      response.set_content(Page, "text/html; charset=utf-8");
    });
    m_server.On("/page", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(Page, "text/html; charset=utf-8");
    });
    m_server.On("/check", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("checked", "text/plain");
    });
    m_server.On("/grant", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Set-Cookie", "granted=3; Path=/");
      response.headers.emplace("Set-Cookie", "plain=9; Path=/");
      response.headers.emplace("Set-Cookie", "access=4; Path=/; HttpOnly");
      response.set_content("granted", "text/plain");
    });
    m_server.On("/revoke", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Set-Cookie", "granted=; Path=/; Max-Age=0");
      response.set_content("revoked", "text/plain");
    });
    m_server.Start();

    app::MainWindow::Options options;
    options.shell.programDirectory = m_directory.path();
    options.applySkin = [](int) {};
    options.shell.openUrl = [](const QUrl&) {};
    m_window = std::make_unique<app::MainWindow>(catalogue::DemoConfiguration(18163), app::Handlers{}, options);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    m_view = m_window->ControlAs<QWebEngineView>("超文本浏览框1");
    QObject::connect(m_view, &QWebEngineView::loadFinished, m_window.get(), [this](bool) { ++m_loads; });
  }

  void TearDown() override {
    m_window.reset();
    m_server.Stop();
    platform::CookieStore::Instance().Clear();
  }

  model::Controls& Ui() { return m_window->Ui(); }
  std::string DocumentCookie() { return Ui().超文本浏览框1.DocumentCookie(); }

  // Types the address and presses "打开", then waits for the page.
  void Open(const std::string& address) {
    const int loads = m_loads;
    Ui().编辑框_url.SetText(address);
    QWidget* open = m_window->Control("按钮1");
    QTest::mouseClick(open, Qt::LeftButton, {}, open->rect().center());
    ASSERT_TRUE(testing_support::WaitUntil([&] { return m_loads > loads; }));
  }

  std::size_t RequestsFor(const std::string& path) {
    std::size_t count = 0;
    for (const auto& request : m_server.Received()) count += request.path == path ? 1 : 0;
    return count;
  }

  QTemporaryDir m_directory;
  testing_support::LoopbackServer m_server;
  std::unique_ptr<app::MainWindow> m_window;
  QWebEngineView* m_view = nullptr;
  int m_loads = 0;
};

TEST_F(SignIn, NoPageYetReadsAnEmptyDocumentCookie) {
  // Cookies and cache stay in memory: the program stores nothing.
  EXPECT_TRUE(m_window->Profile()->isOffTheRecord());
  EXPECT_EQ(DocumentCookie(), "");
  EXPECT_EQ(Ui().超文本浏览框1.Address(), "");
}

TEST_F(SignIn, TheAddressGoesToTheBrowserAsTyped) {
  const std::string typed = "  " + m_server.Url("/page") + " ";
  Ui().编辑框_url.SetText(typed);
  QWidget* open = m_window->Control("按钮1");
  QTest::mouseClick(open, Qt::LeftButton, {}, open->rect().center());
  EXPECT_EQ(Ui().超文本浏览框1.Address(), typed);
  EXPECT_EQ(Ui().选择夹1.CurrentPage(), 0);
  Ui().超文本浏览框1.SetAddress({});
  EXPECT_EQ(m_view->url(), QUrl(QStringLiteral("about:blank")));
}

TEST_F(SignIn, BrowserCookiesTravelWithLaterInternetRequests) {
  Open(m_server.Url("/signin"));
  ASSERT_TRUE(testing_support::WaitUntil([&] { return DocumentCookie() == "plain=1"; })) << DocumentCookie();
  ASSERT_TRUE(testing_support::WaitUntil([] { return StoreHas("plain", "1") && StoreHas("secret", "2"); }));

  const platform::ByteBuffer body = web::InetRequest(m_server.Url("/check"));
  EXPECT_EQ(platform::ToText(body), "checked");
  const std::string sent = m_server.Last().Header("Cookie");
  EXPECT_TRUE(HasPair(sent, "plain=1")) << sent;
  EXPECT_TRUE(HasPair(sent, "secret=2")) << sent;
}

TEST_F(SignIn, CookiesSetByInternetResponsesReachTheBrowser) {
  Open(m_server.Url("/signin"));
  ASSERT_TRUE(testing_support::WaitUntil([] { return StoreHas("plain", "1"); }));

  // Replacing plain=1 shows in the browser as its removal and a new one; the
  // store must hold the cookie all along, or a request in between goes without.
  bool storeLostPlain = false;
  const auto watch = [&](const QNetworkCookie& cookie) {
    if (cookie.name() == "plain" && !StoreHasName("plain")) storeLostPlain = true;
  };
  QWebEngineCookieStore* browserCookies = m_window->Profile()->cookieStore();
  QObject::connect(browserCookies, &QWebEngineCookieStore::cookieRemoved, m_window.get(), watch);
  QObject::connect(browserCookies, &QWebEngineCookieStore::cookieAdded, m_window.get(), watch);

  web::InetRequest(m_server.Url("/grant"));
  ASSERT_TRUE(testing_support::WaitUntil([&] {
    const std::string cookie = DocumentCookie();
    return HasPair(cookie, "granted=3") && HasPair(cookie, "plain=9");
  })) << DocumentCookie();
  EXPECT_FALSE(HasPair(DocumentCookie(), "access=4"));
  EXPECT_FALSE(storeLostPlain);

  // The browser's report of the change it was given is not taken back into
  // the store as a change of its own.
  Open(m_server.Url("/page"));
  EXPECT_TRUE(StoreHas("plain", "9"));
  EXPECT_TRUE(StoreHas("granted", "3"));
  EXPECT_TRUE(StoreHas("secret", "2"));
  const std::string sent = m_server.Last().Header("Cookie");
  for (const char* pair : {"plain=9", "secret=2", "granted=3", "access=4"}) EXPECT_TRUE(HasPair(sent, pair)) << sent;

  web::InetRequest(m_server.Url("/revoke"));
  ASSERT_TRUE(testing_support::WaitUntil([&] { return !HasPair(DocumentCookie(), "granted=3"); })) << DocumentCookie();
  EXPECT_FALSE(StoreHasName("granted"));
}

TEST_F(SignIn, ACookieThePageDeletesLeavesTheStore) {
  Open(m_server.Url("/signin"));
  ASSERT_TRUE(testing_support::WaitUntil([] { return StoreHas("plain", "1"); }));
  m_view->page()->runJavaScript(QStringLiteral("document.cookie = 'plain=; expires=Thu, 01 Jan 1970 00:00:00 GMT; path=/'"));
  ASSERT_TRUE(testing_support::WaitUntil([] { return !StoreHasName("plain"); }));
  EXPECT_TRUE(StoreHas("secret", "2"));
  web::InetRequest(m_server.Url("/check"));
  EXPECT_FALSE(HasPair(m_server.Last().Header("Cookie"), "plain=1"));
}

TEST_F(SignIn, SwitchingTabsNeitherStopsNorReloadsThePage) {
  Open(m_server.Url("/page"));
  const std::size_t requests = RequestsFor("/page");
  const int loads = m_loads;
  Ui().选择夹1.SetCurrentPage(1);
  QTest::qWait(200);
  Ui().选择夹1.SetCurrentPage(0);
  QTest::qWait(200);
  EXPECT_EQ(RequestsFor("/page"), requests);
  EXPECT_EQ(m_loads, loads);
  EXPECT_EQ(m_view->url(), QUrl(QString::fromStdString(m_server.Url("/page"))));
}

TEST(CookieConversion, HostOnlyAndDomainCookiesKeepTheirScope) {
  QNetworkCookie hostOnly("a", "1");
  hostOnly.setDomain(QStringLiteral("photo.localhost"));
  hostOnly.setPath(QStringLiteral("/album"));
  hostOnly.setHttpOnly(true);
  const platform::StoredCookie stored = app::ToStoredCookie(hostOnly);
  EXPECT_EQ(stored.domain, "photo.localhost");
  EXPECT_FALSE(stored.includeSubdomains);
  EXPECT_EQ(stored.path, "/album");
  EXPECT_TRUE(stored.httpOnly);
  EXPECT_EQ(stored.expires, 0);
  // Set for its host, without a domain of its own.
  EXPECT_TRUE(app::ToNetworkCookie(stored).domain().isEmpty());
  EXPECT_EQ(app::CookieOrigin(stored), QUrl(QStringLiteral("http://photo.localhost/album")));

  QNetworkCookie domain("b", "2");
  domain.setDomain(QStringLiteral(".localhost"));
  domain.setSecure(true);
  domain.setExpirationDate(QDateTime::fromSecsSinceEpoch(2000000000));
  const platform::StoredCookie wide = app::ToStoredCookie(domain);
  EXPECT_TRUE(wide.includeSubdomains);
  EXPECT_TRUE(wide.secure);
  EXPECT_EQ(wide.expires, 2000000000);
  const QNetworkCookie back = app::ToNetworkCookie(wide);
  EXPECT_EQ(back.domain(), QStringLiteral(".localhost"));
  EXPECT_EQ(back.expirationDate().toSecsSinceEpoch(), 2000000000);
  EXPECT_EQ(app::CookieOrigin(wide).scheme(), QStringLiteral("https"));
}

} // namespace

ORLIO_GUI_TEST_MAIN()
