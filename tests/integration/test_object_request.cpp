#include "web/object_request.h"

#include "platform/cookie_store.h"
#include "platform/http_request.h"
#include "platform/workers.h"
#include "tests/support/gbk_testing.h"
#include "tests/support/loopback_server.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ClosedPort;
using testing_support::Event;
using testing_support::LoopbackServer;
using testing_support::TransferRoutes;
using web::ByteBuffer;
using web::ObjectRequest;
using web::Text;

// Only catches a hang; nothing here waits this long when it works.
constexpr auto HangLimit = 60s;

const Text DefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

std::string AsString(const ByteBuffer& bytes) { return std::string(bytes.begin(), bytes.end()); }

// What one call gave back.
struct Outcome {
  ByteBuffer body;
  Text returnedCookies = "unset";
  Text returnedHeaders = "unset";
  int status = -7;
};

class ObjectRequestTest : public ::testing::Test {
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
      res.set_content("no such photo", "text/plain");
    });
    server.On("/b3", [](const auto&, auto& res) {
      res.set_header("set-cookie", "b=3; path=/");
      res.set_content("b3", "text/plain");
    });
    server.On("/c4", [](const auto&, auto& res) {
      res.set_header("SET-COOKIE", "c=4");
      res.set_header("Set-Cookie", "a=deleted; path=/");
      res.set_content("c4", "text/plain");
    });
    routes.AddTo(server);
    server.Start();
  }
  void TearDown() override { platform::CookieStore::Instance().Clear(); }

  Outcome Get(const Text& address, Text* cookie = nullptr, Text* headers = nullptr, int timeout = 0,
              platform::HttpRequest* object = nullptr) {
    Outcome outcome;
    outcome.body = ObjectRequest(address, 0, {}, cookie, &outcome.returnedCookies, headers, &outcome.returnedHeaders,
                                 &outcome.status, false, nullptr, {}, timeout, {}, {}, 1, object);
    return outcome;
  }

  // The server holds the reply a quarter of the way in, and the worker is
  // paused there for longer than its two-second timeout. While data flows
  // the server carries on at once and the paused worker must not take the
  // rest in; while waiting for data the server carries on after the pause.
  Outcome PauseInTheMiddle(bool whileWaiting) {
    routes.halfway = std::make_shared<Event>();
    routes.carryOn = std::make_shared<Event>();
    std::atomic<bool> stop{false};
    platform::PauseGate gate;
    std::atomic<bool> done{false};
    auto running = std::async(std::launch::async, [&] {
      platform::ScopedWorkerContext context(&stop, &gate);
      Outcome outcome = Get(server.Url("/slow"), nullptr, nullptr, 2);
      done = true;
      return outcome;
    });
    EXPECT_TRUE(routes.halfway->Wait(HangLimit));
    gate.Pause();
    if (!whileWaiting) routes.carryOn->Set();
    std::this_thread::sleep_for(3500ms);
    EXPECT_FALSE(done) << "the transfer went on while paused";
    gate.Continue();
    routes.carryOn->Set();
    EXPECT_EQ(std::future_status::ready, running.wait_for(HangLimit));
    return running.get();
  }

  // Declared before the server, whose routes read it.
  TransferRoutes routes;
  LoopbackServer server;
};

TEST_F(ObjectRequestTest, CompletesTheHeaderBlockWritesItBackAndSetsEveryLine) {
  struct Case {
    const char* name;
    Text headers;
    Text expectedBlock;  // {addr} stands for the address
    std::vector<std::pair<std::string, std::string>> arriving;
  };
  const Text defaults = "Accept: */*\r\nReferer: {addr}\r\nAccept-Language: zh-cn\r\nUser-Agent: " + DefaultAgent +
                        "\r\nContent-Type: application/x-www-form-urlencoded";
  const std::vector<std::pair<std::string, std::string>> defaultLines = {
      {"Accept", "*/*"},
      {"Referer", "{addr}"},
      {"Accept-Language", "zh-cn"},
      {"User-Agent", DefaultAgent},
      {"Content-Type", "application/x-www-form-urlencoded"}};
  auto with = [&](std::vector<std::pair<std::string, std::string>> lines) {
    lines.insert(lines.end(), defaultLines.begin(), defaultLines.end());
    return lines;
  };
  const Case cases[] = {
      {"no headers", "", defaults, with({})},
      {"complete headers go out unchanged",
       "Accept: image/jpeg\r\nReferer: http://r.localhost:81/a?b=c\r\nAccept-Language: en\r\nUser-Agent: "
       "Me\r\nContent-Type: text/plain",
       "Accept: image/jpeg\r\nReferer: http://r.localhost:81/a?b=c\r\nAccept-Language: en\r\nUser-Agent: "
       "Me\r\nContent-Type: text/plain",
       {{"Accept", "image/jpeg"},
        {"Referer", "http://r.localhost:81/a?b=c"},
        {"Accept-Language", "en"},
        {"User-Agent", "Me"},
        {"Content-Type", "text/plain"}}},
      // The exact test misses the lower-case name, so the default comes
      // last and replaces it.
      {"lower-case agent", "user-agent: X", "user-agent: X\r\n" + defaults, with({})},
      {"text ending in CR LF, and the lines after the empty line still arrive", "X-First: 1\r\n",
       "X-First: 1\r\n\r\n" + defaults, with({{"X-First", "1"}})},
      {"a value with colons", "X-Only: a:b", "X-Only: a:b\r\n" + defaults, with({{"X-Only", "a:b"}})},
      // Every marker on one line: nothing is appended and the block is one
      // header, so the object's own agent goes out.
      {"a block of one line", "X-All: Accept: Referer: Accept-Language: User-Agent: Content-Type:",
       "X-All: Accept: Referer: Accept-Language: User-Agent: Content-Type:",
       {{"X-All", "Accept: Referer: Accept-Language: User-Agent: Content-Type:"},
        {"User-Agent", "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)"}}},
  };
  const Text address = server.Url("/echo", "img1.localhost");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text headers = c.headers;
    const Outcome outcome = Get(address, nullptr, &headers);
    EXPECT_EQ("ok", AsString(outcome.body));
    EXPECT_EQ(200, outcome.status);
    auto fill = [&](Text text) {
      for (std::size_t at = text.find("{addr}"); at != Text::npos; at = text.find("{addr}")) {
        text.replace(at, 6, address);
      }
      return text;
    };
    EXPECT_GBK_EQ(fill(c.expectedBlock), headers);
    const auto received = server.Last();
    for (const auto& [name, value] : c.arriving) {
      EXPECT_EQ(fill(value), received.Header(name)) << name;
      EXPECT_EQ(1u, received.HeaderCount(name)) << name;
    }
    EXPECT_EQ(c.arriving.size() + 1, received.HeaderLines().size()) << "only Host besides";
    EXPECT_EQ(0u, received.HeaderCount("Cookie"));
  }
}

TEST_F(ObjectRequestTest, ACookieGoesAsItsOwnHeaderAndTakesUpTheResponseCookies) {
  Text cookie = "a=1; b=2";
  Text headers;
  Outcome outcome = Get(server.Url("/b3"), &cookie, &headers);
  EXPECT_EQ("a=1; b=2", server.Last().Header("Cookie"));
  EXPECT_EQ(-1, web::FindText(headers, "Cookie")) << "never a line of the block";
  EXPECT_EQ("b=3; a=1", cookie);
  EXPECT_EQ("b=3", outcome.returnedCookies);
  EXPECT_NE(-1, web::FindText(outcome.returnedHeaders, "Set-Cookie: b=3; path=/\r\n")) << outcome.returnedHeaders;

  outcome = Get(server.Url("/c4"), &cookie);
  EXPECT_EQ("b=3; a=1", server.Last().Header("Cookie"));
  EXPECT_EQ("c=4; b=3", cookie) << "a deleted";
  EXPECT_EQ("c=4;a=deleted", outcome.returnedCookies);

  Text spaced = "x = 1";
  Get(server.Url("/echo"), &spaced);
  EXPECT_EQ("x=1", spaced);
}

TEST_F(ObjectRequestTest, TheCookieIsSetFirstSoACookieLineOfTheCallersReplacesIt) {
  Text cookie = "a=1";
  Text headers = "Cookie: fromBlock=1";
  Get(server.Url("/echo"), &cookie, &headers);
  EXPECT_EQ(1u, server.Last().HeaderCount("Cookie"));
  EXPECT_EQ("fromBlock=1", server.Last().Header("Cookie"));
  EXPECT_EQ("a=1", cookie);
}

TEST_F(ObjectRequestTest, TheSharedStoreIsNeverUsed) {
  platform::StoredCookie stored;
  stored.domain = "img1.localhost";
  stored.name = "store";
  stored.value = "1";
  platform::CookieStore::Instance().Add(stored);

  Get(server.Url("/b3", "img1.localhost"));
  EXPECT_EQ(0u, server.Last().HeaderCount("Cookie"));
  const auto all = platform::CookieStore::Instance().All();
  ASSERT_EQ(1u, all.size()) << "the response's cookie stayed out of the store";
  EXPECT_EQ("store", all[0].name);
}

TEST_F(ObjectRequestTest, PostSendsTheBytesOrElseTheText) {
  const ByteBuffer bytes = {0x00, 0xFF, 'z'};
  const struct {
    const char* name;
    int method;
    Text text;
    const ByteBuffer* bytes;
    const char* verb;
    std::string arriving;
  } cases[] = {
      {"text", 1, "a=1&b=2", nullptr, "POST", "a=1&b=2"},
      {"bytes instead of the text", 1, "ignored", &bytes, "POST", std::string("\0\xFFz", 3)},
      {"GET with an empty text", 0, "", nullptr, "GET", ""},
      {"other method counts as GET", 7, "", nullptr, "GET", ""},
      {"HEAD", 2, "", nullptr, "HEAD", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int status = 0;
    ObjectRequest(server.Url("/echo"), c.method, c.text, nullptr, nullptr, nullptr, nullptr, &status, false,
                  c.bytes);
    EXPECT_EQ(200, status);
    EXPECT_EQ(c.verb, server.Last().method);
    EXPECT_EQ(c.arriving, server.Last().body);
    if (c.method == 0) {
      EXPECT_EQ(0u, server.Last().HeaderCount("Content-Length"));
    }
  }
}

TEST_F(ObjectRequestTest, FollowsRedirectsUnlessToldNotTo) {
  Outcome followed = Get(server.Url("/redirect"));
  EXPECT_EQ(200, followed.status);
  EXPECT_EQ("ok", AsString(followed.body));
  EXPECT_EQ(-1, web::FindText(followed.returnedHeaders, "Location"));

  Outcome stayed;
  stayed.body = ObjectRequest(server.Url("/redirect"), 0, {}, nullptr, nullptr, nullptr, &stayed.returnedHeaders,
                              &stayed.status, true);
  EXPECT_EQ(302, stayed.status);
  EXPECT_EQ("moved", AsString(stayed.body));
  EXPECT_NE(-1, web::FindText(stayed.returnedHeaders, "Location: /echo\r\n"));
  EXPECT_EQ(3u, server.ReceivedCount());
}

TEST_F(ObjectRequestTest, A404GivesItsBodyAndStatusAndHeaderLinesWithoutTheStatusLine) {
  const Outcome outcome = Get(server.Url("/missing"));
  EXPECT_EQ(404, outcome.status);
  EXPECT_EQ("no such photo", AsString(outcome.body));
  EXPECT_FALSE(outcome.returnedHeaders.starts_with("HTTP/")) << outcome.returnedHeaders;
  EXPECT_NE(-1, web::FindText(outcome.returnedHeaders, "Content-Length: 13\r\n"));
  EXPECT_TRUE(outcome.returnedHeaders.ends_with("\r\n"));
  EXPECT_FALSE(outcome.returnedHeaders.ends_with("\r\n\r\n"));
}

TEST_F(ObjectRequestTest, AReplySlowerThanTheTimeoutIsAFailure) {
  Text cookie = "x = 1";
  const Outcome outcome = Get(server.Url("/stall"), &cookie, nullptr, 1);
  EXPECT_EQ(0, outcome.status);
  EXPECT_TRUE(outcome.body.empty());
  EXPECT_EQ("", outcome.returnedHeaders);
  EXPECT_EQ("", outcome.returnedCookies);
  EXPECT_EQ("x=1", cookie) << "rewritten all the same";
}

TEST_F(ObjectRequestTest, TimeoutMinusOneKeepsTheObjectsOwnLimits) {
  platform::HttpRequest object;
  object.SetTimeouts(1000, 1000, 1000, 1000);
  EXPECT_EQ(0, Get(server.Url("/stall"), nullptr, nullptr, -1, &object).status);

  // Any other timeout replaces them: thirty seconds outlast a reply that
  // comes once the server lets it go.
  auto running = std::async(std::launch::async, [&] { return Get(server.Url("/stall"), nullptr, nullptr, 30, &object); });
  ASSERT_TRUE(server.WaitForRequests(2, HangLimit));
  std::this_thread::sleep_for(2500ms);
  server.Release();
  ASSERT_EQ(std::future_status::ready, running.wait_for(HangLimit));
  const Outcome outcome = running.get();
  EXPECT_EQ(200, outcome.status);
  EXPECT_EQ("late", AsString(outcome.body));
}

TEST_F(ObjectRequestTest, AClosedPortGivesNothingAndASuppliedObjectStaysUsable) {
  platform::HttpRequest object;
  const Outcome failed = Get("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x", nullptr, nullptr, 0, &object);
  EXPECT_EQ(0, failed.status);
  EXPECT_TRUE(failed.body.empty());
  EXPECT_EQ("", failed.returnedHeaders);

  const Outcome worked = Get(server.Url("/echo"), nullptr, nullptr, 0, &object);
  EXPECT_EQ(200, worked.status);
  EXPECT_EQ("ok", AsString(worked.body));
}

TEST_F(ObjectRequestTest, BadAddressesGiveNothingAndNeverReachTheServer) {
  const std::string port = std::to_string(server.Port());
  const Text cases[] = {
      "",
      "no scheme at all",
      "127.0.0.1:" + port + "/echo",
      "ftp://127.0.0.1:" + port + "/echo",
      "http:///echo",
      "http://a b:" + port + "/echo",
      "http://127.0.0.1:" + port + "/a b",
      "http://127.0.0.1:" + port + "/相册"_gbk,
      "http://相册.localhost:"_gbk + port + "/echo",
      "http://127.0.0.1:70000/echo",
      "http://127.0.0.1:-5/echo",
  };
  platform::HttpRequest object;
  for (const Text& address : cases) {
    SCOPED_TRACE(testing_support::DescribeGbk(address));
    for (platform::HttpRequest* given : {static_cast<platform::HttpRequest*>(nullptr), &object}) {
      Text cookie = "k=1";
      const Outcome outcome = Get(address, &cookie, nullptr, 0, given);
      EXPECT_EQ(0, outcome.status);
      EXPECT_TRUE(outcome.body.empty());
      EXPECT_EQ("", outcome.returnedHeaders);
      EXPECT_EQ("k=1", cookie);
    }
  }
  EXPECT_EQ(0u, server.ReceivedCount());
}

TEST_F(ObjectRequestTest, AFailedOpenNeverResendsTheObjectsPreviousRequest) {
  platform::HttpRequest object;
  ASSERT_EQ(200, Get(server.Url("/echo"), nullptr, nullptr, 0, &object).status);
  const Outcome outcome = Get("http:///nothing", nullptr, nullptr, 0, &object);
  EXPECT_EQ(0, outcome.status);
  EXPECT_TRUE(outcome.body.empty());
  EXPECT_EQ(1u, server.ReceivedCount());
}

TEST_F(ObjectRequestTest, LargeBodyArrivesByteForByte) {
  const Outcome outcome = Get(server.Url("/big"));
  EXPECT_EQ(200, outcome.status);
  ASSERT_EQ(routes.bigBody.size(), outcome.body.size());
  EXPECT_TRUE(AsString(outcome.body) == routes.bigBody);
}

TEST_F(ObjectRequestTest, AConnectionClosedBeforeTheWholeBodyIsAFailedTransfer) {
  const Outcome outcome = Get(server.Url("/short"));
  EXPECT_EQ(0, outcome.status);
  EXPECT_TRUE(outcome.body.empty()) << outcome.body.size() << " bytes passed for the whole body";
  EXPECT_EQ("", outcome.returnedHeaders);
}

TEST_F(ObjectRequestTest, PausedLongerThanTheTimeoutTheSameTransferCompletes) {
  for (bool whileWaiting : {false, true}) {
    SCOPED_TRACE(whileWaiting ? "paused while waiting for data" : "paused while data flows");
    const Outcome outcome = PauseInTheMiddle(whileWaiting);
    EXPECT_EQ(200, outcome.status);
    ASSERT_EQ(routes.slowBody.size(), outcome.body.size());
    EXPECT_TRUE(AsString(outcome.body) == routes.slowBody);
  }
}

TEST_F(ObjectRequestTest, StopAbortsATransferEvenWhilePaused) {
  for (bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "running");
    std::atomic<bool> stop{false};
    platform::PauseGate gate;
    const std::size_t before = server.ReceivedCount();
    auto running = std::async(std::launch::async, [&] {
      platform::ScopedWorkerContext context(&stop, &gate);
      return Get(server.Url("/stall"));
    });
    ASSERT_TRUE(server.WaitForRequests(before + 1, HangLimit));
    if (paused) gate.Pause();
    stop = true;
    ASSERT_EQ(std::future_status::ready, running.wait_for(HangLimit));
    const Outcome outcome = running.get();
    EXPECT_EQ(0, outcome.status);
    EXPECT_TRUE(outcome.body.empty()) << "the stalled reply came in after all";
  }
}

class ObjectProxyTest : public ObjectRequestTest {
protected:
  void SetUp() override {
    ObjectRequestTest::SetUp();
    proxy.OnEveryRequest([](const httplib::Request& req, httplib::Response& res) {
      if (req.get_header_value("Proxy-Authorization") != "Basic dXNlcjpwYXNz") {  // user:pass
        res.status = 407;
        res.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
        return;
      }
      res.set_content("via proxy", "text/plain");
    });
    proxy.Start();
  }
  LoopbackServer proxy;
};

TEST_F(ObjectProxyTest, GoesThroughTheNamedProxyWithItsCredentials) {
  int status = 0;
  const ByteBuffer body =
      ObjectRequest("http://photo.localhost:1/x", 0, {}, nullptr, nullptr, nullptr, nullptr, &status, false, nullptr,
                    "127.0.0.1:" + std::to_string(proxy.Port()), 0, "user", "pass");
  EXPECT_EQ(200, status);
  EXPECT_EQ("via proxy", AsString(body));
  EXPECT_EQ("http://photo.localhost:1/x", proxy.Last().target);
}

TEST_F(ObjectProxyTest, WithoutCredentialsTheProxysRefusalIsTheAnswer) {
  int status = 0;
  ObjectRequest("http://photo.localhost:1/x", 0, {}, nullptr, nullptr, nullptr, nullptr, &status, false, nullptr,
                "127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(407, status);
}

} // namespace
