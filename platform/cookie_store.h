#pragma once

#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

typedef void CURLSH;

// The process-wide cookie store that the Internet session requests share
// with the embedded browser: one libcurl share handle with the cookie engine,
// locked for use from any thread.
namespace platform {

struct StoredCookie {
  std::string domain;  // as the browser gives it: "photo.localhost" or ".localhost"
  bool includeSubdomains = false;
  std::string path = "/";
  bool secure = false;
  bool httpOnly = false;
  long long expires = 0;  // seconds since the epoch; 0 for a session cookie
  std::string name;
  std::string value;
  bool operator==(const StoredCookie&) const = default;
};

class CookieStore {
public:
  static CookieStore& Instance();

  // The share handle that requests attach to.
  CURLSH* Share();

  // From the browser: add (or replace) and remove a cookie.
  void Add(const StoredCookie& cookie);
  void Remove(const StoredCookie& cookie);
  std::vector<StoredCookie> All();

  // Told of every cookie a response put into the store (not of Add), on the
  // thread that made the request.
  using Listener = std::function<void(const StoredCookie&)>;
  void SetResponseCookieListener(Listener listener);
  void NotifyResponseCookies(const std::vector<StoredCookie>& cookies);

  // Empties the store (tests).
  void Clear();

private:
  CookieStore();
  ~CookieStore();
  struct Impl;
  Impl* m_impl;
};

} // namespace platform
