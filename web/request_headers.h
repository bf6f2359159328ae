#pragma once

#include "web/text.h"

// What both request operations share: the verb of a method number, the
// default agent, and the header block completed with its default lines.
namespace web {

inline constexpr std::string_view DefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// "GET", "POST" or "HEAD"; any other method number is a GET.
const char* VerbOf(int method);

// Adds the default lines the block lacks, in this order: Accept, Referer
// (the address), Accept-Language, then with withAgent a User-Agent, then
// Content-Type. Presence is an exact search for the name and its colon; an
// empty block starts with the Accept line.
void CompleteHeaderBlock(Text& block, std::string_view address, bool withAgent);

} // namespace web
