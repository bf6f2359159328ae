#include "web/cookies.h"

#include <unordered_map>
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

// A cookie piece without a lead byte that has no second byte: joined to the
// next piece, that byte would take the separator's ";" as its second byte and
// the two pieces would read as one from then on.
Text WholeCharacters(Text piece) {
  std::size_t i = 0;
  while (i < piece.size() && i + CharLength(piece, i) < piece.size()) i += CharLength(piece, i);
  if (i < piece.size() && CharLength(piece, i) == 1 && static_cast<unsigned char>(piece[i]) >= 0x80) piece.resize(i);
  return piece;
}

// The lines of a header block. HTTP ends a line at CR LF byte for byte, and
// no GBK character has CR or LF as its second byte; so a line never runs on
// past a CR LF that follows a stray high byte, and a bare CR or LF ends a line
// too. A cookie value holding a line break would make the Cookie header
// impossible to send, and with it every later request's sign-in.
TextList HeaderLines(std::string_view block) {
  TextList lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= block.size(); ++i) {
    if (i == block.size() || block[i] == '\r' || block[i] == '\n') {
      if (i > start) lines.emplace_back(block.substr(start, i - start));
      start = i + 1;
    }
  }
  return lines;
}

// The text without its last n bytes; shorter texts become empty.
Text DropLast(Text text, std::size_t n) {
  text.resize(text.size() > n ? text.size() - n : 0);
  return text;
}

} // namespace

Text CollectSetCookies(std::string_view headerBlock) {
  Text result;
  for (const Text& line : HeaderLines(headerBlock)) {
    if (FindText(line, "Set-Cookie") == -1) continue;
    const Text value = FindText(line, ";") != -1 ? TrimSpaces(GetMiddleText(line, "Set-Cookie:", ";"))
                                                 : TrimSpaces(RemoveText(line, "Set-Cookie:", true));
    result += WholeCharacters(value);
    result += "; ";
  }
  return DropLast(std::move(result), 2);
}

Text MergeCookies(Text& held, Text& received) {
  held = RemoveSpaces(held);
  received = RemoveSpaces(received);

  // Of two received pieces with one name the later is the newer, as a
  // response that sets a cookie twice means it; sending both would leave the
  // server to pick one. It keeps the place of the first.
  TextList items;
  std::unordered_map<Text, std::size_t> names;
  for (Text& piece : SplitText(received, ";")) {
    piece = WholeCharacters(std::move(piece));
    const auto [at, fresh] = names.emplace(CookieName(piece), items.size());
    if (fresh) {
      items.push_back(std::move(piece));
    } else {
      items[at->second] = std::move(piece);
    }
  }
  // A held piece that is taken counts for the later ones: of two held pieces
  // with one name only the first survives.
  for (Text& piece : SplitText(held, ";")) {
    piece = WholeCharacters(std::move(piece));
    if (names.emplace(CookieName(piece), items.size()).second) items.push_back(std::move(piece));
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
