#pragma once

#include "platform/http_request.h"
#include "web/text.h"

// One HTTP request through the request object (platform/http_request): the
// caller's cookie text is sent as the Cookie header and takes up the cookies
// of every response; the shared cookie store is never used.
namespace web {

// In/out arguments are pointers: nullptr means omitted (a scratch value).
// timeout: -1 keeps the object's own timeouts, 0 or below 15 seconds, else
// that many seconds. requestObject: an object to use instead of a new one.
ByteBuffer ObjectRequest(std::string_view address, int method = 0, std::string_view postText = {},
                         Text* cookie = nullptr, Text* returnedCookies = nullptr, Text* headers = nullptr,
                         Text* returnedHeaders = nullptr, int* status = nullptr, bool noRedirect = false,
                         const ByteBuffer* postBytes = nullptr, std::string_view proxy = {}, int timeout = 0,
                         std::string_view proxyUser = {}, std::string_view proxyPassword = {},
                         int proxyCredentialTarget = 1, platform::HttpRequest* requestObject = nullptr);

} // namespace web
