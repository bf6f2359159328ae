#pragma once

#include "web/text.h"

// Cookie texts: name=value pairs joined by "; ", the form of a Cookie header.
namespace web {

// The first name=value pair of every Set-Cookie line of a header block whose
// "Set-Cookie" spellings are already normalised; joined by "; ".
Text CollectSetCookies(std::string_view headerBlock);

// Merges newly received cookies into the held ones: received first, then the
// held ones not received; "=deleted" removes; duplicates go. Both arguments
// receive their space-free forms, and held receives the result as well.
Text MergeCookies(Text& held, Text& received);

// The text before the first "=", trimmed (the whole pair without "=").
Text CookieName(std::string_view pair);

// The text without pieces that repeat an earlier piece exactly.
Text DistinctItems(std::string_view text, std::string_view separator);

} // namespace web
