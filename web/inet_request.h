#pragma once

#include "web/text.h"

// One HTTP request through the Internet session layer (platform/inet), which
// shares the process-wide cookie store with the embedded browser: without a
// cookie argument the request sends the store's cookies and stores what the
// response sets, as the signed-in user.
namespace web {

enum RequestMethod { MethodGet = 0, MethodPost = 1, MethodHead = 2 };

// In/out arguments are pointers: nullptr means omitted (a scratch value).
// A cookie argument that is not nullptr is "supplied", even when empty: the
// store is then neither used nor updated, and the cookie receives the merge.
ByteBuffer InetRequest(std::string_view address, int method = MethodGet, std::string_view postText = {},
                       Text* cookie = nullptr, Text* returnedCookies = nullptr, Text* headers = nullptr,
                       Text* returnedHeaders = nullptr, bool noRedirect = false, ByteBuffer* postBytes = nullptr,
                       std::string_view proxy = {});

// GET with every option omitted; the body up to its first zero byte, as GBK.
Text FetchText(std::string_view address);

} // namespace web
