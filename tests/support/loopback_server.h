#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testing_support {

// A one-shot signal between a handler thread and the test.
class Event {
public:
  void Set();
  bool IsSet() const;
  // True when set within the limit.
  bool Wait(std::chrono::milliseconds limit) const;

private:
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  bool m_set = false;
};

// size bytes that repeat with no short period, so that a lost, doubled or
// shifted piece of a body shows.
std::string PatternBody(std::size_t size);

// One request as it reached the server.
struct ReceivedRequest {
  std::string method;
  std::string target;  // the request target exactly as it came on the wire
  std::string path;
  httplib::Headers headers;
  std::string body;

  std::string Header(const std::string& name) const;
  std::size_t HeaderCount(const std::string& name) const;
  // Every header as "Name: value", the server's own bookkeeping left out.
  std::vector<std::string> HeaderLines() const;
};

// A real HTTP server on 127.0.0.1 and a free port, inside the test process,
// that records every request before its handler runs. Register handlers,
// then Start. Handlers may hold a reply with WaitForRelease; the server
// releases them all before it stops.
class LoopbackServer {
public:
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // For GET (and so HEAD) and POST on paths matching the pattern (a regex).
  void On(const std::string& pattern, httplib::Server::Handler handler);
  // For every request, whatever its method and target (CONNECT and a proxy's
  // absolute-form targets included), before any route.
  void OnEveryRequest(httplib::Server::Handler handler);
  httplib::Server& Http() { return m_server; }
  void Start();
  void Stop();

  int Port() const { return m_port; }
  // "http://" + host + ":" + port + path.
  std::string Url(std::string_view path, std::string_view host = "127.0.0.1") const;

  std::vector<ReceivedRequest> Received() const;
  std::size_t ReceivedCount() const;
  // The last request; an empty one when none arrived.
  ReceivedRequest Last() const;
  // Blocks until at least count requests arrived or the time is up.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const;

  // Blocks a handler until Release (or the stop, or the limit). True when released.
  bool WaitForRelease(std::chrono::milliseconds limit);
  void Release();

private:
  void Record(const httplib::Request& request);

  httplib::Server m_server;
  std::thread m_thread;
  int m_port = -1;
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  std::vector<ReceivedRequest> m_received;
  bool m_released = false;
};

// A port on 127.0.0.1 that nothing listens on (it was free a moment ago).
int ClosedPort();

// The replies that try a request layer's transfer, shared by the tests of
// both request layers: "/big" a large body; "/stall" a reply held until the
// server's Release; "/short" a body of 100000 announced bytes that hangs up
// halfway; "/slow" a body sent in small pieces that, a quarter of the way in,
// sets halfway and then holds until carryOn is set. Replace halfway and
// carryOn with fresh events before each request that uses them.
struct TransferRoutes {
  std::string bigBody = PatternBody(20 * 1024 * 1024);
  std::string slowBody = PatternBody(2 * 1024 * 1024);
  std::shared_ptr<Event> halfway = std::make_shared<Event>();
  std::shared_ptr<Event> carryOn = std::make_shared<Event>();

  // The routes read these members when a request arrives: keep this object
  // alive for as long as the server runs.
  void AddTo(LoopbackServer& server);
};

} // namespace testing_support
