#include "app/sign_in.h"

#include <QDateTime>
#include <QWebEngineCookieStore>

#include <mutex>

namespace app {
namespace {

std::string Bytes(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())); }
QByteArray Bytes(const std::string& bytes) { return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())); }

constexpr qint64 EchoLifetimeMs = 10000;

QString HostOf(const std::string& domain) {
  QString host = QString::fromUtf8(domain.data(), static_cast<qsizetype>(domain.size()));
  while (host.startsWith(QLatin1Char('.'))) host.remove(0, 1);
  return host;
}

// The same cookie, as a cookie store tells cookies apart.
bool SameCookie(const platform::StoredCookie& a, const platform::StoredCookie& b) {
  return a.name == b.name && a.path == b.path && HostOf(a.domain) == HostOf(b.domain) &&
         a.includeSubdomains == b.includeSubdomains;
}

} // namespace

void OpenAddress(model::Window& window) { window.ui.超文本浏览框1.Navigate(window.ui.编辑框_url.GetText()); }

platform::StoredCookie ToStoredCookie(const QNetworkCookie& cookie) {
  platform::StoredCookie stored;
  stored.domain = Bytes(cookie.domain().toUtf8());
  stored.includeSubdomains = cookie.domain().startsWith(QLatin1Char('.'));
  stored.path = cookie.path().isEmpty() ? std::string("/") : Bytes(cookie.path().toUtf8());
  stored.secure = cookie.isSecure();
  stored.httpOnly = cookie.isHttpOnly();
  stored.expires = cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
  stored.name = Bytes(cookie.name());
  stored.value = Bytes(cookie.value());
  return stored;
}

QNetworkCookie ToNetworkCookie(const platform::StoredCookie& stored) {
  QNetworkCookie cookie(Bytes(stored.name), Bytes(stored.value));
  // A host-only cookie has no domain of its own: the browser takes the host
  // from the origin it is set for.
  if (stored.includeSubdomains) cookie.setDomain(QLatin1Char('.') + HostOf(stored.domain));
  cookie.setPath(stored.path.empty() ? QStringLiteral("/") : QString::fromUtf8(stored.path.c_str()));
  cookie.setSecure(stored.secure);
  cookie.setHttpOnly(stored.httpOnly);
  if (stored.expires != 0) cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(stored.expires));
  return cookie;
}

QUrl CookieOrigin(const platform::StoredCookie& stored) {
  QUrl origin;
  origin.setScheme(stored.secure ? QStringLiteral("https") : QStringLiteral("http"));
  origin.setHost(HostOf(stored.domain));
  origin.setPath(stored.path.empty() ? QStringLiteral("/") : QString::fromUtf8(stored.path.c_str()));
  return origin;
}

// The response listener runs on whichever thread made the request; it may
// outlive the bridge, so it reaches the bridge only through this link.
struct CookieBridge::Link {
  std::mutex mutex;
  CookieBridge* bridge = nullptr;
};

namespace {

// The store has one listener: a bridge that goes away takes it down only
// while it is still its own.
std::mutex g_listenerOwnerMutex;
const void* g_listenerOwner = nullptr;

} // namespace

CookieBridge::CookieBridge(QWebEngineCookieStore* browserCookies, platform::CookieStore& store, QObject* parent)
    : QObject(parent), m_browserCookies(browserCookies), m_store(store), m_link(std::make_shared<Link>()) {
  m_link->bridge = this;
  connect(m_browserCookies, &QWebEngineCookieStore::cookieAdded, this,
          [this](const QNetworkCookie& cookie) { FromBrowser(cookie, true); });
  connect(m_browserCookies, &QWebEngineCookieStore::cookieRemoved, this,
          [this](const QNetworkCookie& cookie) { FromBrowser(cookie, false); });
  std::lock_guard owner(g_listenerOwnerMutex);
  g_listenerOwner = m_link.get();
  m_store.SetResponseCookieListener([link = m_link](const platform::StoredCookie& cookie) {
    std::lock_guard lock(link->mutex);
    if (!link->bridge) return;
    // Queued: the browser's cookie store belongs to the GUI thread.
    QMetaObject::invokeMethod(
        link->bridge, [bridge = link->bridge, cookie] { bridge->ToBrowser(cookie); }, Qt::QueuedConnection);
  });
}

CookieBridge::~CookieBridge() { Detach(); }

void CookieBridge::Detach() {
  {
    std::lock_guard lock(m_link->mutex);
    if (!m_link->bridge) return;
    m_link->bridge = nullptr;
  }
  {
    std::lock_guard owner(g_listenerOwnerMutex);
    if (g_listenerOwner == m_link.get()) {
      m_store.SetResponseCookieListener(nullptr);
      g_listenerOwner = nullptr;
    }
  }
  disconnect(m_browserCookies, nullptr, this, nullptr);
}

void CookieBridge::FromBrowser(const QNetworkCookie& cookie, bool added) {
  const platform::StoredCookie stored = ToStoredCookie(cookie);
  if (TakeEcho(stored, added)) return;
  if (added) {
    m_store.Add(stored);
  } else {
    m_store.Remove(stored);
  }
}

void CookieBridge::ToBrowser(const platform::StoredCookie& cookie) {
  {
    std::lock_guard lock(m_link->mutex);
    if (!m_link->bridge) return;
  }
  m_echoes.append(Echo{cookie, QDateTime::currentMSecsSinceEpoch()});
  const bool deleted = cookie.expires != 0 && cookie.expires <= QDateTime::currentSecsSinceEpoch();
  if (deleted) {
    m_browserCookies->deleteCookie(ToNetworkCookie(cookie), CookieOrigin(cookie));
  } else {
    m_browserCookies->setCookie(ToNetworkCookie(cookie), CookieOrigin(cookie));
  }
}

// The browser reports a change this bridge made as if its pages had made it.
// Replacing a cookie shows as a removal of the old one and an addition of the
// new; both belong to the echo, which ends with the addition (or with the
// removal, for a deleted cookie).
bool CookieBridge::TakeEcho(const platform::StoredCookie& cookie, bool added) {
  // A change the browser refused is never reported; its echo must not wait
  // for ever and swallow a real change later.
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  m_echoes.removeIf([now](const Echo& echo) { return now - echo.madeAt > EchoLifetimeMs; });
  for (qsizetype i = 0; i < m_echoes.size(); ++i) {
    const platform::StoredCookie& echo = m_echoes.at(i).cookie;
    if (!SameCookie(echo, cookie)) continue;
    const bool deleted = echo.expires != 0 && echo.expires <= QDateTime::currentSecsSinceEpoch();
    if (added && echo.value == cookie.value) {
      m_echoes.removeAt(i);
      return true;
    }
    if (!added) {
      if (deleted) m_echoes.removeAt(i);
      return true;
    }
  }
  return false;
}

} // namespace app
