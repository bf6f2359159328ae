#pragma once

#include "web/text.h"

#include <optional>

// Addresses split into what a request needs, by the text rules alone (no URL
// parser), so that malformed addresses still give a defined result.
namespace web {

// The host, lower case. rootDomainOnly keeps the last two labels; keepPort
// keeps a ":port"; a label count switches to the counting rule.
Text HostOfUrl(std::string_view address, bool rootDomainOnly = false, bool keepPort = false,
               std::optional<int> labelCount = std::nullopt);
// The port: after the last ":" of the host, else 443 for https and 80 otherwise.
int PortOfUrl(std::string_view address);
// The path and query from the first "/" after the host, "/" when there is none.
Text PathOfUrl(std::string_view address);

// The name and the value of one header line, trimmed; empty without ":".
Text HeaderName(std::string_view line);
Text HeaderValue(std::string_view line);

} // namespace web
