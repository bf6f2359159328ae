#include "web/cookies.h"

#include <unordered_set>

namespace web {
namespace {

const Text FullWidthSpace = "\xA1\xA1";

Text RemoveSpaces(std::string_view text) { return RemoveText(RemoveText(text, " "), FullWidthSpace); }

// True when the text ends with suffix starting on a character boundary, so
// that a suffix is never matched from the second byte of a GBK character.
bool EndsWithText(std::string_view text, std::string_view suffix) {
  if (suffix.size() > text.size()) return false;
  return FindLastText(text, suffix) == static_cast<int>(text.size() - suffix.size()) + 1;
}

// The text without its last n bytes; shorter texts become empty.
Text DropLast(Text text, std::size_t n) {
  text.resize(text.size() > n ? text.size() - n : 0);
  return text;
}

} // namespace

Text CollectSetCookies(std::string_view headerBlock) {
  Text result;
  for (const Text& line : SplitText(headerBlock, "\r\n")) {
    if (FindText(line, "Set-Cookie") == -1) continue;
    const Text value = FindText(line, ";") != -1 ? TrimSpaces(GetMiddleText(line, "Set-Cookie:", ";"))
                                                 : TrimSpaces(RemoveText(line, "Set-Cookie:", true));
    result += value;
    result += "; ";
  }
  return DropLast(std::move(result), 2);
}

Text MergeCookies(Text& held, Text& received) {
  held = RemoveSpaces(held);
  received = RemoveSpaces(received);

  TextList items = SplitText(received, ";");
  std::unordered_set<Text> names;
  for (const Text& item : items) names.insert(CookieName(item));
  // A held piece that is taken counts for the later ones: of two held pieces
  // with one name only the first survives.
  for (Text& piece : SplitText(held, ";")) {
    if (names.insert(CookieName(piece)).second) items.push_back(std::move(piece));
  }

  Text output;
  for (const Text& item : items) {
    if (EndsWithText(item, "=deleted")) continue;
    output += item;
    output += "; ";
  }
  held = DistinctItems(DropLast(std::move(output), 2), "; ");
  return held;
}

Text CookieName(std::string_view pair) {
  const int equals = FindText(pair, "=");
  return TrimSpaces(equals == -1 ? pair : pair.substr(0, static_cast<std::size_t>(equals - 1)));
}

Text DistinctItems(std::string_view text, std::string_view separator) {
  std::unordered_set<Text> seen;
  Text result;
  for (Text& piece : SplitText(text, separator)) {
    if (!seen.insert(piece).second) continue;
    result += piece;
    result += separator;
  }
  return DropLast(std::move(result), separator.size());
}

} // namespace web
