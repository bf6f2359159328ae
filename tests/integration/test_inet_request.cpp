#include "web/inet_request.h"

#include "platform/cookie_store.h"
#include "platform/inet.h"
#include "platform/workers.h"
#include "tests/support/gbk_testing.h"
#include "tests/support/loopback_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ClosedPort;
using testing_support::Event;
using testing_support::LoopbackServer;
using testing_support::TransferRoutes;
using web::ByteBuffer;
using web::InetRequest;
using web::Text;

namespace inet = platform::inet;

// Only catches a hang; nothing here waits this long when it works.
constexpr auto HangLimit = 60s;

const Text DefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const Text Spaces5000(5000, ' ');

std::string AsString(const ByteBuffer& bytes) { return std::string(bytes.begin(), bytes.end()); }

Text Replace(Text text, const Text& from, const Text& to) {
  for (std::size_t at = text.find(from); at != Text::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

class InetRequestTest : public ::testing::Test {
protected:
  void SetUp() override {
    platform::CookieStore::Instance().Clear();
    server.On("/echo", [](const auto&, auto& res) { res.set_content("ok", "text/plain"); });
    server.On("/redirect", [](const auto&, auto& res) {
      res.status = 302;
      res.set_header("Location", "/echo");
      res.set_content("moved", "text/plain");
    });
    server.On("/missing", [](const auto&, auto& res) {
      res.status = 404;
      res.set_content("no such page", "text/plain");
    });
    server.On("/cookies", [](const auto&, auto& res) {
      res.set_header("set-cookie", "a=1; path=/");
      res.set_header("SET-COOKIE", "b=2");
      res.set_content("cookies", "text/plain");
    });
    server.On("/set-sid", [](const auto&, auto& res) {
      res.set_header("Set-Cookie", "sid=abc; Path=/");
      res.set_content("signed in", "text/plain");
    });
    server.On("/pad", [](const httplib::Request& req, auto& res) {
      res.set_header("Set-Cookie", "p=1; path=/");
      res.set_header("X-Pad", std::string(std::stoul(req.get_param_value("n")), 'a'));
      res.set_content("padded", "text/plain");
    });
    routes.AddTo(server);
    server.On("/zero", [](const auto&, auto& res) {
      res.set_content(std::string("abcdefghi\0rest", 14), "application/octet-stream");
    });
    server.On("/.*", [](const auto&, auto& res) { res.set_content("any", "text/plain"); });
    server.Start();
  }
  void TearDown() override { platform::CookieStore::Instance().Clear(); }

  // Declared before the server, whose routes read it.
  TransferRoutes routes;
  LoopbackServer server;
};

TEST_F(InetRequestTest, CompletesTheHeaderBlockWritesItBackAndSendsEveryLine) {
  struct Case {
    const char* name;
    Text headers;
    Text expectedBlock;  // {addr} stands for the address
    std::vector<std::pair<std::string, std::string>> arriving;
  };
  const Text defaults =
      "Accept: */*\r\nReferer: {addr}\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
  const std::vector<std::pair<std::string, std::string>> defaultLines = {
      {"Accept", "*/*"},
      {"Referer", "{addr}"},
      {"Accept-Language", "zh-cn"},
      {"Content-Type", "application/x-www-form-urlencoded"}};
  auto with = [&](std::vector<std::pair<std::string, std::string>> lines) {
    lines.insert(lines.end(), defaultLines.begin(), defaultLines.end());
    return lines;
  };
  const Case cases[] = {
      {"no headers", "", defaults, with({{"User-Agent", DefaultAgent}})},
      {"complete headers go out unchanged",
       "Accept: text/html\r\nReferer: http://r.localhost/\r\nAccept-Language: en\r\nContent-Type: text/plain",
       "Accept: text/html\r\nReferer: http://r.localhost/\r\nAccept-Language: en\r\nContent-Type: text/plain",
       {{"Accept", "text/html"},
        {"Referer", "http://r.localhost/"},
        {"Accept-Language", "en"},
        {"Content-Type", "text/plain"},
        {"User-Agent", DefaultAgent}}},
      {"text ending in CR LF keeps an empty line, and the lines after it still arrive", "X-First: 1\r\n",
       "X-First: 1\r\n\r\n" + defaults, with({{"X-First", "1"}, {"User-Agent", DefaultAgent}})},
      {"agent after the first User-Agent:", "User-Agent: User-Agent:Y\r\n",
       "User-Agent: User-Agent:Y\r\n\r\n" + defaults, with({{"User-Agent", "User-Agent:Y"}})},
      {"lower-case agent on one line", "user-agent: X", "user-agent: X\r\n" + defaults,
       with({{"User-Agent", "X"}})},
      {"agent from everything after the first colon", "X-User-Agent: Z", "X-User-Agent: Z\r\n" + defaults,
       with({{"X-User-Agent", "Z"}, {"User-Agent", "Z"}})},
      {"agent up to the line end", "X-User-Agent: W\r\nX-Other: 1", "X-User-Agent: W\r\nX-Other: 1\r\n" + defaults,
       with({{"X-User-Agent", "W"}, {"X-Other", "1"}, {"User-Agent", "W"}})},
  };
  const Text address = server.Url("/echo", "photo.localhost");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text headers = c.headers;
    const ByteBuffer body = InetRequest(address, web::MethodGet, {}, nullptr, nullptr, &headers);
    EXPECT_EQ("ok", AsString(body));
    EXPECT_GBK_EQ(Replace(c.expectedBlock, "{addr}", address), headers);
    const auto received = server.Last();
    for (const auto& [name, value] : c.arriving) {
      EXPECT_EQ(Replace(value, "{addr}", address), received.Header(name)) << name;
      EXPECT_EQ(1u, received.HeaderCount(name)) << name;
    }
    EXPECT_EQ(c.arriving.size() + 1, received.HeaderLines().size()) << "only Host besides";
    EXPECT_EQ(0u, received.HeaderCount("Cookie"));
    EXPECT_EQ(0u, received.HeaderCount("Expect"));
  }
}

TEST_F(InetRequestTest, SendsACookieLineOnlyForANonEmptySuppliedCookie) {
  const Text address = server.Url("/echo");
  Text cookie = "x=1; y=2";
  Text headers;
  InetRequest(address, web::MethodGet, {}, &cookie, nullptr, &headers);
  EXPECT_TRUE(headers.ends_with("\r\nCookie: x=1; y=2")) << headers;
  EXPECT_EQ("x=1; y=2", server.Last().Header("Cookie"));
  EXPECT_EQ("x=1; y=2", cookie) << "merged with no received cookies";

  Text empty;
  headers.clear();
  InetRequest(address, web::MethodGet, {}, &empty, nullptr, &headers);
  EXPECT_EQ(-1, web::FindText(headers, "Cookie"));
  EXPECT_EQ(0u, server.Last().HeaderCount("Cookie"));
}

TEST_F(InetRequestTest, SendsTheVerbOfTheMethodAndAGetForAnyOther) {
  const struct {
    int method;
    const char* verb;
  } cases[] = {{0, "GET"}, {1, "POST"}, {2, "HEAD"}, {3, "GET"}, {-1, "GET"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    InetRequest(server.Url("/echo"), c.method);
    EXPECT_EQ(c.verb, server.Last().method);
  }
}

TEST_F(InetRequestTest, PostSendsTheTextAsBytesAndWritesThemBack) {
  ByteBuffer postBytes;
  InetRequest(server.Url("/echo"), web::MethodPost, "a=1", nullptr, nullptr, nullptr, nullptr, false, &postBytes);
  EXPECT_EQ("POST", server.Last().method);
  EXPECT_EQ("a=1", server.Last().body);
  EXPECT_EQ((ByteBuffer{'a', '=', '1'}), postBytes);
}

TEST_F(InetRequestTest, PostBytesGoOutInsteadOfTheText) {
  ByteBuffer postBytes = {0x00, 0xFF, 'z', 0x0D, 0x0A};
  const ByteBuffer given = postBytes;
  InetRequest(server.Url("/echo"), web::MethodPost, "ignored", nullptr, nullptr, nullptr, nullptr, false,
              &postBytes);
  EXPECT_EQ(AsString(given), server.Last().body);
  EXPECT_EQ(given, postBytes);
}

TEST_F(InetRequestTest, GetNeverSendsABody) {
  ByteBuffer postBytes = {'q'};
  const ByteBuffer body = InetRequest(server.Url("/echo"), web::MethodGet, "a=1", nullptr, nullptr, nullptr,
                                      nullptr, false, &postBytes);
  EXPECT_EQ("ok", AsString(body));
  EXPECT_EQ("", server.Last().body);
  EXPECT_EQ(0u, server.Last().HeaderCount("Content-Length"));
  EXPECT_EQ((ByteBuffer{'q'}), postBytes) << "left alone for a GET";
}

TEST_F(InetRequestTest, FollowsRedirectsUnlessToldNotTo) {
  Text returnedHeaders;
  ByteBuffer body = InetRequest(server.Url("/redirect"), web::MethodGet, {}, nullptr, nullptr, nullptr,
                                &returnedHeaders);
  EXPECT_EQ("ok", AsString(body));
  EXPECT_TRUE(returnedHeaders.starts_with("HTTP/1.1 200 OK\r\n")) << returnedHeaders;
  EXPECT_EQ(-1, web::FindText(returnedHeaders, "Location")) << "only the last response's block";
  EXPECT_EQ(2u, server.ReceivedCount());

  body = InetRequest(server.Url("/redirect"), web::MethodGet, {}, nullptr, nullptr, nullptr, &returnedHeaders,
                     true);
  EXPECT_EQ("moved", AsString(body));
  EXPECT_TRUE(returnedHeaders.starts_with("HTTP/1.1 302")) << returnedHeaders;
  EXPECT_NE(-1, web::FindText(returnedHeaders, "\r\nLocation: /echo\r\n"));
  EXPECT_EQ(3u, server.ReceivedCount());
}

TEST_F(InetRequestTest, ReturnsAnErrorPageLikeAnyOtherWithItsRawHeaderBlock) {
  Text returnedHeaders;
  const ByteBuffer body = InetRequest(server.Url("/missing"), web::MethodGet, {}, nullptr, nullptr, nullptr,
                                      &returnedHeaders);
  EXPECT_EQ("no such page", AsString(body));
  EXPECT_TRUE(returnedHeaders.starts_with("HTTP/1.1 404 Not Found\r\n")) << returnedHeaders;
  EXPECT_NE(-1, web::FindText(returnedHeaders, "\r\nContent-Length: 12\r\n"));
  EXPECT_TRUE(returnedHeaders.ends_with("\r\n\r\n"));
  EXPECT_EQ(-1, web::FindText(returnedHeaders.substr(0, returnedHeaders.size() - 4), "\r\n\r\n"));
}

TEST_F(InetRequestTest, NormalisesEverySetCookieSpellingAndCollectsThePairs) {
  Text returnedHeaders;
  Text returnedCookies;
  InetRequest(server.Url("/cookies"), web::MethodGet, {}, nullptr, &returnedCookies, nullptr, &returnedHeaders);
  EXPECT_NE(-1, web::FindText(returnedHeaders, "\r\nSet-Cookie: a=1; path=/\r\n")) << returnedHeaders;
  EXPECT_NE(-1, web::FindText(returnedHeaders, "\r\nSet-Cookie: b=2\r\n")) << returnedHeaders;
  EXPECT_EQ("a=1; b=2", returnedCookies);

  Text cookie = "a=0; c=3";
  InetRequest(server.Url("/cookies"), web::MethodGet, {}, &cookie, &returnedCookies);
  EXPECT_EQ("a=1; b=2; c=3", cookie);
  EXPECT_EQ("a=1;b=2", returnedCookies);
}

TEST_F(InetRequestTest, CookiesOfTheSharedStoreGoWithRequestsThatSupplyNoCookie) {
  Text returnedCookies;
  InetRequest(server.Url("/set-sid", "photo.localhost"), web::MethodGet, {}, nullptr, &returnedCookies);
  EXPECT_EQ("sid=abc", returnedCookies);

  InetRequest(server.Url("/echo", "photo.localhost"));
  EXPECT_EQ("sid=abc", server.Last().Header("Cookie"));

  Text supplied;
  InetRequest(server.Url("/echo", "photo.localhost"), web::MethodGet, {}, &supplied);
  EXPECT_EQ(0u, server.Last().HeaderCount("Cookie")) << "a supplied cookie switches the store off";

  supplied = "mine=1";
  InetRequest(server.Url("/echo", "photo.localhost"), web::MethodGet, {}, &supplied);
  EXPECT_EQ("mine=1", server.Last().Header("Cookie"));
}

TEST_F(InetRequestTest, ASuppliedCookieTakesUpTheResponseCookiesInsteadOfTheStore) {
  Text supplied;
  InetRequest(server.Url("/set-sid", "photo.localhost"), web::MethodGet, {}, &supplied);
  EXPECT_EQ("sid=abc", supplied);
  InetRequest(server.Url("/echo", "photo.localhost"));
  EXPECT_EQ(0u, server.Last().HeaderCount("Cookie")) << "the response's cookie stayed out of the store";
}

TEST_F(InetRequestTest, UnreachableHostGivesAnEmptyBodyAndAFullBufferOfSpaces) {
  const Text address = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x";
  Text cookie = "k=1";
  Text headers;
  Text returnedHeaders = "junk";
  Text returnedCookies = "junk";
  const ByteBuffer body =
      InetRequest(address, web::MethodGet, {}, &cookie, &returnedCookies, &headers, &returnedHeaders);
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(Spaces5000, returnedHeaders);
  EXPECT_EQ("", returnedCookies);
  EXPECT_TRUE(headers.starts_with("Accept: */*\r\nReferer: " + address)) << headers;
  EXPECT_TRUE(headers.ends_with("\r\nCookie: k=1"));
  EXPECT_EQ("k=1", cookie);
}

TEST_F(InetRequestTest, AddressesThatGiveNoHandleLeaveEveryArgumentAlone) {
  const std::string port = std::to_string(server.Port());
  const struct {
    const char* name;
    Text address;
  } cases[] = {
      {"empty", ""},
      {"no host", "http:///echo"},
      {"space in the host", "http://a b:" + port + "/echo"},
      {"space in the path", "http://127.0.0.1:" + port + "/a b"},
      {"control byte in the path", "http://127.0.0.1:" + port + "/a\tb"},
      {"GBK bytes in the path", "http://127.0.0.1:" + port + "/相册"_gbk},
      {"GBK bytes in the host", "http://相册.localhost:"_gbk + port + "/echo"},
      {"user part in the host", "http://evil@127.0.0.1:" + port + "/echo"},
      {"port beyond 65535", "http://127.0.0.1:70000/echo"},
      {"port far beyond", "http://127.0.0.1:99999999999999/echo"},
      {"negative port", "http://127.0.0.1:-5/echo"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Text cookie = "keep=1";
    Text headers = "X-Keep: 1";
    Text returnedHeaders = "keep";
    Text returnedCookies = "keep";
    ByteBuffer postBytes = {'k'};
    const ByteBuffer body = InetRequest(c.address, web::MethodPost, "p", &cookie, &returnedCookies, &headers,
                                        &returnedHeaders, false, &postBytes);
    EXPECT_TRUE(body.empty());
    EXPECT_EQ("keep=1", cookie);
    EXPECT_EQ("X-Keep: 1", headers);
    EXPECT_EQ("keep", returnedHeaders);
    EXPECT_EQ("keep", returnedCookies);
    EXPECT_EQ((ByteBuffer{'k'}), postBytes);
  }
  EXPECT_EQ(0u, server.ReceivedCount());
}

TEST_F(InetRequestTest, HeaderBlockMustFitFiveThousandBytesWithItsZero) {
  Text returnedHeaders;
  InetRequest(server.Url("/pad?n=100"), web::MethodGet, {}, nullptr, nullptr, nullptr, &returnedHeaders);
  ASSERT_LT(returnedHeaders.size(), 4999u);
  const std::size_t fitting = 100 + 4999 - returnedHeaders.size();

  Text returnedCookies;
  ByteBuffer body = InetRequest(server.Url("/pad?n=" + std::to_string(fitting)), web::MethodGet, {}, nullptr,
                                &returnedCookies, nullptr, &returnedHeaders);
  EXPECT_EQ(4999u, returnedHeaders.size());
  EXPECT_EQ("p=1", returnedCookies);

  Text cookie = "x=1";
  body = InetRequest(server.Url("/pad?n=" + std::to_string(fitting + 1)), web::MethodGet, {}, &cookie,
                     &returnedCookies, nullptr, &returnedHeaders);
  EXPECT_EQ("padded", AsString(body));
  EXPECT_EQ(Spaces5000, returnedHeaders);
  EXPECT_EQ("", returnedCookies);
  EXPECT_EQ("x=1", cookie);
}

TEST_F(InetRequestTest, LargeBodyArrivesByteForByte) {
  const ByteBuffer body = InetRequest(server.Url("/big"));
  ASSERT_EQ(routes.bigBody.size(), body.size());
  EXPECT_TRUE(AsString(body) == routes.bigBody);
}

TEST_F(InetRequestTest, FetchTextStopsAtTheFirstZeroByte) {
  EXPECT_EQ("abcdefghi", web::FetchText(server.Url("/zero")));
  EXPECT_EQ("ok", web::FetchText(server.Url("/echo")));
}

TEST_F(InetRequestTest, ABodyCutShortIsAFailedTransfer) {
  Text returnedHeaders;
  const ByteBuffer body = InetRequest(server.Url("/short"), web::MethodGet, {}, nullptr, nullptr, nullptr,
                                      &returnedHeaders);
  EXPECT_TRUE(body.empty()) << body.size() << " bytes passed for the whole body";
  EXPECT_EQ(Spaces5000, returnedHeaders);
}

TEST_F(InetRequestTest, StopAbortsARunningTransfer) {
  std::atomic<bool> stop{false};
  auto running = std::async(std::launch::async, [&] {
    platform::ScopedWorkerContext context(&stop, nullptr);
    return InetRequest(server.Url("/stall"));
  });
  ASSERT_TRUE(server.WaitForRequests(1, HangLimit));
  stop = true;
  ASSERT_EQ(std::future_status::ready, running.wait_for(HangLimit));
  EXPECT_TRUE(running.get().empty()) << "the stalled reply came in after all";
}

TEST_F(InetRequestTest, PausedInTheMiddleTheSameTransferCompletes) {
  std::atomic<bool> stop{false};
  platform::PauseGate gate;
  std::atomic<bool> done{false};
  auto running = std::async(std::launch::async, [&] {
    platform::ScopedWorkerContext context(&stop, &gate);
    ByteBuffer body = InetRequest(server.Url("/slow"));
    done = true;
    return body;
  });
  ASSERT_TRUE(routes.halfway->Wait(HangLimit));
  gate.Pause();
  routes.carryOn->Set();
  std::this_thread::sleep_for(1500ms);
  EXPECT_FALSE(done) << "the transfer went on while paused";
  gate.Continue();
  ASSERT_EQ(std::future_status::ready, running.wait_for(HangLimit));
  const ByteBuffer body = running.get();
  ASSERT_EQ(routes.slowBody.size(), body.size());
  EXPECT_TRUE(AsString(body) == routes.slowBody);
}

// The session layer's receive limit: the longest silence, where time spent
// paused is not silence.
class InetSessionTest : public InetRequestTest {
protected:
  struct Session {
    inet::Handle internet = nullptr;
    inet::Handle connection = nullptr;
    inet::Handle request = nullptr;
    ~Session() {
      inet::InternetCloseHandle(request);
      inet::InternetCloseHandle(connection);
      inet::InternetCloseHandle(internet);
    }
  };
  void Open(Session& session, const std::string& path, unsigned long receiveLimit) {
    session.internet = inet::InternetOpen("agent", inet::OpenTypeDirect, {}, {}, 0);
    ASSERT_TRUE(session.internet);
    ASSERT_TRUE(inet::InternetSetOption(session.internet, inet::OptionReceiveTimeout, receiveLimit));
    session.connection =
        inet::InternetConnect(session.internet, "127.0.0.1", server.Port(), {}, {}, inet::ServiceHttp, 0, 0);
    ASSERT_TRUE(session.connection);
    session.request = inet::HttpOpenRequest(session.connection, "GET", path, "HTTP/1.1", {}, nullptr,
                                            inet::FlagNoCookies, 0);
    ASSERT_TRUE(session.request);
  }
  static std::string ReadAll(inet::Handle request) {
    std::string body;
    char piece[1024];
    std::uint32_t read = 0;
    while (inet::InternetReadFile(request, piece, sizeof piece, &read) && read > 0) body.append(piece, read);
    return body;
  }
};

TEST_F(InetSessionTest, ASilenceLongerThanTheReceiveLimitEndsTheTransfer) {
  Session session;
  ASSERT_NO_FATAL_FAILURE(Open(session, "/stall", 1000));
  EXPECT_FALSE(inet::HttpSendRequest(session.request, {}, nullptr, 0));
  std::uint32_t read = 7;
  char piece[16];
  EXPECT_FALSE(inet::InternetReadFile(session.request, piece, sizeof piece, &read));
  EXPECT_EQ(0u, read);
}

TEST_F(InetSessionTest, TimePausedIsNotSilence) {
  // The server holds the reply a quarter of the way in, and the worker is
  // paused there for longer than the limit. While data flows the server
  // carries on at once; while waiting for data it carries on after the pause.
  for (bool whileWaiting : {false, true}) {
    SCOPED_TRACE(whileWaiting ? "paused while waiting for data" : "paused while data flows");
    routes.halfway = std::make_shared<Event>();
    routes.carryOn = std::make_shared<Event>();
    Session session;
    ASSERT_NO_FATAL_FAILURE(Open(session, "/slow", 2000));
    std::atomic<bool> stop{false};
    platform::PauseGate gate;
    std::atomic<bool> done{false};
    auto running = std::async(std::launch::async, [&] {
      platform::ScopedWorkerContext context(&stop, &gate);
      const bool sent = inet::HttpSendRequest(session.request, {}, nullptr, 0);
      done = true;
      return sent;
    });
    ASSERT_TRUE(routes.halfway->Wait(HangLimit));
    gate.Pause();
    if (!whileWaiting) routes.carryOn->Set();
    std::this_thread::sleep_for(3500ms);
    EXPECT_FALSE(done);
    gate.Continue();
    routes.carryOn->Set();
    ASSERT_EQ(std::future_status::ready, running.wait_for(HangLimit));
    ASSERT_TRUE(running.get());
    EXPECT_TRUE(ReadAll(session.request) == routes.slowBody);
  }
}

TEST_F(InetSessionTest, HeaderQueryReportsTheSizeNeededWhenTheBufferIsShort) {
  Session session;
  ASSERT_NO_FATAL_FAILURE(Open(session, "/echo", 0));
  ASSERT_TRUE(inet::HttpSendRequest(session.request, "Accept: */*", nullptr, 0));
  char buffer[8] = "1234567";
  std::uint32_t length = sizeof buffer;
  EXPECT_FALSE(inet::HttpQueryInfo(session.request, inet::QueryRawHeadersCrlf, buffer, &length, nullptr));
  EXPECT_GT(length, sizeof buffer);
  EXPECT_STREQ("1234567", buffer);
  std::string block(length, 'x');
  EXPECT_TRUE(inet::HttpQueryInfo(session.request, inet::QueryRawHeadersCrlf, block.data(), &length, nullptr));
  EXPECT_EQ(block.size() - 1, length);
  EXPECT_EQ('\0', block[length]);
  EXPECT_EQ("ok", ReadAll(session.request));
  EXPECT_TRUE(inet::InternetCloseHandle(session.request));
  EXPECT_FALSE(inet::InternetCloseHandle(session.request)) << "closed twice";
  session.request = nullptr;
  EXPECT_FALSE(inet::InternetCloseHandle(nullptr));
}

TEST_F(InetRequestTest, PathsGoOutAsGivenUpToTheFragment) {
  const struct {
    const char* path;
    const char* target;
  } cases[] = {
      {"//photo/1.jpg", "//photo/1.jpg"},
      {"/a/../b?x=1", "/a/../b?x=1"},
      {"/list.js?u=1#m=0&p=1", "/list.js?u=1"},
      {"/%E4%B8%AD", "/%E4%B8%AD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    InetRequest(server.Url(c.path));
    EXPECT_EQ(c.target, server.Last().target);
  }
}

class InetProxyTest : public InetRequestTest {
protected:
  void SetUp() override {
    InetRequestTest::SetUp();
    proxy.OnEveryRequest([](const httplib::Request& req, httplib::Response& res) {
      if (req.method == "CONNECT") {
        res.status = 403;
        return;
      }
      res.set_content("via proxy", "text/plain");
    });
    proxy.Start();
  }
  LoopbackServer proxy;
};

TEST_F(InetProxyTest, APlainRequestGoesThroughTheProxyForHttp) {
  const Text proxyName = "127.0.0.1:" + std::to_string(proxy.Port());
  const ByteBuffer body =
      InetRequest("http://photo.localhost:1/x", web::MethodGet, {}, nullptr, nullptr, nullptr, nullptr, false,
                  nullptr, proxyName);
  EXPECT_EQ("via proxy", AsString(body));
  EXPECT_EQ("http://photo.localhost:1/x", proxy.Last().target);
}

TEST_F(InetProxyTest, ASecureRequestTunnelsThroughTheProxy) {
  const Text proxyName = "127.0.0.1:" + std::to_string(proxy.Port());
  const ByteBuffer body = InetRequest("https://photo.localhost:1/x", web::MethodGet, {}, nullptr, nullptr, nullptr,
                                      nullptr, false, nullptr, proxyName);
  EXPECT_TRUE(body.empty());
  EXPECT_EQ("CONNECT", proxy.Last().method);
  EXPECT_EQ("photo.localhost:1", proxy.Last().target);
}

TEST_F(InetProxyTest, WithoutAProxyTheConnectionIsDirectWhateverTheEnvironmentSays) {
  const std::string proxyUrl = "http://127.0.0.1:" + std::to_string(proxy.Port());
  setenv("http_proxy", proxyUrl.c_str(), 1);
  const ByteBuffer body = InetRequest(server.Url("/echo"));
  unsetenv("http_proxy");
  EXPECT_EQ("ok", AsString(body));
  EXPECT_EQ(0u, proxy.ReceivedCount());
}

} // namespace
