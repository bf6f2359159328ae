#include "tests/support/service_fixture.h"

#include "web/paced_wait.h"

#include <thread>

namespace testing_support {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void AddBrowserCookie(const std::string& host, const std::string& nameValue, bool httpOnly) {
  const std::size_t equals = nameValue.find('=');
  platform::StoredCookie cookie;
  cookie.domain = host;
  cookie.name = nameValue.substr(0, equals);
  cookie.value = equals == std::string::npos ? std::string() : nameValue.substr(equals + 1);
  cookie.httpOnly = httpOnly;
  platform::CookieStore::Instance().Add(cookie);
}

ServiceFixture::ServiceFixture(album_service::ServiceData data)
    : service(std::move(data)), port(service.Start()), config(catalogue::DemoConfiguration(port)) {
  platform::CookieStore::Instance().Clear();
  // Ten 2-second retries take 20 ms.
  web::SetPacedWaitScale(0.01);
}

ServiceFixture::~ServiceFixture() {
  m.workers.StopAndJoin();
  service.Stop();
  platform::CookieStore::Instance().Clear();
  web::SetPacedWaitScale(1.0);
}

void ServiceFixture::SignInBrowser(const std::string& user) {
  const album_service::SessionCookies cookies = service.SignIn(user);
  const std::string host(album_service::SiteHost);
  AddBrowserCookie(host, cookies.session, true);
  AddBrowserCookie(host, cookies.info, false);
  m.backend.SetDocumentCookie(cookies.info);
}

} // namespace testing_support
