#include "platform/cookie_store.h"

#include "tests/support/loopback_server.h"
#include "web/inet_request.h"
#include "web/object_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <mutex>
#include <set>
#include <thread>

namespace {

using platform::CookieStore;
using platform::StoredCookie;
using testing_support::LoopbackServer;

StoredCookie Cookie(std::string domain, std::string name, std::string value = "1") {
  StoredCookie cookie;
  cookie.includeSubdomains = domain.starts_with(".");
  cookie.domain = std::move(domain);
  cookie.name = std::move(name);
  cookie.value = std::move(value);
  return cookie;
}

std::string Describe(const StoredCookie& c) {
  return c.domain + (c.includeSubdomains ? " sub " : " host ") + c.path + (c.secure ? " secure" : "") +
         (c.httpOnly ? " httponly " : " ") + std::to_string(c.expires) + " " + c.name + "=" + c.value;
}

std::set<std::string> Described(const std::vector<StoredCookie>& cookies) {
  std::set<std::string> described;
  for (const StoredCookie& cookie : cookies) described.insert(Describe(cookie));
  return described;
}

class CookieStoreTest : public ::testing::Test {
protected:
  void SetUp() override {
    store.Clear();
    server.On("/echo", [](const auto&, auto& res) { res.set_content("ok", "text/plain"); });
    server.On("/albums/.*", [](const auto&, auto& res) { res.set_content("albums", "text/plain"); });
    server.On("/set", [](const httplib::Request& req, auto& res) {
      res.set_header("Set-Cookie", req.get_param_value("c"));
      res.set_content("set", "text/plain");
    });
    server.Start();
  }
  void TearDown() override {
    store.SetResponseCookieListener(nullptr);
    store.Clear();
  }

  // The pairs of the Cookie header that a request to the address carried.
  std::set<std::string> CookieSentTo(const std::string& host, const std::string& path = "/echo") {
    web::InetRequest(server.Url(path, host));
    std::set<std::string> pairs;
    const std::string header = server.Last().Header("Cookie");
    for (std::size_t at = 0; at < header.size();) {
      const std::size_t end = std::min(header.find("; ", at), header.size());
      pairs.insert(header.substr(at, end - at));
      at = end + 2;
    }
    return pairs;
  }
  using Pairs = std::set<std::string>;
  void SetThroughResponse(const std::string& host, const std::string& setCookie) {
    std::string query;
    for (unsigned char c : setCookie) {
      static const char hex[] = "0123456789ABCDEF";
      if (std::isalnum(c)) {
        query += static_cast<char>(c);
      } else {
        query += '%';
        query += hex[c >> 4];
        query += hex[c & 15];
      }
    }
    web::InetRequest(server.Url("/set?c=" + query, host));
  }

  CookieStore& store = CookieStore::Instance();
  LoopbackServer server;
};

TEST_F(CookieStoreTest, WhatTheBrowserAddsComesBackAsGiven) {
  StoredCookie httpOnly = Cookie(".photo.localhost", "token", "t0k");
  httpOnly.httpOnly = true;
  StoredCookie lasting = Cookie("photo.localhost", "keep", "a=b");
  lasting.secure = true;
  lasting.path = "/albums";
  lasting.expires = static_cast<long long>(std::time(nullptr)) + 3600;
  const StoredCookie cases[] = {
      Cookie("photo.localhost", "sid"),
      Cookie(".photo.localhost", "domainwide"),
      httpOnly,
      lasting,
      Cookie("photo.localhost", "empty", ""),
  };
  for (const StoredCookie& cookie : cases) {
    SCOPED_TRACE(Describe(cookie));
    store.Clear();
    store.Add(cookie);
    const auto all = store.All();
    ASSERT_EQ(1u, all.size());
    EXPECT_EQ(Describe(cookie), Describe(all[0]));
  }
}

TEST_F(CookieStoreTest, AddingTheSameCookieReplacesItAndRemovingTakesOutOnlyThatOne) {
  store.Add(Cookie("photo.localhost", "sid", "1"));
  store.Add(Cookie("photo.localhost", "sid", "2"));
  StoredCookie otherPath = Cookie("photo.localhost", "sid", "3");
  otherPath.path = "/albums";
  store.Add(otherPath);
  StoredCookie domainWide = Cookie(".photo.localhost", "sid", "4");
  domainWide.httpOnly = true;
  store.Add(domainWide);
  StoredCookie expired = Cookie("photo.localhost", "old");
  expired.expires = 1000;
  store.Add(expired);
  EXPECT_EQ(Described({Cookie("photo.localhost", "sid", "2"), otherPath, domainWide}), Described(store.All()));

  store.Remove(Cookie("photo.localhost", "sid", "whatever value"));
  store.Remove(domainWide);
  EXPECT_EQ(Described({otherPath}), Described(store.All()));
}

TEST_F(CookieStoreTest, ACookieGoesOnlyToTheHostsAndPathsItCovers) {
  store.Add(Cookie("photo.localhost", "host", "1"));
  store.Add(Cookie(".photo.localhost", "wide", "2"));
  StoredCookie albumsOnly = Cookie("photo.localhost", "deep", "3");
  albumsOnly.path = "/albums";
  store.Add(albumsOnly);

  EXPECT_EQ((Pairs{"host=1", "wide=2"}), CookieSentTo("photo.localhost"));
  EXPECT_EQ((Pairs{"wide=2"}), CookieSentTo("u1.photo.localhost"));
  EXPECT_EQ((Pairs{}), CookieSentTo("maker.localhost"));
  EXPECT_EQ((Pairs{"host=1", "wide=2", "deep=3"}), CookieSentTo("photo.localhost", "/albums/1"));

  store.Remove(Cookie("photo.localhost", "host"));
  EXPECT_EQ((Pairs{"wide=2"}), CookieSentTo("photo.localhost"));
}

TEST_F(CookieStoreTest, ResponseCookiesReachTheListenerOnTheRequestingThread) {
  std::vector<StoredCookie> told;
  std::vector<std::thread::id> threads;
  store.SetResponseCookieListener([&](const StoredCookie& cookie) {
    told.push_back(cookie);
    threads.push_back(std::this_thread::get_id());
  });

  SetThroughResponse("photo.localhost", "n=1; Path=/");
  ASSERT_EQ(1u, told.size());
  EXPECT_EQ("photo.localhost host / 0 n=1", Describe(told[0]));
  EXPECT_EQ(std::this_thread::get_id(), threads[0]);

  SetThroughResponse("photo.localhost", "n=1; Path=/");
  EXPECT_EQ(1u, told.size()) << "nothing changed";

  SetThroughResponse("photo.localhost", "n=2; Path=/");
  ASSERT_EQ(2u, told.size());
  EXPECT_EQ("photo.localhost host / 0 n=2", Describe(told[1]));

  SetThroughResponse("u1.photo.localhost", "h=x; Domain=photo.localhost; Path=/; HttpOnly");
  ASSERT_EQ(3u, told.size());
  EXPECT_EQ(".photo.localhost sub / httponly 0 h=x", Describe(told[2]));

  SetThroughResponse("photo.localhost", "n=; Path=/; Max-Age=0");
  ASSERT_EQ(4u, told.size());
  EXPECT_EQ("n", told[3].name);
  EXPECT_GT(static_cast<long long>(std::time(nullptr)), told[3].expires) << "deleted: an expiry in the past";
  EXPECT_EQ(Described({told[2]}), Described(store.All()));
}

TEST_F(CookieStoreTest, OnlyResponsesOfRequestsThatUseTheStoreAreTold) {
  int told = 0;
  store.SetResponseCookieListener([&](const StoredCookie&) { ++told; });
  store.Add(Cookie("photo.localhost", "fromBrowser"));

  web::Text cookie;
  web::InetRequest(server.Url("/set?c=a%3D1", "photo.localhost"), web::MethodGet, {}, &cookie);
  EXPECT_EQ("a=1", cookie);
  web::Text objectCookie;
  web::ObjectRequest(server.Url("/set?c=b%3D1", "photo.localhost"), 0, {}, &objectCookie);
  EXPECT_EQ("b=1", objectCookie);

  EXPECT_EQ(0, told);
  EXPECT_EQ(Described({Cookie("photo.localhost", "fromBrowser")}), Described(store.All()));
}

TEST_F(CookieStoreTest, RequestsOnManyThreadsAndBrowserChangesShareTheStore) {
  constexpr int Threads = 4;
  constexpr int PerThread = 25;
  std::atomic<bool> requestsDone{false};
  std::vector<std::thread> requesters;
  for (int t = 0; t < Threads; ++t) {
    requesters.emplace_back([&, t] {
      for (int i = 0; i < PerThread; ++i) {
        SetThroughResponse("photo.localhost", "t" + std::to_string(t) + "_" + std::to_string(i) + "=v; Path=/");
      }
    });
  }
  std::thread browser([&] {
    for (int i = 0; !requestsDone; ++i) {
      const StoredCookie cookie = Cookie(".photo.localhost", "browser" + std::to_string(i % 10));
      store.Add(cookie);
      store.All();
      if (i % 3 == 0) store.Remove(cookie);
    }
  });
  for (std::thread& requester : requesters) requester.join();
  requestsDone = true;
  browser.join();

  std::set<std::string> names;
  for (const StoredCookie& cookie : store.All()) names.insert(cookie.name);
  for (int t = 0; t < Threads; ++t) {
    for (int i = 0; i < PerThread; ++i) {
      EXPECT_TRUE(names.contains("t" + std::to_string(t) + "_" + std::to_string(i))) << t << "_" << i;
    }
  }
  // and a later request carries them all.
  const Pairs last = CookieSentTo("photo.localhost");
  EXPECT_TRUE(last.contains("t3_24=v"));
  EXPECT_TRUE(last.contains("t0_0=v"));
}

} // namespace
