#pragma once

#include "app/model/window.h"
#include "platform/cookie_store.h"

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QUrl>

#include <memory>

class QWebEngineCookieStore;

namespace app {

// Click of "打开": the browser goes to the address box's text as it stands.
void OpenAddress(model::Window& window);

// Browser cookies and the process-wide cookie store, both ways.
platform::StoredCookie ToStoredCookie(const QNetworkCookie& cookie);
QNetworkCookie ToNetworkCookie(const platform::StoredCookie& cookie);
// The address a cookie belongs to, for setting it in the browser.
QUrl CookieOrigin(const platform::StoredCookie& cookie);

// Keeps the process-wide cookie store (the Internet requests' cookies) and
// the browser's cookie store in step: what the browser's pages set goes into
// the store, what the requests' responses set goes into the browser. A change
// made on one side is not sent back to where it came from.
class CookieBridge : public QObject {
  Q_OBJECT

public:
  CookieBridge(QWebEngineCookieStore* browserCookies, platform::CookieStore& store, QObject* parent = nullptr);
  ~CookieBridge() override;

  // Stops both directions; later responses reach the browser no more.
  void Detach();

private:
  struct Link;

  void FromBrowser(const QNetworkCookie& cookie, bool added);
  void ToBrowser(const platform::StoredCookie& cookie);
  bool TakeEcho(const platform::StoredCookie& cookie, bool added);

  QWebEngineCookieStore* m_browserCookies;
  platform::CookieStore& m_store;
  std::shared_ptr<Link> m_link;
  // Cookies this bridge put into the browser, whose notifications are echoes.
  struct Echo {
    platform::StoredCookie cookie;
    qint64 madeAt = 0;  // ms since the epoch
  };
  QList<Echo> m_echoes;
};

} // namespace app
