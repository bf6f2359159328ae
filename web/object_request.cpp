#include "web/object_request.h"

#include "web/cookies.h"
#include "web/request_headers.h"
#include "web/url.h"

#include <memory>

namespace web {
namespace {

constexpr int ProxySettingNamed = 2;
constexpr int OptionSslErrorIgnoreFlags = 4;
constexpr int OptionEnableRedirects = 6;
// Unknown authority, wrong usage, name mismatch, date invalid.
constexpr long IgnoredCertificateErrors = 0x3300;

} // namespace

ByteBuffer ObjectRequest(std::string_view address, int method, std::string_view postText, Text* cookie,
                         Text* returnedCookies, Text* headers, Text* returnedHeaders, int* status, bool noRedirect,
                         const ByteBuffer* postBytes, std::string_view proxy, int timeout,
                         std::string_view proxyUser, std::string_view proxyPassword, int proxyCredentialTarget,
                         platform::HttpRequest* requestObject) {
  std::unique_ptr<platform::HttpRequest> own;
  if (!requestObject) {
    own = std::make_unique<platform::HttpRequest>();
    requestObject = own.get();
  }
  platform::HttpRequest& object = *requestObject;

  if (timeout != -1) {
    const int t = timeout < 1 ? 15000 : timeout * 1000;
    object.SetTimeouts(t, t, t, t);
  }
  if (!proxy.empty()) {
    object.SetProxy(ProxySettingNamed, Text(proxy));
    if (!proxyUser.empty()) object.SetCredentials(Text(proxyUser), Text(proxyPassword), proxyCredentialTarget);
  }
  object.Open(VerbOf(method), Text(address), false);
  if (noRedirect) object.SetOption(OptionEnableRedirects, 0);
  object.SetOption(OptionSslErrorIgnoreFlags, IgnoredCertificateErrors);

  Text block = headers ? *headers : Text{};
  CompleteHeaderBlock(block, address, true);
  if (headers) *headers = block;

  Text scratchCookie;
  Text& held = cookie ? *cookie : scratchCookie;
  if (!held.empty()) object.SetRequestHeader("Cookie", held);
  if (FindText(block, "\r\n") == -1) {
    object.SetRequestHeader(HeaderName(block), HeaderValue(block));
  } else {
    for (const Text& line : SplitText(block, "\r\n")) {
      if (!line.empty()) object.SetRequestHeader(HeaderName(line), HeaderValue(line));
    }
  }

  if (postBytes && !postBytes->empty()) {
    object.Send(*postBytes);
  } else {
    object.Send(Text(postText));
  }

  // An object of our own ends here, so its body moves out instead of being
  // copied: a photo is held once, not twice. A caller's object keeps its own.
  ByteBuffer body = own ? object.TakeResponseBody() : object.ResponseBody();
  const Text responseHeaders = ReplaceText(object.GetAllResponseHeaders(), "Set-Cookie", "Set-Cookie", true);
  if (returnedHeaders) *returnedHeaders = responseHeaders;
  if (status) *status = object.Status();

  Text collected = CollectSetCookies(responseHeaders);
  MergeCookies(held, collected);
  if (returnedCookies) *returnedCookies = collected;
  return body;
}

} // namespace web
