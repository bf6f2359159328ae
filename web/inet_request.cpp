#include "web/inet_request.h"

#include "platform/inet.h"
#include "web/cookies.h"
#include "web/request_headers.h"
#include "web/url.h"

namespace web {
namespace {

namespace inet = platform::inet;

constexpr std::uint32_t ReadSize = 1024;
constexpr std::uint32_t HeaderBufferSize = 5000;

Text AgentOf(const Text& headers) {
  if (FindText(headers, "User-Agent:", 1, true) == -1) return Text(DefaultAgent);
  Text agent = TrimSpaces(GetMiddleText(headers, "User-Agent:", "\r\n"));
  if (agent.empty()) agent = HeaderValue(headers);
  return agent;
}

void CloseAll(inet::Handle request, inet::Handle connection, inet::Handle internet) {
  inet::InternetCloseHandle(request);
  inet::InternetCloseHandle(connection);
  inet::InternetCloseHandle(internet);
}

} // namespace

ByteBuffer InetRequest(std::string_view address, int method, std::string_view postText, Text* cookie,
                       Text* returnedCookies, Text* headers, Text* returnedHeaders, bool noRedirect,
                       ByteBuffer* postBytes, std::string_view proxy) {
  if (method < MethodGet || method > MethodHead) method = MethodGet;
  const bool secure = LowerAscii(address.substr(0, 5)) == "https";
  const Text headerText = headers ? *headers : Text{};

  const Text agent = AgentOf(headerText);
  inet::Handle internet = nullptr;
  if (proxy.empty()) {
    internet = inet::InternetOpen(agent, inet::OpenTypeDirect, {}, {}, 0);
  } else {
    const Text proxyName = secure ? Text(proxy) : "http=" + Text(proxy);
    internet = inet::InternetOpen(agent, inet::OpenTypeProxy, proxyName, {}, 0);
  }
  if (!internet) return {};

  inet::Handle connection =
      inet::InternetConnect(internet, HostOfUrl(address), PortOfUrl(address), {}, {}, inet::ServiceHttp, 0, 0);
  if (!connection) {
    CloseAll(nullptr, nullptr, internet);
    return {};
  }

  std::uint32_t flags = inet::FlagReload | inet::FlagNeedFile;
  if (cookie) flags |= inet::FlagNoCookies;
  if (noRedirect) flags |= inet::FlagNoAutoRedirect;
  flags |= secure ? inet::FlagSecure : inet::FlagIgnoreRedirectToHttps;
  inet::Handle request =
      inet::HttpOpenRequest(connection, VerbOf(method), PathOfUrl(address), "HTTP/1.1", {}, nullptr, flags, 0);
  if (!request) {
    CloseAll(nullptr, connection, internet);
    return {};
  }

  Text block = headerText;
  CompleteHeaderBlock(block, address, false);
  if (cookie && !cookie->empty()) {
    block += "\r\nCookie: ";
    block += *cookie;
  }
  if (headers) *headers = block;

  if (method == MethodGet) {
    inet::HttpSendRequest(request, block, nullptr, 0);
  } else {
    ByteBuffer scratch;
    ByteBuffer& bytes = postBytes ? *postBytes : scratch;
    if (bytes.empty()) bytes.assign(postText.begin(), postText.end());
    inet::HttpSendRequest(request, block, bytes.data(), bytes.size());
  }

  ByteBuffer body;
  unsigned char piece[ReadSize];
  for (;;) {
    std::uint32_t read = 0;
    if (!inet::InternetReadFile(request, piece, ReadSize, &read) || read == 0) break;
    body.insert(body.end(), piece, piece + read);
  }

  // One byte beyond the buffer holds a zero, so that a block that did not
  // fit still reads as the 5000 spaces and never runs past them.
  Text buffer(HeaderBufferSize + 1, ' ');
  buffer[HeaderBufferSize] = '\0';
  std::uint32_t length = HeaderBufferSize;
  inet::HttpQueryInfo(request, inet::QueryRawHeadersCrlf, buffer.data(), &length, nullptr);
  const Text responseHeaders = ReplaceText(TextUpToZero(buffer), "Set-Cookie", "Set-Cookie", true);
  if (returnedHeaders) *returnedHeaders = responseHeaders;

  CloseAll(request, connection, internet);

  Text collected = CollectSetCookies(responseHeaders);
  if (cookie) MergeCookies(*cookie, collected);
  if (returnedCookies) *returnedCookies = collected;
  return body;
}

Text FetchText(std::string_view address) { return BodyText(InetRequest(address)); }

} // namespace web
