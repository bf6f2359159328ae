#pragma once

#include "platform/types.h"

#include <memory>
#include <string>

// The request object the program was written against, on libcurl: set it
// up, Open, set headers, Send, then read the response. A call that fails has
// no effect; a read after a failure gives an empty value. The shared cookie
// store is never used.
namespace platform {

class HttpRequest {
public:
  HttpRequest();
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Milliseconds; receive is the longest silence while waiting for data.
  void SetTimeouts(int resolve, int connect, int send, int receive);
  // setting 2 names a proxy server; 0/1 mean direct.
  void SetProxy(int setting, const std::string& server);
  // target 1: for the proxy, 0: for the server.
  void SetCredentials(const std::string& user, const std::string& password, int target);
  void Open(const std::string& verb, const std::string& address, bool asynchronous);
  // 4: certificate errors to ignore (flags); 6: follow redirects (0 or not).
  void SetOption(int option, long value);
  void SetRequestHeader(const std::string& name, const std::string& value);
  // Sends and waits for the whole response.
  void Send(const ByteBuffer& body);
  void Send(const std::string& body);

  ByteBuffer ResponseBody() const;
  // The same body moved out of the object, which holds none afterwards: for
  // a caller that is done with the object, so that a large body is never
  // held twice.
  ByteBuffer TakeResponseBody();
  // The header lines of the response without its status line, each ending
  // in CR LF.
  std::string GetAllResponseHeaders() const;
  int Status() const;

private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

} // namespace platform
