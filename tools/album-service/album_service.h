#pragma once

#include "tools/album-service/service_data.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A stand-in for the photo-album web service on loopback: one port, the hosts
// told apart by the Host header.
namespace album_service {

inline constexpr std::string_view SiteHost = "photo.localhost";
inline constexpr std::string_view SubdomainSuffix = ".photo.localhost";
inline constexpr std::string_view CoverHostPrimary = "cover1.localhost";
inline constexpr std::string_view CoverHostFallback = "cover2.localhost";
inline constexpr std::string_view PhotoHostPrimary = "img1.localhost";
inline constexpr std::string_view PhotoHostFallback = "img2.localhost";
inline constexpr std::string_view MakerHost = "maker.localhost";

inline constexpr std::string_view SessionCookieName = "NTES_SESS";      // HttpOnly
inline constexpr std::string_view InfoCookieName = "P_INFO";            // readable by the page: "<user>|<token>"
inline constexpr std::string_view AccessCookiePrefix = "ALBUM_ACCESS_"; // + album id, HttpOnly

inline constexpr int DefaultPort = 18163;

// One request as it arrived, before any fault acted on it.
struct RecordedRequest {
  std::string host; // the Host header's name part, lower case
  std::string method;
  std::string target; // the raw request target: path and query, undecoded
  std::string path;   // the raw path, without query
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  int status = 0; // the status answered; 0 while the reply is pending

  // First value of the header (names compare without case), empty when absent.
  std::string Header(std::string_view name) const;
  // The value of a cookie from the Cookie headers, if it was sent.
  std::optional<std::string> Cookie(std::string_view name) const;
};

// A deliberate misbehaviour for the requests it matches. The first fault in
// the order of adding that matches a request and has uses left acts on it;
// its effects combine.
struct Fault {
  std::string host;    // host name without port; empty: every host
  std::string path;    // compared with the raw path and with the raw target; empty: every path
  std::string pattern; // when set instead: an ECMAScript expression searched in the raw target

  int status = 0; // nonzero: answer this status and body in place of the normal reply
  std::string body;
  std::string contentType = "text/html; charset=utf-8";
  int delayMs = 0;                           // wait this long before answering
  std::optional<std::size_t> dropAfterBytes; // announce the full length, send this much, close
  std::size_t headerBlockBytes = 0;          // pad the header block beyond this many bytes
  bool htmlInsteadOfBody = false;            // status 200 with an HTML page in place of the body
  bool truncateBody = false;                 // send only the first half (a JPEG loses its end marker)
  int times = -1;                            // requests it acts on; -1: all

  static Fault At(std::string host, std::string rawPath);
  static Fault Matching(std::string host, std::string pattern);
  Fault& WithStatus(int code, std::string replyBody = {});
  Fault& WithDelay(int ms);
  Fault& DropAfter(std::size_t bytes);
  Fault& WithHugeHeaders(std::size_t bytes = 6000);
  Fault& WithHtmlBody();
  Fault& TruncateBody();
  Fault& ForNext(int requests);
};

// The two sign-in cookies of one session, each as "name=value".
struct SessionCookies {
  std::string session; // NTES_SESS=<token>
  std::string info;    // P_INFO=<user>|<token>
  // Both joined as a Cookie header value; empty when the sign-in failed.
  std::string CookieHeader() const;
};

class AlbumService {
public:
  explicit AlbumService(ServiceData data);
  ~AlbumService();
  AlbumService(const AlbumService&) = delete;
  AlbumService& operator=(const AlbumService&) = delete;

  // Listens on 127.0.0.1; port 0 picks a free port. Returns the port, or -1
  // when it cannot listen (or is already listening).
  int Start(int port = 0);
  // Ends slow replies early and waits for the server's threads.
  void Stop();
  int Port() const;
  const ServiceData& Data() const;

  void AddFault(Fault fault);
  void ClearFaults();

  std::vector<RecordedRequest> Requests() const;
  void ClearRequests();

  // A new session for the user, as a successful sign-in makes one; empty
  // cookies for an unknown user.
  SessionCookies SignIn(const std::string& user);
  // "ALBUM_ACCESS_<id>=<token>" as entering the album's password grants it;
  // empty for an unknown album.
  std::string GrantAccess(std::int64_t albumId);

  // Addresses as the service itself writes them, with the listening port.
  std::string HostWithPort(std::string_view host) const; // "img1.localhost:PORT"
  std::string SiteRoot() const;                          // "http://photo.localhost:PORT/"
  std::string AlbumListScriptUrl(const std::string& account) const;
  std::string PhotoListAddress(const std::string& account, std::int64_t albumId) const; // no scheme

private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

} // namespace album_service
