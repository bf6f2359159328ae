#include "tools/album-service/album_service.h"
#include "tools/album-service/jpeg_maker.h"
#include "tools/album-service/photo_export.h"

#include "platform/codepage.h"
#include "tests/support/gbk_testing.h"

#include <httplib.h>

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <regex>
#include <string>
#include <thread>

namespace {

using album_service::AlbumService;
using album_service::DemoData;
using album_service::Fault;
using album_service::RecordedRequest;

const std::string AlbumDataCall =
    "/photo/wkorvental/dwr/call/plaincall/AlbumBean.getAlbumData.dwr?callCount=1"
    "&scriptSessionId=%24%7BscriptSessionId%7D187&c0-scriptName=AlbumBean&c0-methodName=getAlbumData&c0-id=0"
    "&c0-param0=number%3A";
const std::string AlbumDataTail =
    "&c0-param1=string%3A&c0-param2=string%3Afromblog&c0-param3=string%3A24881696&c0-param4=boolean%3Afalse"
    "&batchId=530377";
const std::string AlbumDataLeft = "dwr.engine._remoteHandleCallback('530377','0',\"";

std::string Between(const std::string& text, const std::string& left, const std::string& right) {
  const std::size_t start = text.find(left);
  if (start == std::string::npos) return {};
  const std::size_t end = text.find(right, start + left.size());
  if (end == std::string::npos) return {};
  return text.substr(start + left.size(), end - start - left.size());
}

std::vector<std::string> AllBetween(const std::string& text, const std::string& left, const std::string& right) {
  std::vector<std::string> values;
  std::size_t at = 0;
  while ((at = text.find(left, at)) != std::string::npos) {
    const std::size_t end = text.find(right, at + left.size());
    if (end == std::string::npos) break;
    values.push_back(text.substr(at + left.size(), end - at - left.size()));
    at = end + right.size();
  }
  return values;
}

QImage Decode(const std::string& bytes) {
  QImage image;
  image.loadFromData(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return image;
}

std::vector<std::string> SetCookies(const httplib::Response& response) {
  std::vector<std::string> cookies;
  for (auto [it, end] = response.headers.equal_range("Set-Cookie"); it != end; ++it) cookies.push_back(it->second);
  return cookies;
}

class AlbumServiceTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_port = m_service.Start();
    ASSERT_GT(m_port, 0);
  }

  std::string HostHeader(std::string_view host) const { return std::string(host) + ":" + std::to_string(m_port); }

  // The C library cannot resolve *.localhost, so the client dials the
  // loopback address and names the host in the header.
  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", m_port);
    client.set_url_encode(false);
    client.set_read_timeout(10, 0);
    return client;
  }

  httplib::Result Get(std::string_view host, const std::string& target, const std::string& cookies = {}) const {
    httplib::Headers headers{{"Host", HostHeader(host)}};
    if (!cookies.empty()) headers.emplace("Cookie", cookies);
    return Client().Get(target, headers);
  }

  httplib::Result PostForm(std::string_view host, const std::string& target, const std::string& form,
                           const std::string& cookies = {}) const {
    httplib::Headers headers{{"Host", HostHeader(host)}};
    if (!cookies.empty()) headers.emplace("Cookie", cookies);
    return Client().Post(target, headers, form, "application/x-www-form-urlencoded");
  }

  std::string AlbumData(std::int64_t id, const std::string& cookies) const {
    auto result = Get(album_service::SiteHost, AlbumDataCall + std::to_string(id) + AlbumDataTail, cookies);
    return result ? result->body : std::string();
  }

  // The access cookie the album page's password form hands out, as "name=value".
  std::string EnterPassword(const std::string& account, std::int64_t id, const std::string& password) const {
    auto result = PostForm(album_service::SiteHost, "/" + account + "/access",
                           "aid=" + std::to_string(id) + "&password=" + password);
    if (!result) return {};
    for (const std::string& cookie : SetCookies(*result))
      if (cookie.starts_with(album_service::AccessCookiePrefix)) return cookie.substr(0, cookie.find(';'));
    return {};
  }

  AlbumService m_service{DemoData()};
  int m_port = 0;
};

TEST_F(AlbumServiceTest, SignInSetsASessionCookieAndAPageReadableOne) {
  auto result = PostForm(album_service::SiteHost, "/login", "user=demo&password=demo123");
  ASSERT_TRUE(result);
  EXPECT_EQ(302, result->status);
  EXPECT_EQ(m_service.SiteRoot(), result->get_header_value("Location"));

  const std::vector<std::string> cookies = SetCookies(*result);
  ASSERT_EQ(2u, cookies.size());
  std::string session, info;
  for (const std::string& cookie : cookies) {
    EXPECT_NE(std::string::npos, cookie.find("Path=/")) << cookie;
    EXPECT_EQ(std::string::npos, cookie.find("Domain")) << "host-only: " << cookie;
    if (cookie.starts_with("NTES_SESS=")) {
      EXPECT_NE(std::string::npos, cookie.find("HttpOnly")) << cookie;
      session = cookie.substr(0, cookie.find(';'));
    } else if (cookie.starts_with("P_INFO=demo|")) {
      EXPECT_EQ(std::string::npos, cookie.find("HttpOnly")) << cookie;
      info = cookie.substr(0, cookie.find(';'));
    }
  }
  ASSERT_FALSE(session.empty());
  ASSERT_FALSE(info.empty());

  // Either cookie alone is enough for the site to know the visitor.
  for (const std::string& cookie : {session, info}) {
    SCOPED_TRACE(cookie);
    auto page = Get(album_service::SiteHost, "/", cookie);
    ASSERT_TRUE(page);
    EXPECT_NE(std::string::npos, page->body.find("已登录：demo"));
    EXPECT_NE(std::string::npos, page->body.find(m_service.SiteRoot() + "demo/"));
  }
}

TEST_F(AlbumServiceTest, WrongPasswordSetsNoCookieAndSaysSo) {
  auto result = PostForm(album_service::SiteHost, "/login", "user=demo&password=wrong");
  ASSERT_TRUE(result);
  EXPECT_EQ(200, result->status);
  EXPECT_TRUE(SetCookies(*result).empty());
  EXPECT_NE(std::string::npos, result->body.find("用户名或密码错误"));
  EXPECT_NE(std::string::npos, result->body.find("id=\"username\""));
  EXPECT_NE(std::string::npos, result->body.find("id=\"password\""));
  EXPECT_NE(std::string::npos, result->body.find("id=\"login\""));
}

TEST_F(AlbumServiceTest, HomePageNamesTheAlbumListOnlyToThoseItLetsIn) {
  const std::string demo = m_service.SignIn("demo").CookieHeader();
  const std::string friendInfo = m_service.SignIn("friend").info;
  struct Case {
    const char* name;
    std::string account;
    std::string cookies;
    bool listed;
  } const cases[] = {
      {"demo signed in", "demo", demo, true},
      {"another user's page-readable cookie", "demo", friendInfo, true},
      {"demo without cookies", "demo", "", false},
      {"demo with a forged cookie", "demo", "P_INFO=demo|0123; NTES_SESS=0123", false},
      {"friend's page is public", "friend", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto page = Get(album_service::SiteHost, "/" + c.account + "/", c.cookies);
    ASSERT_TRUE(page);
    EXPECT_EQ(200, page->status);
    const std::string address = Between(page->body, "albumUrl : '", "'");
    if (c.listed) {
      EXPECT_EQ(m_service.AlbumListScriptUrl(c.account), address);
      EXPECT_NE(std::string::npos, page->body.find("id=\"album-password\""));
      EXPECT_NE(std::string::npos, page->body.find("id=\"album-enter\""));
    } else {
      EXPECT_EQ("", address);
      EXPECT_NE(std::string::npos, page->body.find("请先登录"_gbk));
    }
  }
}

TEST_F(AlbumServiceTest, AlbumListScriptMatchesTheRecordPattern) {
  auto page = Get(album_service::SiteHost, "/demo/", m_service.SignIn("demo").CookieHeader());
  ASSERT_TRUE(page);
  const std::string address = Between(page->body, "albumUrl : '", "'");
  const std::string prefix = "http://" + HostHeader(album_service::SiteHost);
  ASSERT_TRUE(address.starts_with(prefix)) << address;

  auto script = Get(album_service::SiteHost, address.substr(prefix.size()));
  ASSERT_TRUE(script);
  EXPECT_EQ(200, script->status);
  EXPECT_EQ("application/x-javascript; charset=gbk", script->get_header_value("Content-Type"));

  const std::regex record(
      R"(id:(.*?),name:'(.*?)',s:(.*?),count:(.*?),t:(.*?)',lurl:'(.*?)\/(.*?)',dmt:(.*?)purl:'(.*?)')",
      std::regex::ECMAScript | std::regex::icase);
  std::vector<std::smatch> matches;
  for (auto it = std::sregex_iterator(script->body.begin(), script->body.end(), record); it != std::sregex_iterator();
       ++it)
    matches.push_back(*it);

  const auto& albums = m_service.Data().FindAccount("demo")->albums;
  ASSERT_EQ(albums.size(), matches.size());
  for (std::size_t i = 0; i < albums.size(); ++i) {
    const album_service::Album& album = albums[i];
    SCOPED_TRACE(album.id);
    EXPECT_EQ(std::to_string(album.id), matches[i][1].str());
    EXPECT_GBK_EQ(platform::Utf8ToGbk(album.name), matches[i][2].str());
    EXPECT_EQ(album.count, matches[i][4].str());
    EXPECT_EQ(album.coverPath, matches[i][7].str());
    EXPECT_EQ(album.photoListOpen ? m_service.PhotoListAddress("demo", album.id) : "", matches[i][9].str());
  }
}

TEST_F(AlbumServiceTest, PhotoListNeedsThePageReadableSignInCookie) {
  const album_service::SessionCookies demo = m_service.SignIn("demo");
  struct Case {
    const char* name;
    std::string cookies;
    int status;
  } const cases[] = {
      {"no cookie", "", 403},
      {"session cookie only", demo.session, 403},
      {"forged sign-in cookie", "P_INFO=demo|00000000000000000000000000000000", 403},
      {"sign-in cookie", demo.info, 200},
      {"another user's sign-in cookie", m_service.SignIn("friend").info, 200},
  };
  const album_service::Album& album = *m_service.Data().FindAlbum(1003); // listed without address
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto list = Get(album_service::SiteHost, "/list/demo/1003.js", c.cookies);
    ASSERT_TRUE(list);
    EXPECT_EQ(c.status, list->status);
    if (c.status != 200) {
      EXPECT_EQ(std::string::npos, list->body.find("ourl:'"));
      continue;
    }
    // UTF-8, one ourl value per photo: a key character, then the photo's path.
    EXPECT_NE(std::string::npos, list->body.find(album.photos[0].description));
    const std::vector<std::string> addresses = AllBetween(list->body, "ourl:'", "',");
    ASSERT_EQ(album.photos.size(), addresses.size());
    for (std::size_t i = 0; i < addresses.size(); ++i) EXPECT_EQ(album.photos[i].path, addresses[i].substr(1));
  }
}

TEST_F(AlbumServiceTest, AlbumDataAnswersTheOwnerAndHoldersOfTheAccessCookie) {
  const album_service::SessionCookies demo = m_service.SignIn("demo");
  const album_service::SessionCookies other = m_service.SignIn("friend");
  struct Case {
    const char* name;
    std::int64_t album;
    std::string cookies;
    bool answered;
  } const cases[] = {
      {"owner's session", 1003, demo.CookieHeader(), true},
      {"owner's page-readable cookie alone", 1003, demo.info, false},
      {"no cookie", 1003, "", false},
      {"another user's session", 1003, other.CookieHeader(), false},
      {"access cookie from the right password", 1003, EnterPassword("demo", 1003, "1234"), true},
      {"wrong password grants nothing", 1003, EnterPassword("demo", 1003, "4321"), false},
      {"access cookie of another album", 2002, EnterPassword("demo", 1003, "1234"), false},
      {"friend's album, demo's session", 2002, demo.CookieHeader(), false},
      {"friend's album with its password", 2002, demo.CookieHeader() + "; " + EnterPassword("friend", 2002, "5678"),
       true},
      {"unknown album", 9999, demo.CookieHeader(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string reply = AlbumData(c.album, c.cookies);
    ASSERT_TRUE(reply.starts_with("//#DWR-INSERT\r\n//#DWR-REPLY\r\n")) << reply;
    if (c.answered) {
      const std::string account = c.album == 2002 ? "friend" : "demo";
      EXPECT_EQ(m_service.PhotoListAddress(account, c.album), Between(reply, AlbumDataLeft, "\");"));
    } else {
      EXPECT_EQ(std::string::npos, reply.find(AlbumDataLeft)) << reply;
    }
  }
}

TEST_F(AlbumServiceTest, PhotosComeFromTheRawPathOfEachHost) {
  const album_service::ServiceData& data = m_service.Data();
  const std::string& onBoth = data.FindPhoto("/photo/demo/1001/1.jpg")->bytes;
  const std::string& onFallback = data.FindPhoto("/photo/demo/1002/3.jpg")->bytes;
  struct Case {
    const char* name;
    std::string_view host;
    std::string target;
    const std::string* bytes; // null: 404
  } const cases[] = {
      {"primary, doubled slash", album_service::PhotoHostPrimary, "//photo/demo/1001/1.jpg", &onBoth},
      {"primary, single slash", album_service::PhotoHostPrimary, "/photo/demo/1001/1.jpg", nullptr},
      {"fallback, single slash", album_service::PhotoHostFallback, "/photo/demo/1001/1.jpg", &onBoth},
      {"fallback, doubled slash", album_service::PhotoHostFallback, "//photo/demo/1001/1.jpg", nullptr},
      {"missing on the primary", album_service::PhotoHostPrimary, "//photo/demo/1002/3.jpg", nullptr},
      {"so the fallback has it", album_service::PhotoHostFallback, "/photo/demo/1002/3.jpg", &onFallback},
      {"missing on both: primary", album_service::PhotoHostPrimary, "//photo/demo/1004/9.jpg", nullptr},
      {"missing on both: fallback", album_service::PhotoHostFallback, "/photo/demo/1004/9.jpg", nullptr},
      {"cover on the primary", album_service::CoverHostPrimary, "/cover/1001.jpg", &data.FindAlbum(1001)->coverBytes},
      {"cover missing on the primary", album_service::CoverHostPrimary, "/cover/1002.jpg", nullptr},
      {"cover on the fallback", album_service::CoverHostFallback, "/cover/1002.jpg", &data.FindAlbum(1002)->coverBytes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto result = Get(c.host, c.target);
    ASSERT_TRUE(result);
    if (c.bytes) {
      EXPECT_EQ(200, result->status);
      EXPECT_EQ("image/jpeg", result->get_header_value("Content-Type"));
      EXPECT_TRUE(result->body == *c.bytes);
    } else {
      EXPECT_EQ(404, result->status);
      EXPECT_NE(std::string::npos, result->body.find("<html>"));
    }
  }
  // What arrived is what was sent: nothing on the way folded the slashes.
  const std::vector<RecordedRequest> requests = m_service.Requests();
  ASSERT_EQ(std::size(cases), requests.size());
  EXPECT_EQ("//photo/demo/1001/1.jpg", requests[0].path);
  EXPECT_EQ("img1.localhost", requests[0].host);
}

// The service routes on the request target because the library's own path is
// decoded; this pins down what the library does with the two forms.
TEST(HttplibPaths, DoubledSlashesSurviveButEscapesAreDecoded) {
  httplib::Server server;
  std::string path, target;
  server.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
    path = req.path;
    target = req.target;
    res.set_content("ok", "text/plain");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread listener([&] { server.listen_after_bind(); });
  httplib::Client client("127.0.0.1", port);
  client.set_url_encode(false);
  auto result = client.Get("//photo/a%2Fb.jpg?x=1");
  server.stop();
  listener.join();
  ASSERT_TRUE(result);
  EXPECT_EQ("//photo/a%2Fb.jpg?x=1", target);
  EXPECT_EQ("//photo/a/b.jpg", path);
}

TEST_F(AlbumServiceTest, OtherHostsAnswerAsTheirSitesWould) {
  auto redirect = Get("demo.photo.localhost", "/");
  ASSERT_TRUE(redirect);
  EXPECT_EQ(302, redirect->status);
  EXPECT_EQ(m_service.SiteRoot() + "demo/", redirect->get_header_value("Location"));

  auto version = Get(album_service::MakerHost, "/version");
  ASSERT_TRUE(version);
  EXPECT_EQ("20151130", Between(version->body, "##v", "##"));
  for (const char* page : {"/", "/chat"}) {
    auto result = Get(album_service::MakerHost, page);
    ASSERT_TRUE(result);
    EXPECT_EQ(200, result->status) << page;
  }
  auto unknown = Get("elsewhere.localhost", "/");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(404, unknown->status);
}

TEST(AlbumServiceVersion, IsTakenFromTheData) {
  album_service::ServiceData data;
  data.makerVersion = "20160101";
  AlbumService service(data);
  const int port = service.Start();
  ASSERT_GT(port, 0);
  auto result = httplib::Client("127.0.0.1", port).Get("/version", {{"Host", "maker.localhost"}});
  ASSERT_TRUE(result);
  EXPECT_EQ("20160101", Between(result->body, "##v", "##"));
}

TEST_F(AlbumServiceTest, StagedStatusLastsForTheGivenNumberOfRequests) {
  m_service.AddFault(Fault::At("img1.localhost", "//photo/demo/1001/1.jpg").WithStatus(503, "busy").ForNext(2));
  std::vector<int> statuses;
  for (int i = 0; i < 3; ++i) {
    auto result = Get(album_service::PhotoHostPrimary, "//photo/demo/1001/1.jpg");
    ASSERT_TRUE(result);
    statuses.push_back(result->status);
    if (result->status == 503) {
      EXPECT_EQ("busy", result->body);
    }
  }
  EXPECT_EQ((std::vector<int>{503, 503, 200}), statuses);
}

TEST_F(AlbumServiceTest, FaultsMatchTheirHostAndPathOnly) {
  m_service.AddFault(Fault::Matching("img1.localhost", "^//photo/demo/1004/").WithStatus(500));
  m_service.AddFault(Fault::At("", "/list/demo/1001.js").WithStatus(418));
  const std::string info = m_service.SignIn("demo").info;
  struct Case {
    const char* name;
    std::string_view host;
    std::string target;
    int status;
  } const cases[] = {
      {"pattern on its host", album_service::PhotoHostPrimary, "//photo/demo/1004/1.jpg", 500},
      {"pattern, other album", album_service::PhotoHostPrimary, "//photo/demo/1001/1.jpg", 200},
      {"pattern, other host", album_service::PhotoHostFallback, "/photo/demo/1004/1.jpg", 200},
      {"exact path on any host, query aside", album_service::SiteHost, "/list/demo/1001.js?t=1", 418},
      {"exact path, another list", album_service::SiteHost, "/list/demo/1002.js", 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto result = Get(c.host, c.target, info);
    ASSERT_TRUE(result);
    EXPECT_EQ(c.status, result->status);
  }
  m_service.ClearFaults();
  auto cleared = Get(album_service::PhotoHostPrimary, "//photo/demo/1004/1.jpg");
  ASSERT_TRUE(cleared);
  EXPECT_EQ(200, cleared->status);
}

TEST_F(AlbumServiceTest, SlowReplyOutlastsTheClientsPatienceOnce) {
  m_service.AddFault(Fault::At("maker.localhost", "/version").WithDelay(3000).ForNext(1));
  httplib::Client client = Client();
  client.set_read_timeout(0, 200000);
  const httplib::Headers headers{{"Host", HostHeader(album_service::MakerHost)}};
  auto slow = client.Get("/version", headers);
  EXPECT_FALSE(slow);
  EXPECT_EQ(httplib::Error::Read, slow.error());
  auto next = Client().Get("/version", headers);
  ASSERT_TRUE(next);
  EXPECT_EQ(200, next->status);
}

TEST_F(AlbumServiceTest, DroppedConnectionDeliversAShortBodyAfterAnnouncingAllOfIt) {
  const std::string& bytes = m_service.Data().FindPhoto("/photo/demo/1001/1.jpg")->bytes;
  m_service.AddFault(Fault::At("img1.localhost", "//photo/demo/1001/1.jpg").DropAfter(1000));
  std::string announced, received;
  auto result = Client().Get(
      "//photo/demo/1001/1.jpg", {{"Host", HostHeader(album_service::PhotoHostPrimary)}},
      [&](const httplib::Response& response) {
        announced = response.get_header_value("Content-Length");
        return true;
      },
      [&](const char* data, std::size_t length) {
        received.append(data, length);
        return true;
      });
  EXPECT_FALSE(result);
  EXPECT_EQ(std::to_string(bytes.size()), announced);
  EXPECT_EQ(bytes.substr(0, 1000), received);
}

TEST_F(AlbumServiceTest, HugeHeaderBlockStillCarriesTheBody) {
  m_service.AddFault(Fault::At("cover1.localhost", "/cover/1001.jpg").WithHugeHeaders(6000));
  auto result = Get(album_service::CoverHostPrimary, "/cover/1001.jpg");
  ASSERT_TRUE(result);
  std::size_t block = 0;
  for (const auto& [name, value] : result->headers) block += name.size() + value.size() + 4;
  EXPECT_GT(block, 6000u);
  EXPECT_TRUE(result->body == m_service.Data().FindAlbum(1001)->coverBytes);
}

TEST_F(AlbumServiceTest, PictureFaultsSpoilTheBodyButNotTheStatus) {
  const std::string& bytes = m_service.Data().FindPhoto("/photo/demo/1005/2.jpg")->bytes;
  m_service.AddFault(Fault::At("img2.localhost", "/photo/demo/1005/2.jpg").WithHtmlBody().ForNext(1));
  m_service.AddFault(Fault::At("img2.localhost", "/photo/demo/1005/2.jpg").TruncateBody().ForNext(1));

  auto html = Get(album_service::PhotoHostFallback, "/photo/demo/1005/2.jpg");
  ASSERT_TRUE(html);
  EXPECT_EQ(200, html->status);
  EXPECT_TRUE(html->get_header_value("Content-Type").starts_with("text/html"));
  EXPECT_TRUE(Decode(html->body).isNull());

  auto truncated = Get(album_service::PhotoHostFallback, "/photo/demo/1005/2.jpg");
  ASSERT_TRUE(truncated);
  EXPECT_EQ(200, truncated->status);
  ASSERT_LT(truncated->body.size(), bytes.size());
  EXPECT_TRUE(bytes.starts_with(truncated->body));
  EXPECT_FALSE(truncated->body.ends_with("\xFF\xD9"));
}

TEST_F(AlbumServiceTest, LogKeepsEveryRequestAsItArrived) {
  const std::string cookies = m_service.SignIn("demo").CookieHeader();
  ASSERT_TRUE(Get(album_service::SiteHost, "/demo/", cookies));
  ASSERT_TRUE(Get(album_service::SiteHost, AlbumDataCall + "1003" + AlbumDataTail, cookies));
  ASSERT_TRUE(PostForm(album_service::SiteHost, "/login", "user=demo&password=nope"));

  const std::vector<RecordedRequest> requests = m_service.Requests();
  ASSERT_EQ(3u, requests.size());
  EXPECT_EQ("photo.localhost", requests[0].host);
  EXPECT_EQ("GET", requests[0].method);
  EXPECT_EQ("/demo/", requests[0].target);
  EXPECT_EQ(HostHeader(album_service::SiteHost), requests[0].Header("host"));
  EXPECT_EQ(cookies.substr(cookies.find("P_INFO=") + 7), requests[0].Cookie("P_INFO"));
  EXPECT_FALSE(requests[0].Cookie("ALBUM_ACCESS_1003").has_value());
  EXPECT_EQ(200, requests[0].status);
  EXPECT_EQ(AlbumDataCall + "1003" + AlbumDataTail, requests[1].target);
  EXPECT_EQ(std::string(AlbumDataCall.substr(0, AlbumDataCall.find('?'))), requests[1].path);
  EXPECT_EQ("POST", requests[2].method);
  EXPECT_EQ("user=demo&password=nope", requests[2].body);

  m_service.ClearRequests();
  EXPECT_TRUE(m_service.Requests().empty());
}

TEST_F(AlbumServiceTest, SecondServiceCannotTakeATakenPort) {
  AlbumService other(album_service::ServiceData{});
  EXPECT_EQ(-1, other.Start(m_port));
  EXPECT_EQ(-1, m_service.Start());
}

TEST(GenerateJpeg, SameInputsSameBytesAndTheyDecode) {
  const std::string a = album_service::GenerateJpeg(320, 200, 7);
  EXPECT_EQ(a, album_service::GenerateJpeg(320, 200, 7));
  EXPECT_NE(a, album_service::GenerateJpeg(320, 200, 8));
  const QImage image = Decode(a);
  EXPECT_EQ(320, image.width());
  EXPECT_EQ(200, image.height());
  EXPECT_TRUE(album_service::GenerateJpeg(0, 10, 1).empty());
}

TEST(DemoData, EveryPictureDecodesAtItsStatedSize) {
  const album_service::ServiceData data = DemoData();
  std::size_t largest = 0;
  for (const auto& account : data.accounts) {
    for (const auto& album : account.albums) {
      SCOPED_TRACE(album.id);
      EXPECT_FALSE(Decode(album.coverBytes).isNull());
      for (const auto& photo : album.photos) {
        SCOPED_TRACE(photo.path);
        const QImage image = Decode(photo.bytes);
        EXPECT_EQ(photo.width, image.width());
        EXPECT_EQ(photo.height, image.height());
        EXPECT_GT(photo.width, 0);
        largest = std::max(largest, photo.bytes.size());
      }
    }
  }
  EXPECT_GT(largest, 2u * 1024 * 1024);
}

TEST(ExportPhotos, WritesEveryPhotoByteForByteWithAManifestLine) {
  album_service::ServiceData data;
  data.accounts.push_back(album_service::AccountWithAlbums("someone", "someone", 2, 3, 501));
  data.accounts[0].albums[1].photos[2].onPrimary = false;
  data.accounts[0].albums[1].photos[1].onPrimary = data.accounts[0].albums[1].photos[1].onFallback = false;
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "album_service_export";
  std::filesystem::remove_all(dir);

  std::string error;
  ASSERT_TRUE(album_service::ExportPhotos(data, dir, error)) << error;
  const auto read = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  };
  for (const auto& album : data.accounts[0].albums)
    for (std::size_t i = 0; i < album.photos.size(); ++i) {
      SCOPED_TRACE(album.photos[i].path);
      EXPECT_TRUE(read(dir / "someone" / std::to_string(album.id) / (std::to_string(i + 1) + ".jpg")) ==
                  album.photos[i].bytes);
    }
  const std::string manifest = read(dir / "manifest.tsv");
  EXPECT_EQ(7, std::count(manifest.begin(), manifest.end(), '\n')); // a heading and six photos
  EXPECT_NE(std::string::npos, manifest.find("someone\t502\t相册2\t2\tsomeone/502/2.jpg\t"));
  EXPECT_NE(std::string::npos, manifest.find("\tnone\t/photo/someone/502/2.jpg\n"));
  EXPECT_NE(std::string::npos, manifest.find("\timg2\t/photo/someone/502/3.jpg\n"));
  std::filesystem::remove_all(dir);
}

} // namespace
