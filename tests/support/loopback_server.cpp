#include "tests/support/loopback_server.h"

#include <algorithm>
#include <stdexcept>

namespace testing_support {
namespace {

bool IsBookkeeping(const std::string& name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

} // namespace

void Event::Set() {
  std::lock_guard lock(m_mutex);
  m_set = true;
  m_changed.notify_all();
}

bool Event::IsSet() const {
  std::lock_guard lock(m_mutex);
  return m_set;
}

bool Event::Wait(std::chrono::milliseconds limit) const {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, limit, [&] { return m_set; });
}

std::string PatternBody(std::size_t size) {
  std::string body(size, '\0');
  std::uint32_t state = 2463534242u;
  for (char& c : body) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    c = static_cast<char>(state & 0xFF);
  }
  return body;
}

std::string ReceivedRequest::Header(const std::string& name) const {
  const auto it = headers.find(name);
  return it == headers.end() ? std::string{} : it->second;
}

std::size_t ReceivedRequest::HeaderCount(const std::string& name) const { return headers.count(name); }

std::vector<std::string> ReceivedRequest::HeaderLines() const {
  std::vector<std::string> lines;
  for (const auto& [name, value] : headers) {
    if (!IsBookkeeping(name)) lines.push_back(name + ": " + value);
  }
  return lines;
}

LoopbackServer::LoopbackServer() {
  // Long enough for a client that is paused in the middle of a reply.
  m_server.set_write_timeout(60, 0);
  m_server.set_read_timeout(60, 0);
}

LoopbackServer::~LoopbackServer() { Stop(); }

void LoopbackServer::On(const std::string& pattern, httplib::Server::Handler handler) {
  auto recorded = [this, handler](const httplib::Request& request, httplib::Response& response) {
    Record(request);
    handler(request, response);
  };
  m_server.Get(pattern, recorded);
  m_server.Post(pattern, recorded);
}

void LoopbackServer::OnEveryRequest(httplib::Server::Handler handler) {
  m_server.set_pre_routing_handler([this, handler](const httplib::Request& request, httplib::Response& response) {
    Record(request);
    handler(request, response);
    return httplib::Server::HandlerResponse::Handled;
  });
}

void LoopbackServer::Start() {
  m_port = m_server.bind_to_any_port("127.0.0.1");
  if (m_port <= 0) throw std::runtime_error("loopback server: no free port");
  m_thread = std::thread([this] { m_server.listen_after_bind(); });
  // A stop before the accept loop runs would go unnoticed and the join hang.
  while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void LoopbackServer::Stop() {
  Release();
  if (m_thread.joinable()) {
    m_server.stop();
    m_thread.join();
  }
}

std::string LoopbackServer::Url(std::string_view path, std::string_view host) const {
  return "http://" + std::string(host) + ":" + std::to_string(m_port) + std::string(path);
}

void LoopbackServer::Record(const httplib::Request& request) {
  ReceivedRequest received;
  received.method = request.method;
  received.target = request.target;
  received.path = request.path;
  for (const auto& [name, value] : request.headers) {
    if (!IsBookkeeping(name)) received.headers.emplace(name, value);
  }
  received.body = request.body;
  std::lock_guard lock(m_mutex);
  m_received.push_back(std::move(received));
  m_changed.notify_all();
}

std::vector<ReceivedRequest> LoopbackServer::Received() const {
  std::lock_guard lock(m_mutex);
  return m_received;
}

std::size_t LoopbackServer::ReceivedCount() const {
  std::lock_guard lock(m_mutex);
  return m_received.size();
}

ReceivedRequest LoopbackServer::Last() const {
  std::lock_guard lock(m_mutex);
  return m_received.empty() ? ReceivedRequest{} : m_received.back();
}

bool LoopbackServer::WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, limit, [&] { return m_received.size() >= count; });
}

bool LoopbackServer::WaitForRelease(std::chrono::milliseconds limit) {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, limit, [&] { return m_released; });
}

void LoopbackServer::Release() {
  std::lock_guard lock(m_mutex);
  m_released = true;
  m_changed.notify_all();
}

int ClosedPort() {
  LoopbackServer gone;
  gone.Start();
  const int port = gone.Port();
  gone.Stop();
  return port;
}

void TransferRoutes::AddTo(LoopbackServer& server) {
  using namespace std::chrono_literals;
  server.On("/big", [this](const auto&, auto& res) { res.set_content(bigBody, "application/octet-stream"); });
  server.On("/stall", [&server](const auto&, auto& res) {
    server.WaitForRelease(20s);
    res.set_content("late", "text/plain");
  });
  server.On("/short", [](const auto&, auto& res) {
    res.set_content_provider(100000, "text/plain", [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
      if (offset >= 50000) return false;  // hangs up halfway
      const std::string half(50000, 'h');
      sink.write(half.data(), half.size());
      return true;
    });
  });
  server.On("/slow", [this](const auto&, auto& res) {
    res.set_content_provider(
        slowBody.size(), "application/octet-stream",
        [this, halfway = halfway, carryOn = carryOn](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          if (offset >= slowBody.size() / 4 && !halfway->IsSet()) {
            halfway->Set();
            carryOn->Wait(20s);
          }
          const std::size_t piece = std::min<std::size_t>(length, 32 * 1024);
          sink.write(slowBody.data() + offset, piece);
          std::this_thread::sleep_for(2ms);
          return true;
        });
  });
}

} // namespace testing_support
