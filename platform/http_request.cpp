#include "platform/http_request.h"

#include "platform/inet.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace platform {
namespace {

// What the object sends when the caller sets no User-Agent of its own.
constexpr const char* DefaultAgent = "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";

constexpr long IgnoreUnknownAuthority = 0x0100;
constexpr long IgnoreWrongUsage = 0x0200;
constexpr long IgnoreNameMismatch = 0x1000;
constexpr long IgnoreDateInvalid = 0x2000;

constexpr int OptionSslErrorIgnoreFlags = 4;
constexpr int OptionEnableRedirects = 6;

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool IsTokenByte(unsigned char c) {
  return c > 0x20 && c < 0x7F && !std::strchr("()<>@,;:\\\"/[]?={}", c);
}

bool IsToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return IsTokenByte(c); });
}

// Addresses are taken as the object takes them: http or https, a host, and
// no byte that would have to be escaped first.
bool AcceptableAddress(const std::string& address) {
  if (!std::all_of(address.begin(), address.end(),
                   [](char c) { return static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F; })) {
    return false;
  }
  CURLU* url = curl_url();
  if (!url) return false;
  bool ok = curl_url_set(url, CURLUPART_URL, address.c_str(), CURLU_PATH_AS_IS) == CURLUE_OK;
  char* scheme = nullptr;
  char* host = nullptr;
  if (ok) ok = curl_url_get(url, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK;
  if (ok) ok = std::strcmp(scheme, "http") == 0 || std::strcmp(scheme, "https") == 0;
  if (ok) ok = curl_url_get(url, CURLUPART_HOST, &host, 0) == CURLUE_OK && host[0] != '\0';
  curl_free(scheme);
  curl_free(host);
  curl_url_cleanup(url);
  return ok;
}

// Room for the announced body up front, so that a large one is not copied
// again and again while it grows; an absurd announcement reserves nothing.
void ReserveForContentLength(ByteBuffer& body, std::string_view line) {
  constexpr std::string_view Name = "content-length:";
  if (line.size() <= Name.size() || LowerAscii(line.substr(0, Name.size())) != Name) return;
  const unsigned long long announced = std::strtoull(std::string(line.substr(Name.size())).c_str(), nullptr, 10);
  constexpr unsigned long long Largest = 512ull * 1024 * 1024;
  if (announced > 0 && announced <= Largest) body.reserve(static_cast<std::size_t>(announced));
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

} // namespace

struct HttpRequest::Impl {
  // Settings, kept across Open as the object keeps them. Milliseconds, 0 no limit.
  long resolveTimeout = 0;
  long connectTimeout = 60000;
  long sendTimeout = 30000;
  long receiveTimeout = 30000;
  std::string proxy;
  std::string proxyUser;
  std::string proxyPassword;
  std::string serverUser;
  std::string serverPassword;
  bool followRedirects = true;
  long ignoredCertificateErrors = 0;

  // The opened request.
  bool opened = false;
  std::string verb;
  std::string address;
  std::vector<std::pair<std::string, std::string>> headers;

  // The response of the last Send; empty unless that Send completed.
  bool answered = false;
  ByteBuffer body;
  std::string headerLines;
  bool headerLinesComplete = false;
  int status = 0;

  void ResetResponse() {
    answered = false;
    body.clear();
    body.shrink_to_fit();
    headerLines.clear();
    headerLinesComplete = false;
    status = 0;
  }

  void Perform(const void* data, std::size_t length);

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    const size_t length = size * count;
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    // Only the last response of a redirect chain counts; its status line is
    // read from libcurl afterwards.
    if (line.starts_with("HTTP/")) {
      self->headerLines.clear();
      self->headerLinesComplete = false;
      return length;
    }
    if (self->headerLinesComplete) return length;
    if (line.empty()) {
      self->headerLinesComplete = true;
      return length;
    }
    self->headerLines.append(line);
    self->headerLines.append("\r\n");
    ReserveForContentLength(self->body, line);
    return length;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    const size_t length = size * count;
    // As bytes of the buffer's own type: from char the copy is a loop over
    // single bytes, several times slower than one block copy on a large photo.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    self->body.insert(self->body.end(), bytes, bytes + length);
    return length;
  }
};

void HttpRequest::Impl::Perform(const void* data, std::size_t length) {
  ResetResponse();
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy) return;
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_URL, address.c_str());
  curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  if (followRedirects) {
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  }
  if (ignoredCertificateErrors & (IgnoreUnknownAuthority | IgnoreWrongUsage | IgnoreDateInvalid)) {
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
  }
  if (ignoredCertificateErrors & IgnoreNameMismatch) curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);

  const std::string scheme = LowerAscii(address).starts_with("https:") ? "https" : "http";
  const std::string proxyServer = curl::ProxyForScheme(proxy, scheme);
  curl_easy_setopt(h, CURLOPT_PROXY, proxyServer.c_str());  // "" keeps the environment's proxy out
  if (!proxyServer.empty()) {
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!proxyUser.empty()) {
      curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, proxyUser.c_str());
      curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, proxyPassword.c_str());
      curl_easy_setopt(h, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }
  }
  if (!serverUser.empty()) {
    curl_easy_setopt(h, CURLOPT_USERNAME, serverUser.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, serverPassword.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
  }

  curl_slist* list = nullptr;
  bool hasAccept = false, hasExpect = false, hasContentType = false, hasAgent = false;
  for (const auto& [name, value] : headers) {
    const std::string lower = LowerAscii(name);
    hasAccept |= lower == "accept";
    hasExpect |= lower == "expect";
    hasContentType |= lower == "content-type";
    hasAgent |= lower == "user-agent";
    list = curl_slist_append(list, (name + ": " + value).c_str());
  }
  // Only the caller's headers go out, never libcurl's own Accept, Expect or
  // Content-Type.
  if (!hasAccept) list = curl_slist_append(list, "Accept:");
  if (!hasExpect) list = curl_slist_append(list, "Expect:");
  if (!hasContentType) list = curl_slist_append(list, "Content-Type:");
  std::unique_ptr<curl_slist, SlistDeleter> headerList(list);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get());
  if (!hasAgent) curl_easy_setopt(h, CURLOPT_USERAGENT, DefaultAgent);

  if (verb == "HEAD") curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  if (length > 0 || verb == "POST" || verb == "PUT") {
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(length));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, length > 0 ? data : "");
  }
  if (verb != "GET" || length > 0) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, verb.c_str());

  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
  // libcurl's connect timeout covers the name lookup as well.
  const long connectLimit = connectTimeout > 0 ? connectTimeout + std::max(resolveTimeout, 0L) : 0;
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectLimit);
  // Not CURLOPT_TIMEOUT: that would also run out while the worker is paused.
  curl::TransferWatch watch(sendTimeout, receiveTimeout);
  watch.Install(h);

  const CURLcode result = curl_easy_perform(h);
  long code = 0;
  if (result == CURLE_OK) curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
  if (result != CURLE_OK || code <= 0) {
    ResetResponse();
    return;
  }
  status = static_cast<int>(code);
  answered = true;
}

HttpRequest::HttpRequest() : m_impl(std::make_unique<Impl>()) { curl::GlobalInit(); }

HttpRequest::~HttpRequest() = default;

void HttpRequest::SetTimeouts(int resolve, int connect, int send, int receive) {
  auto limit = [](int value) { return value < 0 ? 0L : static_cast<long>(value); };
  m_impl->resolveTimeout = limit(resolve);
  m_impl->connectTimeout = limit(connect);
  m_impl->sendTimeout = limit(send);
  m_impl->receiveTimeout = limit(receive);
}

void HttpRequest::SetProxy(int setting, const std::string& server) {
  if (setting == 2) {
    if (server.empty() || server.find_first_of("\r\n") != std::string::npos) return;
    m_impl->proxy = server;
  } else if (setting == 0 || setting == 1) {
    m_impl->proxy.clear();
  }
}

void HttpRequest::SetCredentials(const std::string& user, const std::string& password, int target) {
  // Kept until replaced, whether given before or after Open.
  if (target == 1) {
    m_impl->proxyUser = user;
    m_impl->proxyPassword = password;
  } else if (target == 0) {
    m_impl->serverUser = user;
    m_impl->serverPassword = password;
  }
}

void HttpRequest::Open(const std::string& verb, const std::string& address, bool asynchronous) {
  // Open always ends the previous request, so that a rejected address never
  // leaves the object ready to send the old one again.
  m_impl->opened = false;
  m_impl->headers.clear();
  m_impl->ResetResponse();
  if (asynchronous || !IsToken(verb) || !AcceptableAddress(address)) return;
  m_impl->verb = verb;
  m_impl->address = address;
  m_impl->opened = true;
}

void HttpRequest::SetOption(int option, long value) {
  if (option == OptionSslErrorIgnoreFlags) {
    m_impl->ignoredCertificateErrors = value;
  } else if (option == OptionEnableRedirects) {
    m_impl->followRedirects = value != 0;
  }
}

void HttpRequest::SetRequestHeader(const std::string& name, const std::string& value) {
  if (!m_impl->opened || !IsToken(name) || value.find_first_of("\r\n") != std::string::npos) return;
  // A second header of the same name replaces the first, as the request
  // object this program was written for does.
  // An empty value takes the header out.
  auto& headers = m_impl->headers;
  const std::string lower = LowerAscii(name);
  auto same = std::find_if(headers.begin(), headers.end(),
                           [&](const auto& header) { return LowerAscii(header.first) == lower; });
  if (value.empty()) {
    if (same != headers.end()) headers.erase(same);
  } else if (same != headers.end()) {
    same->second = value;
  } else {
    headers.emplace_back(name, value);
  }
}

void HttpRequest::Send(const ByteBuffer& body) {
  if (!m_impl->opened) return;
  m_impl->Perform(body.data(), body.size());
}

void HttpRequest::Send(const std::string& body) {
  if (!m_impl->opened) return;
  m_impl->Perform(body.data(), body.size());
}

ByteBuffer HttpRequest::ResponseBody() const { return m_impl->answered ? m_impl->body : ByteBuffer{}; }

ByteBuffer HttpRequest::TakeResponseBody() {
  if (!m_impl->answered) return {};
  ByteBuffer body = std::move(m_impl->body);
  m_impl->body.clear();
  return body;
}

std::string HttpRequest::GetAllResponseHeaders() const {
  return m_impl->answered ? m_impl->headerLines : std::string{};
}

int HttpRequest::Status() const { return m_impl->answered ? m_impl->status : 0; }

} // namespace platform
