#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

typedef void CURL;

// The Internet session the program was written against, on libcurl: open a
// session (agent, proxy), connect (host, port), open a request (verb, path,
// flags), send it (header block, body), read the body in pieces, query the
// raw header block, close. The transfer itself runs inside HttpSendRequest;
// the reads then hand out what arrived.
namespace platform::inet {

// One handle type for sessions, connections and requests; null is failure.
struct HandleObject;
using Handle = HandleObject*;

// Access types of InternetOpen. Preconfigured takes the proxy from the
// environment, as libcurl does by default.
inline constexpr int OpenTypePreconfig = 0;
inline constexpr int OpenTypeDirect = 1;
inline constexpr int OpenTypeProxy = 3;

inline constexpr int ServiceHttp = 3;

// Request flags.
inline constexpr std::uint32_t FlagReload = 0x80000000;
inline constexpr std::uint32_t FlagNeedFile = 0x00000010;
inline constexpr std::uint32_t FlagNoCookies = 0x00080000;
inline constexpr std::uint32_t FlagNoAutoRedirect = 0x00200000;
inline constexpr std::uint32_t FlagSecure = 0x00800000;
inline constexpr std::uint32_t FlagIgnoreRedirectToHttps = 0x00004000;
inline constexpr std::uint32_t FlagIgnoreRedirectToHttp = 0x00008000;

// Info level of HttpQueryInfo: status line and every header line of the
// final response, each ending in CR LF, then an empty line.
inline constexpr int QueryRawHeadersCrlf = 22;

// Options of InternetSetOption, in milliseconds (0: no limit). A handle
// passes its settings on to the handles opened from it afterwards. The
// receive and send limits are the longest silence while waiting for data.
inline constexpr int OptionConnectTimeout = 2;
inline constexpr int OptionSendTimeout = 5;
inline constexpr int OptionReceiveTimeout = 6;

// proxyName: entries separated by spaces or ";", each "host:port" (for
// every scheme) or "scheme=host:port" (only for that scheme).
Handle InternetOpen(std::string_view agent, int accessType, std::string_view proxyName,
                    std::string_view proxyBypass, std::uint32_t flags);
// Port 0 is the scheme's default port. An empty host, one with bytes that
// no host name has, or a port beyond 65535 gives a null handle.
Handle InternetConnect(Handle internet, std::string_view host, int port, std::string_view user,
                       std::string_view password, int service, std::uint32_t flags, std::uintptr_t context);
// The path goes on the wire as given up to a "#"; a path that does not
// begin with "/" or holds spaces, control bytes or bytes above 0x7E gives a
// null handle.
Handle HttpOpenRequest(Handle connection, std::string_view verb, std::string_view path, std::string_view version,
                       std::string_view referrer, const char* const* acceptTypes, std::uint32_t flags,
                       std::uintptr_t context);
// headers: lines separated by CR LF; empty lines are skipped. False when the
// transfer failed; a failed transfer leaves nothing to read or query.
bool HttpSendRequest(Handle request, std::string_view headers, const void* body, std::size_t length);
// Up to toRead bytes of the body; *read of 0 means the end.
bool InternetReadFile(Handle request, void* buffer, std::uint32_t toRead, std::uint32_t* read);
// When the block and its terminating zero do not fit into *length bytes the
// call fails, the buffer stays as it was and *length receives the size needed.
bool HttpQueryInfo(Handle request, int infoLevel, char* buffer, std::uint32_t* length, std::uint32_t* index);
bool InternetSetOption(Handle handle, int option, unsigned long value);
// Closing null is harmless (and false).
bool InternetCloseHandle(Handle handle);

} // namespace platform::inet

// Shared by both libcurl layers (the Internet session and the request object).
namespace platform::curl {

// curl_global_init, once per process, before the first handle.
void GlobalInit();

// The proxy of a WinINet/WinHTTP style proxy list that serves a scheme
// ("http" or "https"): a "scheme=" entry for it, else an entry without a
// scheme; empty when none does.
std::string ProxyForScheme(std::string_view proxyList, std::string_view scheme);

// Pause, stop and the silence limits of one transfer, from libcurl's
// progress callback: the callback blocks at the calling worker's pause point
// (time spent paused counts as neither silence nor failure) and aborts the
// transfer when the program stops or when no byte moved for longer than the
// limit. A transfer paused this way continues where it was.
class TransferWatch {
public:
  // Milliseconds; 0 means no limit.
  TransferWatch(long sendLimit, long receiveLimit);
  void Install(CURL* handle);
  bool TimedOut() const { return m_timedOut; }
  bool Stopped() const { return m_stopped; }

  // Called by the progress callback; non-zero aborts the transfer.
  int OnProgress(long long downloadNow, long long uploadTotal, long long uploadNow);

private:

  using Clock = std::chrono::steady_clock;
  CURL* m_handle = nullptr;
  long m_sendLimit;
  long m_receiveLimit;
  Clock::time_point m_lastActivity;
  long long m_lastDownload = -1;
  long long m_lastUpload = -1;
  bool m_timedOut = false;
  bool m_stopped = false;
};

} // namespace platform::curl
