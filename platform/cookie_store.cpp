#include "platform/cookie_store.h"

#include "platform/inet.h"

#include <curl/curl.h>

#include <array>
#include <ctime>
#include <mutex>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view HttpOnlyPrefix = "#HttpOnly_";

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view WithoutLeadingDot(std::string_view domain) {
  return domain.starts_with(".") ? domain.substr(1) : domain;
}

// The fields that make two cookies the same one for the store.
bool SameCookie(const StoredCookie& a, const StoredCookie& b) {
  return a.name == b.name && a.path == b.path && a.includeSubdomains == b.includeSubdomains &&
         LowerAscii(WithoutLeadingDot(a.domain)) == LowerAscii(WithoutLeadingDot(b.domain));
}

bool HasLineBreakOrTab(std::string_view text) { return text.find_first_of("\t\r\n") != std::string_view::npos; }

// A cookie as a line of the Netscape cookie file, the form libcurl takes.
std::string NetscapeLine(const StoredCookie& cookie, long long expires) {
  const std::string_view bare = WithoutLeadingDot(cookie.domain);
  std::string line;
  if (cookie.httpOnly) line += HttpOnlyPrefix;
  if (cookie.includeSubdomains) line += '.';
  line += bare;
  line += cookie.includeSubdomains ? "\tTRUE\t" : "\tFALSE\t";
  line += cookie.path.empty() ? std::string("/") : cookie.path;
  line += cookie.secure ? "\tTRUE\t" : "\tFALSE\t";
  line += std::to_string(expires);
  line += '\t';
  line += cookie.name;
  line += '\t';
  line += cookie.value;
  return line;
}

bool ParseNetscapeLine(std::string_view line, StoredCookie& cookie) {
  cookie = StoredCookie{};
  if (line.starts_with(HttpOnlyPrefix)) {
    cookie.httpOnly = true;
    line.remove_prefix(HttpOnlyPrefix.size());
  }
  std::array<std::string_view, 7> fields{};
  std::size_t count = 0;
  while (count < fields.size()) {
    const std::size_t tab = line.find('\t');
    // The value is the rest of the line.
    if (count == fields.size() - 1 || tab == std::string_view::npos) {
      fields[count++] = line;
      break;
    }
    fields[count++] = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  if (count < 6) return false;
  cookie.domain = fields[0];
  cookie.includeSubdomains = fields[1] == "TRUE";
  cookie.path = fields[2];
  cookie.secure = fields[3] == "TRUE";
  cookie.expires = std::strtoll(std::string(fields[4]).c_str(), nullptr, 10);
  cookie.name = fields[5];
  cookie.value = count == 7 ? fields[6] : std::string_view{};
  return true;
}

std::vector<StoredCookie> CookiesOf(CURL* handle) {
  std::vector<StoredCookie> cookies;
  curl_slist* list = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_COOKIELIST, &list) != CURLE_OK) return cookies;
  const long long now = static_cast<long long>(std::time(nullptr));
  for (curl_slist* item = list; item; item = item->next) {
    StoredCookie cookie;
    if (!ParseNetscapeLine(item->data, cookie)) continue;
    // libcurl drops an expired cookie only at its next change of the store.
    if (cookie.expires != 0 && cookie.expires <= now) continue;
    cookies.push_back(std::move(cookie));
  }
  curl_slist_free_all(list);
  return cookies;
}

} // namespace

struct CookieStore::Impl {
  std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
  CURLSH* share = nullptr;

  // The store's own handle for the browser's adds and removes; an easy
  // handle serves one thread at a time.
  std::mutex handleMutex;
  CURL* handle = nullptr;

  std::mutex listenerMutex;
  Listener listener;

  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<Impl*>(self)->locks[static_cast<std::size_t>(data)].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* self) {
    static_cast<Impl*>(self)->locks[static_cast<std::size_t>(data)].unlock();
  }
};

CookieStore& CookieStore::Instance() {
  // Never destroyed: workers that outlive main may still be in a request.
  static CookieStore* store = new CookieStore;
  return *store;
}

CookieStore::CookieStore() : m_impl(new Impl) {
  curl::GlobalInit();
  m_impl->share = curl_share_init();
  curl_share_setopt(m_impl->share, CURLSHOPT_LOCKFUNC, &Impl::Lock);
  curl_share_setopt(m_impl->share, CURLSHOPT_UNLOCKFUNC, &Impl::Unlock);
  curl_share_setopt(m_impl->share, CURLSHOPT_USERDATA, m_impl);
  curl_share_setopt(m_impl->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  curl_share_setopt(m_impl->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  m_impl->handle = curl_easy_init();
  Attach(m_impl->handle);
}

CookieStore::~CookieStore() {
  curl_easy_cleanup(m_impl->handle);
  curl_share_cleanup(m_impl->share);
  delete m_impl;
}

CURLSH* CookieStore::Share() { return m_impl->share; }

void CookieStore::Attach(CURL* handle) {
  curl_easy_setopt(handle, CURLOPT_SHARE, m_impl->share);
  // An empty file name turns the cookie engine on without reading a file.
  curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
}

std::vector<StoredCookie> CookieStore::Snapshot(CURL* handle) { return CookiesOf(handle); }

std::vector<StoredCookie> CookieStore::Changes(const std::vector<StoredCookie>& before,
                                               const std::vector<StoredCookie>& after) {
  std::vector<StoredCookie> changes;
  for (const StoredCookie& cookie : after) {
    bool unchanged = false;
    for (const StoredCookie& old : before) {
      if (old == cookie) {
        unchanged = true;
        break;
      }
    }
    if (!unchanged) changes.push_back(cookie);
  }
  for (const StoredCookie& old : before) {
    bool kept = false;
    for (const StoredCookie& cookie : after) {
      if (SameCookie(old, cookie)) {
        kept = true;
        break;
      }
    }
    if (!kept) {
      StoredCookie gone = old;
      gone.expires = 1;
      changes.push_back(std::move(gone));
    }
  }
  return changes;
}

void CookieStore::Add(const StoredCookie& cookie) {
  if (cookie.name.empty() || WithoutLeadingDot(cookie.domain).empty()) return;
  if (HasLineBreakOrTab(cookie.domain) || HasLineBreakOrTab(cookie.path) || HasLineBreakOrTab(cookie.name) ||
      HasLineBreakOrTab(cookie.value) || cookie.domain.starts_with("#")) {
    return;
  }
  const std::string line = NetscapeLine(cookie, cookie.expires);
  std::lock_guard lock(m_impl->handleMutex);
  curl_easy_setopt(m_impl->handle, CURLOPT_COOKIELIST, line.c_str());
}

void CookieStore::Remove(const StoredCookie& cookie) {
  if (cookie.name.empty() || WithoutLeadingDot(cookie.domain).empty()) return;
  if (HasLineBreakOrTab(cookie.domain) || HasLineBreakOrTab(cookie.path) || HasLineBreakOrTab(cookie.name) ||
      cookie.domain.starts_with("#")) {
    return;
  }
  // Replacing the cookie by an expired copy takes it out: libcurl never
  // sends an expired cookie and drops it at the next change.
  StoredCookie expired = cookie;
  expired.value.clear();
  const std::string line = NetscapeLine(expired, 1);
  std::lock_guard lock(m_impl->handleMutex);
  curl_easy_setopt(m_impl->handle, CURLOPT_COOKIELIST, line.c_str());
}

std::vector<StoredCookie> CookieStore::All() {
  std::lock_guard lock(m_impl->handleMutex);
  return CookiesOf(m_impl->handle);
}

void CookieStore::SetResponseCookieListener(Listener listener) {
  std::lock_guard lock(m_impl->listenerMutex);
  m_impl->listener = std::move(listener);
}

void CookieStore::NotifyResponseCookies(const std::vector<StoredCookie>& cookies) {
  Listener listener;
  {
    std::lock_guard lock(m_impl->listenerMutex);
    listener = m_impl->listener;
  }
  if (!listener) return;
  for (const StoredCookie& cookie : cookies) listener(cookie);
}

void CookieStore::Clear() {
  std::lock_guard lock(m_impl->handleMutex);
  curl_easy_setopt(m_impl->handle, CURLOPT_COOKIELIST, "ALL");
}

} // namespace platform
