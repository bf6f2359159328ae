#include "tools/album-service/album_service.h"

#include "platform/codepage.h"
#include "tools/album-service/pages.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <regex>
#include <set>
#include <thread>

namespace album_service {
namespace {

constexpr const char* HtmlUtf8 = "text/html; charset=utf-8";
constexpr const char* HtmlGbk = "text/html; charset=gbk";
constexpr const char* Jpeg = "image/jpeg";
constexpr std::string_view AlbumDataPath = "/photo/wkorvental/dwr/call/plaincall/AlbumBean.getAlbumData.dwr";

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// name=value pairs of every Cookie header, in order.
std::vector<std::pair<std::string, std::string>>
ParseCookies(const std::vector<std::pair<std::string, std::string>>& headers) {
  std::vector<std::pair<std::string, std::string>> cookies;
  for (const auto& [name, value] : headers) {
    if (!EqualsNoCase(name, "Cookie")) continue;
    std::string_view rest = value;
    while (!rest.empty()) {
      const std::size_t end = rest.find(';');
      const std::string_view piece = Trim(rest.substr(0, end));
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      const std::size_t equals = piece.find('=');
      if (piece.empty() || equals == std::string_view::npos) continue;
      cookies.emplace_back(std::string(Trim(piece.substr(0, equals))), std::string(Trim(piece.substr(equals + 1))));
    }
  }
  return cookies;
}

std::optional<std::int64_t> ParseId(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> segments;
  if (!path.empty() && path.front() == '/') path.remove_prefix(1);
  while (true) {
    const std::size_t slash = path.find('/');
    segments.push_back(path.substr(0, slash));
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return segments;
}

struct Reply {
  int status = 200;
  std::string contentType = HtmlUtf8;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

Reply Page(int status, std::string body, std::string contentType = HtmlUtf8) {
  return Reply{status, std::move(contentType), std::move(body), {}};
}

Reply NotFound(const std::string& message = "找不到您要访问的页面") {
  return Page(404, pages::ErrorPage(404, message));
}

Reply Redirect(const std::string& location) {
  Reply reply = Page(302, pages::ErrorPage(302, "页面已移动"));
  reply.headers.emplace_back("Location", location);
  return reply;
}

Reply Picture(const std::string& bytes) { return Page(200, bytes, Jpeg); }

} // namespace

std::string RecordedRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (EqualsNoCase(key, name)) return value;
  return {};
}

std::optional<std::string> RecordedRequest::Cookie(std::string_view name) const {
  for (auto& [key, value] : ParseCookies(headers))
    if (key == name) return value;
  return std::nullopt;
}

Fault Fault::At(std::string host, std::string rawPath) {
  Fault fault;
  fault.host = std::move(host);
  fault.path = std::move(rawPath);
  return fault;
}

Fault Fault::Matching(std::string host, std::string pattern) {
  Fault fault;
  fault.host = std::move(host);
  fault.pattern = std::move(pattern);
  return fault;
}

Fault& Fault::WithStatus(int code, std::string replyBody) {
  status = code;
  body = std::move(replyBody);
  return *this;
}

Fault& Fault::WithDelay(int ms) {
  delayMs = ms;
  return *this;
}

Fault& Fault::DropAfter(std::size_t bytes) {
  dropAfterBytes = bytes;
  return *this;
}

Fault& Fault::WithHugeHeaders(std::size_t bytes) {
  headerBlockBytes = bytes;
  return *this;
}

Fault& Fault::WithHtmlBody() {
  htmlInsteadOfBody = true;
  return *this;
}

Fault& Fault::TruncateBody() {
  truncateBody = true;
  return *this;
}

Fault& Fault::ForNext(int requests) {
  times = requests;
  return *this;
}

std::string SessionCookies::CookieHeader() const {
  if (session.empty() || info.empty()) return {};
  return session + "; " + info;
}

struct AlbumService::Impl {
  explicit Impl(ServiceData d) : data(std::move(d)) {}

  struct ArmedFault {
    Fault fault;
    std::optional<std::regex> pattern;
  };

  struct Visitor {
    std::string sessionUser; // from a valid session cookie
    std::string infoUser;    // from a valid sign-in info cookie
    std::set<std::int64_t> access;
    std::string User() const { return sessionUser.empty() ? infoUser : sessionUser; }
  };

  const ServiceData data;
  std::unique_ptr<httplib::Server> server;
  std::thread listener;
  std::atomic<int> port{-1};

  mutable std::mutex mutex;
  std::condition_variable stopSignal;
  bool stopping = false;
  std::mt19937_64 random{std::random_device{}()};
  std::map<std::string, std::string> sessions;                // token -> user
  std::map<std::int64_t, std::set<std::string>> accessTokens; // album -> tokens
  std::vector<ArmedFault> faults;
  std::vector<std::pair<std::uint64_t, RecordedRequest>> log;
  std::uint64_t nextSequence = 0;

  std::string HostWithPort(std::string_view host) const {
    return std::string(host) + ":" + std::to_string(port.load());
  }
  std::string SiteRoot() const { return "http://" + HostWithPort(SiteHost) + "/"; }
  std::string AlbumListScriptUrl(const std::string& account) const { return SiteRoot() + "albums/" + account + ".js"; }
  std::string PhotoListAddress(const std::string& account, std::int64_t id) const {
    return HostWithPort(SiteHost) + "/list/" + account + "/" + std::to_string(id) + ".js";
  }

  std::string NewToken() {
    static constexpr char digits[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 32; ++i) token += digits[random() & 0xF];
    return token;
  }

  SessionCookies NewSession(const std::string& user) {
    std::lock_guard lock(mutex);
    const std::string token = NewToken();
    sessions[token] = user;
    return SessionCookies{std::string(SessionCookieName) + "=" + token,
                          std::string(InfoCookieName) + "=" + user + "|" + token};
  }

  std::string NewAccess(std::int64_t albumId) {
    std::lock_guard lock(mutex);
    const std::string token = NewToken();
    accessTokens[albumId].insert(token);
    return std::string(AccessCookiePrefix) + std::to_string(albumId) + "=" + token;
  }

  Visitor Identify(const RecordedRequest& request) const {
    Visitor visitor;
    std::lock_guard lock(mutex);
    for (const auto& [name, value] : ParseCookies(request.headers)) {
      if (name == SessionCookieName) {
        if (auto found = sessions.find(value); found != sessions.end()) visitor.sessionUser = found->second;
      } else if (name == InfoCookieName) {
        std::string_view info = value;
        std::size_t bar = info.find('|');
        std::size_t skip = 1;
        if (bar == std::string_view::npos) {
          bar = Lower(info).find("%7c");
          skip = 3;
        }
        if (bar == std::string_view::npos) continue;
        const auto found = sessions.find(std::string(info.substr(bar + skip)));
        if (found != sessions.end() && found->second == info.substr(0, bar)) visitor.infoUser = found->second;
      } else if (name.starts_with(AccessCookiePrefix)) {
        const auto id = ParseId(std::string_view(name).substr(AccessCookiePrefix.size()));
        if (!id) continue;
        const auto tokens = accessTokens.find(*id);
        if (tokens != accessTokens.end() && tokens->second.count(value)) visitor.access.insert(*id);
      }
    }
    return visitor;
  }

  // --- the album site -----------------------------------------------------

  Reply SignInPage(const Visitor& visitor, bool failed) const {
    std::vector<pages::AccountLink> links;
    for (const Account& account : data.accounts) links.push_back({account.name, SiteRoot() + account.name + "/"});
    return Page(200, pages::SignInPage(visitor.User(), failed, links));
  }

  Reply SignIn(const httplib::Request& req) {
    const std::string user = req.get_param_value("user");
    const User* known = data.FindUser(user);
    if (!known || known->password != req.get_param_value("password")) return SignInPage(Visitor{}, true);
    const SessionCookies cookies = NewSession(user);
    Reply reply = Redirect(SiteRoot());
    // No Domain attribute: both cookies stay with the album site's host.
    reply.headers.emplace_back("Set-Cookie", cookies.session + "; Path=/; HttpOnly");
    reply.headers.emplace_back("Set-Cookie", cookies.info + "; Path=/");
    return reply;
  }

  Reply SignOut() const {
    Reply reply = Redirect(SiteRoot());
    reply.headers.emplace_back("Set-Cookie", std::string(SessionCookieName) + "=; Path=/; Max-Age=0; HttpOnly");
    reply.headers.emplace_back("Set-Cookie", std::string(InfoCookieName) + "=; Path=/; Max-Age=0");
    return reply;
  }

  Reply AccountPage(const Account& account, const Visitor& visitor) const {
    if (account.homeNeedsSignIn && visitor.User().empty())
      return Page(200, platform::Utf8ToGbk(pages::SignInRequiredPage(account, SiteRoot())), HtmlGbk);
    std::vector<pages::AlbumView> views;
    for (const Album& album : account.albums)
      views.push_back({&album, visitor.User() == account.owner || visitor.access.count(album.id) > 0});
    return Page(200, platform::Utf8ToGbk(pages::AccountPage(account, AlbumListScriptUrl(account.name), views)),
                HtmlGbk);
  }

  Reply EnterAlbum(const Account& account, const httplib::Request& req) {
    const auto id = ParseId(req.get_param_value("aid"));
    const Album* album = id ? data.FindAlbum(*id) : nullptr;
    const bool ofAccount = album && std::any_of(account.albums.begin(), account.albums.end(),
                                                [&](const Album& a) { return a.id == album->id; });
    if (!ofAccount) return NotFound("相册不存在");
    const bool granted = !album->accessPassword.empty() && req.get_param_value("password") == album->accessPassword;
    Reply reply = Page(200, pages::AccessPage(account, *album, granted));
    if (granted) reply.headers.emplace_back("Set-Cookie", NewAccess(album->id) + "; Path=/; HttpOnly");
    return reply;
  }

  Reply AlbumListScript(const Account& account) const {
    std::vector<std::string> purls;
    for (const Album& album : account.albums)
      purls.push_back(album.photoListOpen ? PhotoListAddress(account.name, album.id) : std::string());
    return Page(200, platform::Utf8ToGbk(pages::AlbumListScript(account, purls)),
                "application/x-javascript; charset=gbk");
  }

  Reply AlbumData(const httplib::Request& req, const Visitor& visitor) const {
    std::string batchId = req.get_param_value("batchId");
    if (batchId.empty()) batchId = "0";
    auto error = [&](const std::string& message) {
      return Page(200, pages::DwrError(batchId, message), "text/javascript");
    };
    if (req.get_param_value("callCount") != "1" || req.get_param_value("c0-scriptName") != "AlbumBean" ||
        req.get_param_value("c0-methodName") != "getAlbumData")
      return error("\\u53c2\\u6570\\u9519\\u8bef"); // 参数错误
    const std::string param = req.get_param_value("c0-param0");
    const auto id = param.starts_with("number:") ? ParseId(std::string_view(param).substr(7)) : std::nullopt;
    const Account* account = nullptr;
    const Album* album = id ? data.FindAlbum(*id, &account) : nullptr;
    if (!album) return error("\\u76f8\\u518c\\u4e0d\\u5b58\\u5728"); // 相册不存在
    if (visitor.sessionUser != account->owner && !visitor.access.count(album->id))
      return error("\\u65e0\\u6743\\u9650"); // 无权限
    return Page(200, pages::DwrResult(batchId, PhotoListAddress(account->name, album->id)), "text/javascript");
  }

  Reply PhotoList(std::string_view accountName, std::string_view file, const Visitor& visitor) const {
    const Account* account = data.FindAccount(std::string(accountName));
    if (!account || !file.ends_with(".js")) return NotFound();
    const auto id = ParseId(file.substr(0, file.size() - 3));
    const auto album =
        std::find_if(account->albums.begin(), account->albums.end(), [&](const Album& a) { return id && a.id == *id; });
    if (album == account->albums.end()) return NotFound("相册不存在");
    // Only the page-readable cookie counts here: that is what a client that
    // hands over the browser's document cookie sends.
    if (visitor.infoUser.empty()) return Page(403, pages::ErrorPage(403, "请先登录"));
    return Page(200, pages::PhotoListScript(*album), "application/x-javascript; charset=utf-8");
  }

  Reply Site(const httplib::Request& req, const RecordedRequest& request) {
    const Visitor visitor = Identify(request);
    const bool post = request.method == "POST";
    if (request.path == "/") return SignInPage(visitor, false);
    if (request.path == "/login") return post ? SignIn(req) : SignInPage(visitor, false);
    if (request.path == "/logout") return SignOut();
    if (request.path == AlbumDataPath) return AlbumData(req, visitor);

    const std::vector<std::string_view> segments = Segments(request.path);
    if (segments.size() == 2 && segments[0] == "albums" && segments[1].ends_with(".js")) {
      const Account* account = data.FindAccount(std::string(segments[1].substr(0, segments[1].size() - 3)));
      return account ? AlbumListScript(*account) : NotFound();
    }
    if (segments.size() == 3 && segments[0] == "list") return PhotoList(segments[1], segments[2], visitor);

    const Account* account = data.FindAccount(std::string(segments[0]));
    if (!account) return NotFound("用户不存在");
    if (segments.size() == 1) return Redirect(SiteRoot() + account->name + "/");
    if (segments.size() == 2 && segments[1].empty()) return AccountPage(*account, visitor);
    if (segments.size() == 2 && segments[1] == "access")
      return post ? EnterAlbum(*account, req) : Redirect(SiteRoot() + account->name + "/");
    return NotFound();
  }

  // --- pictures and the maker -------------------------------------------

  Reply PhotoHost(const RecordedRequest& request, bool primary) const {
    // The primary host is asked for "//photo/...", the fallback for "/photo/...".
    const std::string& raw = request.path;
    const bool doubled = raw.starts_with("//");
    if (primary != doubled) return NotFound();
    const Photo* photo = data.FindPhoto(primary ? raw.substr(1) : raw);
    if (!photo || !(primary ? photo->onPrimary : photo->onFallback)) return NotFound();
    return Picture(photo->bytes);
  }

  Reply CoverHost(const RecordedRequest& request, bool primary) const {
    if (request.path.size() < 2) return NotFound();
    const Album* album = data.FindAlbumByCover(request.path.substr(1));
    if (!album || !(primary ? album->coverOnPrimary : album->coverOnFallback)) return NotFound();
    return Picture(album->coverBytes);
  }

  Reply Maker(const RecordedRequest& request) const {
    if (request.path == "/version")
      return Page(200, platform::Utf8ToGbk(pages::VersionPage(data.makerVersion)), HtmlGbk);
    if (request.path == "/") return Page(200, pages::MakerPage(data.makerVersion));
    if (request.path == "/chat") return Page(200, pages::ChatPage());
    return NotFound();
  }

  Reply Route(const httplib::Request& req, const RecordedRequest& request) {
    const std::string& host = request.host;
    if (request.method != "GET" && request.method != "HEAD" && request.method != "POST")
      return Page(405, pages::ErrorPage(405, "Method Not Allowed"));
    if (host == SiteHost) return Site(req, request);
    if (host.ends_with(SubdomainSuffix) && host.size() > SubdomainSuffix.size())
      return Redirect(SiteRoot() + host.substr(0, host.size() - SubdomainSuffix.size()) + "/");
    if (host == PhotoHostPrimary) return PhotoHost(request, true);
    if (host == PhotoHostFallback) return PhotoHost(request, false);
    if (host == CoverHostPrimary) return CoverHost(request, true);
    if (host == CoverHostFallback) return CoverHost(request, false);
    if (host == MakerHost) return Maker(request);
    return NotFound("未知的主机：" + host);
  }

  // --- faults, the log and the wire ---------------------------------------

  static RecordedRequest Record(const httplib::Request& req) {
    RecordedRequest request;
    const std::string hostHeader = req.get_header_value("Host");
    request.host = Lower(std::string_view(hostHeader).substr(0, hostHeader.find(':')));
    request.method = req.method;
    request.target = req.target;
    request.path = req.target.substr(0, req.target.find('?'));
    for (const auto& [name, value] : req.headers) request.headers.emplace_back(name, value);
    request.body = req.body;
    return request;
  }

  std::optional<Fault> TakeFault(const RecordedRequest& request) {
    std::lock_guard lock(mutex);
    for (auto armed = faults.begin(); armed != faults.end(); ++armed) {
      const Fault& fault = armed->fault;
      if (!fault.host.empty() && Lower(fault.host) != request.host) continue;
      if (armed->pattern) {
        if (!std::regex_search(request.target, *armed->pattern)) continue;
      } else if (!fault.path.empty() && fault.path != request.path && fault.path != request.target) {
        continue;
      }
      Fault taken = fault;
      if (armed->fault.times > 0 && --armed->fault.times == 0) faults.erase(armed);
      return taken;
    }
    return std::nullopt;
  }

  // A slow reply ends early when the service stops.
  void Delay(int ms) {
    std::unique_lock lock(mutex);
    stopSignal.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
  }

  static void Apply(const Fault& fault, Reply& reply) {
    if (fault.htmlInsteadOfBody) {
      reply.status = 200;
      reply.contentType = HtmlUtf8;
      reply.body = pages::NotAPicturePage();
    }
    if (fault.truncateBody) reply.body.resize(reply.body.size() / 2);
    if (fault.headerBlockBytes > 0) {
      std::size_t total = 0;
      for (int i = 1; total <= fault.headerBlockBytes; ++i) {
        std::string name = "X-Padding-" + std::to_string(i);
        std::string value(120, static_cast<char>('a' + i % 26));
        total += name.size() + value.size() + 4;
        reply.headers.emplace_back(std::move(name), std::move(value));
      }
    }
  }

  static void Send(Reply reply, const std::optional<std::size_t>& dropAfter, httplib::Response& res) {
    res.status = reply.status;
    for (auto& [name, value] : reply.headers) res.headers.emplace(name, value);
    if (dropAfter && *dropAfter < reply.body.size()) {
      const auto body = std::make_shared<std::string>(std::move(reply.body));
      const std::size_t keep = *dropAfter;
      // The full length is announced; returning false after `keep` bytes
      // makes the server close the connection mid-body.
      res.set_content_provider(body->size(), reply.contentType,
                               [body, keep](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 if (offset >= keep) return false;
                                 sink.write(body->data() + offset, std::min(length, keep - offset));
                                 return true;
                               });
      return;
    }
    res.set_content(reply.body, reply.contentType);
  }

  void Handle(const httplib::Request& req, httplib::Response& res) {
    RecordedRequest request = Record(req);
    std::uint64_t sequence;
    {
      std::lock_guard lock(mutex);
      sequence = nextSequence++;
      log.emplace_back(sequence, request);
    }
    const std::optional<Fault> fault = TakeFault(request);
    if (fault && fault->delayMs > 0) Delay(fault->delayMs);

    Reply reply =
        fault && fault->status != 0 ? Page(fault->status, fault->body, fault->contentType) : Route(req, request);
    if (fault) Apply(*fault, reply);
    const int status = reply.status;
    Send(std::move(reply), fault ? fault->dropAfterBytes : std::nullopt, res);

    std::lock_guard lock(mutex);
    for (auto& [seq, entry] : log)
      if (seq == sequence) entry.status = status;
  }
};

AlbumService::AlbumService(ServiceData data) : m_impl(std::make_unique<Impl>(std::move(data))) {}

AlbumService::~AlbumService() { Stop(); }

int AlbumService::Start(int port) {
  Impl& impl = *m_impl;
  if (impl.server) return -1;
  auto server = std::make_unique<httplib::Server>();
  server->new_task_queue = [] { return new httplib::ThreadPool(16); };
  server->set_keep_alive_max_count(100);
  server->set_keep_alive_timeout(1);
  // The library's default is SO_REUSEPORT, which lets a second service bind
  // the same port and quietly take half of the requests.
  server->set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  });
  const auto handler = [&impl](const httplib::Request& req, httplib::Response& res) { impl.Handle(req, res); };
  // One catch-all route: hosts and raw paths are told apart by Handle, not
  // by the library's router, which sees only the decoded path.
  server->Get(".*", handler);
  server->Post(".*", handler);
  server->Put(".*", handler);
  server->Delete(".*", handler);
  server->Patch(".*", handler);
  server->Options(".*", handler);

  int bound = -1;
  if (port == 0)
    bound = server->bind_to_any_port("127.0.0.1");
  else if (server->bind_to_port("127.0.0.1", port))
    bound = port;
  if (bound <= 0) return -1;

  {
    std::lock_guard lock(impl.mutex);
    impl.stopping = false;
  }
  impl.port = bound;
  impl.server = std::move(server);
  impl.listener = std::thread([server = impl.server.get()] { server->listen_after_bind(); });
  while (!impl.server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return bound;
}

void AlbumService::Stop() {
  Impl& impl = *m_impl;
  if (!impl.server) return;
  {
    std::lock_guard lock(impl.mutex);
    impl.stopping = true;
  }
  impl.stopSignal.notify_all();
  impl.server->stop();
  if (impl.listener.joinable()) impl.listener.join();
  impl.server.reset();
}

int AlbumService::Port() const { return m_impl->port; }

const ServiceData& AlbumService::Data() const { return m_impl->data; }

void AlbumService::AddFault(Fault fault) {
  Impl::ArmedFault armed{std::move(fault), std::nullopt};
  if (!armed.fault.pattern.empty()) armed.pattern.emplace(armed.fault.pattern, std::regex::ECMAScript);
  if (armed.fault.times == 0) return;
  std::lock_guard lock(m_impl->mutex);
  m_impl->faults.push_back(std::move(armed));
}

void AlbumService::ClearFaults() {
  std::lock_guard lock(m_impl->mutex);
  m_impl->faults.clear();
}

std::vector<RecordedRequest> AlbumService::Requests() const {
  std::lock_guard lock(m_impl->mutex);
  std::vector<RecordedRequest> requests;
  for (const auto& [sequence, request] : m_impl->log) requests.push_back(request);
  return requests;
}

void AlbumService::ClearRequests() {
  std::lock_guard lock(m_impl->mutex);
  m_impl->log.clear();
}

SessionCookies AlbumService::SignIn(const std::string& user) {
  if (!m_impl->data.FindUser(user)) return {};
  return m_impl->NewSession(user);
}

std::string AlbumService::GrantAccess(std::int64_t albumId) {
  if (!m_impl->data.FindAlbum(albumId)) return {};
  return m_impl->NewAccess(albumId);
}

std::string AlbumService::HostWithPort(std::string_view host) const { return m_impl->HostWithPort(host); }
std::string AlbumService::SiteRoot() const { return m_impl->SiteRoot(); }
std::string AlbumService::AlbumListScriptUrl(const std::string& account) const {
  return m_impl->AlbumListScriptUrl(account);
}
std::string AlbumService::PhotoListAddress(const std::string& account, std::int64_t albumId) const {
  return m_impl->PhotoListAddress(account, albumId);
}

} // namespace album_service
