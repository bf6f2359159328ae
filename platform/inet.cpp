#include "platform/inet.h"

#include "platform/cookie_store.h"
#include "platform/workers.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace platform::curl {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

namespace {

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

int ProgressCallback(void* self, curl_off_t, curl_off_t downloadNow, curl_off_t uploadTotal, curl_off_t uploadNow) {
  return static_cast<TransferWatch*>(self)->OnProgress(downloadNow, uploadTotal, uploadNow);
}

} // namespace

std::string ProxyForScheme(std::string_view proxyList, std::string_view scheme) {
  std::string forAll;
  std::size_t i = 0;
  while (i < proxyList.size()) {
    const std::size_t end = proxyList.find_first_of(" ;", i);
    const std::string_view entry = proxyList.substr(i, end == std::string_view::npos ? end : end - i);
    i = end == std::string_view::npos ? proxyList.size() : end + 1;
    if (entry.empty()) continue;
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (forAll.empty()) forAll = entry;
      continue;
    }
    if (LowerAscii(entry.substr(0, equals)) == LowerAscii(scheme) && equals + 1 < entry.size()) {
      return std::string(entry.substr(equals + 1));
    }
  }
  return forAll;
}

TransferWatch::TransferWatch(long sendLimit, long receiveLimit)
    : m_sendLimit(sendLimit), m_receiveLimit(receiveLimit), m_lastActivity(Clock::now()) {}

void TransferWatch::Install(CURL* handle) {
  m_handle = handle;
  m_lastActivity = Clock::now();
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &ProgressCallback);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
}

int TransferWatch::OnProgress(long long downloadNow, long long uploadTotal, long long uploadNow) {
  if (StopRequested()) {
    m_stopped = true;
    return 1;
  }
  // Until the request is on its way libcurl's own connect timeout runs, and
  // a pause would count against it; the pause takes effect right after.
  curl_off_t pretransfer = 0;
  curl_easy_getinfo(m_handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
  const bool connected = pretransfer > 0;
  auto now = Clock::now();
  if (connected) {
    const auto beforePause = now;
    PausePoint();
    now = Clock::now();
    m_lastActivity += now - beforePause;
    if (StopRequested()) {
      m_stopped = true;
      return 1;
    }
  }
  if (!connected || downloadNow != m_lastDownload || uploadNow != m_lastUpload) {
    m_lastActivity = now;
    m_lastDownload = downloadNow;
    m_lastUpload = uploadNow;
    return 0;
  }
  const long limit = (uploadTotal > 0 && uploadNow < uploadTotal) ? m_sendLimit : m_receiveLimit;
  if (limit > 0 && now - m_lastActivity > std::chrono::milliseconds(limit)) {
    m_timedOut = true;
    return 1;
  }
  return 0;
}

} // namespace platform::curl

namespace platform::inet {

struct HandleObject {
  enum class Kind { Internet, Connection, Request };
  Kind kind = Kind::Internet;

  // Session settings, passed on to the handles opened from this one.
  std::string agent;
  int accessType = OpenTypeDirect;
  std::string proxyList;
  std::string proxyBypass;
  long connectTimeout = 60000;
  long sendTimeout = 60000;
  long receiveTimeout = 60000;

  // Connection.
  std::string host;
  int port = 0;
  std::string user;
  std::string password;

  // Request.
  std::string verb;
  std::string path;
  bool http10 = false;
  std::uint32_t flags = 0;

  // Response of the last send. The body is kept in pieces so that handing it
  // out frees it as it goes: a large body is never held twice.
  bool sent = false;
  std::string headerBlock;
  bool headerBlockComplete = false;
  std::deque<std::vector<unsigned char>> pieces;
  std::size_t pieceOffset = 0;

  void ResetResponse() {
    sent = false;
    headerBlock.clear();
    headerBlockComplete = false;
    pieces.clear();
    pieceOffset = 0;
  }
};

namespace {

constexpr std::size_t PieceSize = 256 * 1024;

std::mutex g_handlesMutex;
std::unordered_set<HandleObject*> g_handles;

Handle Register(std::unique_ptr<HandleObject> object) {
  std::lock_guard lock(g_handlesMutex);
  HandleObject* raw = object.release();
  g_handles.insert(raw);
  return raw;
}

HandleObject* Live(Handle handle, HandleObject::Kind kind) {
  std::lock_guard lock(g_handlesMutex);
  if (!handle || !g_handles.contains(handle) || handle->kind != kind) return nullptr;
  return handle;
}

bool IsHostByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_';
}

bool IsPathByte(unsigned char c) { return c > 0x20 && c < 0x7F; }

bool IsTokenByte(unsigned char c) {
  return c > 0x20 && c < 0x7F && !std::strchr("()<>@,;:\\\"/[]?={}", c);
}

// Up to the first CR or LF: a value never carries a line break onto the wire.
std::string FirstLine(std::string_view text) {
  return std::string(text.substr(0, std::min(text.find_first_of("\r\n"), text.size())));
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* request = static_cast<HandleObject*>(user);
  const size_t length = size * count;
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  // Each response of a redirect chain (and each interim 1xx) begins with its
  // status line; only the last one's block is kept.
  if (line.starts_with("HTTP/")) {
    request->headerBlock.clear();
    request->headerBlockComplete = false;
  }
  if (request->headerBlockComplete) return length;  // trailers
  request->headerBlock.append(line);
  request->headerBlock.append("\r\n");
  if (line.empty()) request->headerBlockComplete = true;
  return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* request = static_cast<HandleObject*>(user);
  const size_t length = size * count;
  size_t done = 0;
  while (done < length) {
    if (request->pieces.empty() || request->pieces.back().size() >= PieceSize) {
      request->pieces.emplace_back();
      request->pieces.back().reserve(PieceSize);
    }
    std::vector<unsigned char>& piece = request->pieces.back();
    const size_t take = std::min(length - done, PieceSize - piece.size());
    piece.insert(piece.end(), data + done, data + done + take);
    done += take;
  }
  return length;
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

// One libcurl header per non-empty line: an empty line would end the
// request's headers on the wire. libcurl's own Accept, Expect and
// Content-Type stay out so that the block goes out as given.
curl_slist* HeaderList(std::string_view block) {
  curl_slist* list = nullptr;
  bool hasAccept = false, hasExpect = false, hasContentType = false;
  std::size_t i = 0;
  while (i < block.size()) {
    std::size_t end = block.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = block.size();
    const std::string_view line = block.substr(i, end - i);
    i = end + 1;
    const std::size_t colon = line.find(':');
    if (line.empty() || colon == std::string_view::npos) continue;
    const std::string name = TrimBlanks(line.substr(0, colon));
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return IsTokenByte(c); })) continue;
    const std::string lower = LowerAscii(name);
    hasAccept |= lower == "accept";
    hasExpect |= lower == "expect";
    hasContentType |= lower == "content-type";
    // libcurl reads "Name:" as "drop this header" and "Name;" as an empty value.
    const std::string value = TrimBlanks(line.substr(colon + 1));
    const std::string item = value.empty() ? name + ";" : std::string(line);
    list = curl_slist_append(list, item.c_str());
  }
  if (!hasAccept) list = curl_slist_append(list, "Accept:");
  if (!hasExpect) list = curl_slist_append(list, "Expect:");
  if (!hasContentType) list = curl_slist_append(list, "Content-Type:");
  return list;
}

std::string ProxyBypassList(std::string_view bypass) {
  std::string list;
  for (char c : bypass) list += (c == ';' || c == ' ') ? ',' : c;
  return list;
}

} // namespace

Handle InternetOpen(std::string_view agent, int accessType, std::string_view proxyName, std::string_view proxyBypass,
                    std::uint32_t) {
  if (accessType != OpenTypePreconfig && accessType != OpenTypeDirect && accessType != OpenTypeProxy) return nullptr;
  if (accessType == OpenTypeProxy && proxyName.empty()) return nullptr;
  curl::GlobalInit();
  auto session = std::make_unique<HandleObject>();
  session->kind = HandleObject::Kind::Internet;
  session->agent = FirstLine(agent);
  session->accessType = accessType;
  session->proxyList = proxyName;
  session->proxyBypass = proxyBypass;
  return Register(std::move(session));
}

Handle InternetConnect(Handle internet, std::string_view host, int port, std::string_view user,
                       std::string_view password, int service, std::uint32_t, std::uintptr_t) {
  HandleObject* session = Live(internet, HandleObject::Kind::Internet);
  if (!session || service != ServiceHttp) return nullptr;
  if (host.empty() || !std::all_of(host.begin(), host.end(), [](char c) { return IsHostByte(c); })) return nullptr;
  if (port < 0 || port > 65535) return nullptr;
  auto connection = std::make_unique<HandleObject>(*session);
  connection->kind = HandleObject::Kind::Connection;
  connection->host = host;
  connection->port = port;
  connection->user = user;
  connection->password = password;
  return Register(std::move(connection));
}

Handle HttpOpenRequest(Handle connection, std::string_view verb, std::string_view path, std::string_view version,
                       std::string_view, const char* const*, std::uint32_t flags, std::uintptr_t) {
  HandleObject* parent = Live(connection, HandleObject::Kind::Connection);
  if (!parent) return nullptr;
  if (verb.empty()) verb = "GET";
  if (!std::all_of(verb.begin(), verb.end(), [](char c) { return IsTokenByte(c); })) return nullptr;
  // A fragment never goes on the wire.
  path = path.substr(0, std::min(path.find('#'), path.size()));
  if (!path.starts_with("/")) return nullptr;
  if (!std::all_of(path.begin(), path.end(), [](char c) { return IsPathByte(static_cast<unsigned char>(c)); })) {
    return nullptr;
  }
  if (!version.empty() && version != "HTTP/1.1" && version != "HTTP/1.0") return nullptr;
  auto request = std::make_unique<HandleObject>(*parent);
  request->kind = HandleObject::Kind::Request;
  request->verb = verb;
  request->path = path;
  request->http10 = version == "HTTP/1.0";
  request->flags = flags;
  return Register(std::move(request));
}

bool HttpSendRequest(Handle handle, std::string_view headers, const void* body, std::size_t length) {
  HandleObject* request = Live(handle, HandleObject::Kind::Request);
  if (!request) return false;
  request->ResetResponse();
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy) return false;
  CURL* h = easy.get();

  const bool secure = (request->flags & FlagSecure) != 0;
  const std::string scheme = secure ? "https" : "http";
  const int port = request->port != 0 ? request->port : (secure ? 443 : 80);
  const std::string url = scheme + "://" + request->host + ":" + std::to_string(port) + request->path;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, request->http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);

  if (!(request->flags & FlagNoAutoRedirect)) {
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    const bool toHttps = !secure ? (request->flags & FlagIgnoreRedirectToHttps) != 0 : true;
    const bool toHttp = secure ? (request->flags & FlagIgnoreRedirectToHttp) != 0 : true;
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, toHttps && toHttp ? "http,https" : (toHttps ? "https" : "http"));
  }

  if (request->accessType == OpenTypeDirect) {
    curl_easy_setopt(h, CURLOPT_PROXY, "");
  } else if (request->accessType == OpenTypeProxy) {
    const std::string proxy = curl::ProxyForScheme(request->proxyList, scheme);
    curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());
    const std::string bypass = ProxyBypassList(request->proxyBypass);
    curl_easy_setopt(h, CURLOPT_NOPROXY, bypass.c_str());
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  }
  if (!request->user.empty()) {
    curl_easy_setopt(h, CURLOPT_USERNAME, request->user.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, request->password.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
  }
  if (!request->agent.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, request->agent.c_str());

  std::unique_ptr<curl_slist, SlistDeleter> headerList(HeaderList(headers));
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get());

  const std::string& verb = request->verb;
  if (verb == "HEAD") curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  if (length > 0 || verb == "POST") {
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(length));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, length > 0 ? body : "");
  }
  if (verb != "GET" || length > 0) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, verb.c_str());

  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, request);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, request);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, request->connectTimeout);
  curl::TransferWatch watch(request->sendTimeout, request->receiveTimeout);
  watch.Install(h);

  const bool useStore = !(request->flags & FlagNoCookies);
  std::vector<StoredCookie> before;
  if (useStore) {
    CookieStore::Instance().Attach(h);
    before = CookieStore::Snapshot(h);
  }
  const CURLcode result = curl_easy_perform(h);
  if (useStore) {
    const auto changes = CookieStore::Changes(before, CookieStore::Snapshot(h));
    if (!changes.empty()) CookieStore::Instance().NotifyResponseCookies(changes);
  }
  // A transfer that broke off (a short body included) leaves nothing behind:
  // a partial page must not pass for the whole one.
  if (result != CURLE_OK) {
    request->ResetResponse();
    return false;
  }
  request->sent = true;
  return true;
}

bool InternetReadFile(Handle handle, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
  if (read) *read = 0;
  HandleObject* request = Live(handle, HandleObject::Kind::Request);
  if (!request || !request->sent || !read || (!buffer && toRead > 0)) return false;
  auto* out = static_cast<unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < toRead && !request->pieces.empty()) {
    std::vector<unsigned char>& piece = request->pieces.front();
    const std::size_t available = piece.size() - request->pieceOffset;
    const std::size_t take = std::min<std::size_t>(available, toRead - done);
    std::memcpy(out + done, piece.data() + request->pieceOffset, take);
    done += static_cast<std::uint32_t>(take);
    request->pieceOffset += take;
    if (request->pieceOffset == piece.size()) {
      request->pieces.pop_front();
      request->pieceOffset = 0;
    }
  }
  *read = done;
  return true;
}

bool HttpQueryInfo(Handle handle, int infoLevel, char* buffer, std::uint32_t* length, std::uint32_t*) {
  HandleObject* request = Live(handle, HandleObject::Kind::Request);
  if (!request || !request->sent || !length || infoLevel != QueryRawHeadersCrlf) return false;
  const std::string& block = request->headerBlock;
  if (!buffer || block.size() + 1 > *length) {
    *length = static_cast<std::uint32_t>(block.size() + 1);
    return false;
  }
  std::memcpy(buffer, block.data(), block.size());
  buffer[block.size()] = '\0';
  *length = static_cast<std::uint32_t>(block.size());
  return true;
}

bool InternetSetOption(Handle handle, int option, unsigned long value) {
  HandleObject* object = Live(handle, HandleObject::Kind::Internet);
  if (!object) object = Live(handle, HandleObject::Kind::Connection);
  if (!object) object = Live(handle, HandleObject::Kind::Request);
  if (!object) return false;
  const long limit = static_cast<long>(std::min<unsigned long>(value, 0x7FFFFFFF));
  switch (option) {
  case OptionConnectTimeout: object->connectTimeout = limit; return true;
  case OptionSendTimeout: object->sendTimeout = limit; return true;
  case OptionReceiveTimeout: object->receiveTimeout = limit; return true;
  default: return false;
  }
}

bool InternetCloseHandle(Handle handle) {
  if (!handle) return false;
  {
    std::lock_guard lock(g_handlesMutex);
    if (!g_handles.erase(handle)) return false;
  }
  delete handle;
  return true;
}

} // namespace platform::inet
