#pragma once

#include "catalogue/configuration.h"
#include "platform/cookie_store.h"
#include "tests/support/window_fixture.h"
#include "tools/album-service/album_service.h"

#include <chrono>
#include <functional>
#include <string>

namespace testing_support {

// Waits until condition holds; false after the limit, which only catches a
// hang and is never a measure of speed.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(60000));

// The cookie "name=value" as the embedded browser would put it into the
// shared store after visiting host.
void AddBrowserCookie(const std::string& host, const std::string& nameValue, bool httpOnly = true);

// A stand-in service on a free port, the in-memory window, the demo
// configuration pointing at the service, and short paced waits.
class ServiceFixture {
public:
  explicit ServiceFixture(album_service::ServiceData data);
  ~ServiceFixture();

  // Signs user in as the browser would: both cookies into the shared store,
  // the page-readable one as the browser's document cookie.
  void SignInBrowser(const std::string& user);

  album_service::AlbumService service;
  int port;
  catalogue::Configuration config;
  MemoryWindow m;
};

} // namespace testing_support
