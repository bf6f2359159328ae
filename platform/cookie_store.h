#pragma once

#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

typedef void CURL;
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
  // Attaches a request to the store and turns its cookie engine on: it sends
  // the store's cookies and stores what its responses set.
  void Attach(CURL* handle);
  // The live cookies, as seen through an attached handle (expired ones left out).
  static std::vector<StoredCookie> Snapshot(CURL* handle);
  // What changed between two snapshots: cookies added or changed, and, with
  // an expiry in the past (1), the cookies that went away.
  static std::vector<StoredCookie> Changes(const std::vector<StoredCookie>& before,
                                           const std::vector<StoredCookie>& after);

  // From the browser: add (or replace) and remove a cookie. A cookie is the
  // same one when domain, includeSubdomains, path and name match.
  void Add(const StoredCookie& cookie);
  void Remove(const StoredCookie& cookie);
  std::vector<StoredCookie> All();

  // Told of every cookie a response put into the store or changed there (not
  // of Add), on the thread that made the request; a cookie the response
  // deleted comes with an expiry in the past.
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
