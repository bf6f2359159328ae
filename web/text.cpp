#include "web/text.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace web {
namespace {

constexpr unsigned char FirstLeadByte = 0x80;

bool IsLead(unsigned char byte) { return byte >= FirstLeadByte; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Does needle match text at index i? The text's own character structure from
// i decides which bytes are second bytes, and those compare exactly.
bool MatchesAt(std::string_view text, std::size_t i, std::string_view needle, bool ignoreCase) {
  if (needle.size() > text.size() - i) return false;
  if (!ignoreCase) return std::memcmp(text.data() + i, needle.data(), needle.size()) == 0;
  bool secondByte = false;
  for (std::size_t k = 0; k < needle.size(); ++k) {
    const char t = text[i + k];
    const char n = needle[k];
    if (secondByte) {
      if (t != n) return false;
      secondByte = false;
      continue;
    }
    if (IsLead(static_cast<unsigned char>(t))) {
      if (t != n) return false;
      secondByte = true;
      continue;
    }
    if (FoldAscii(t) != FoldAscii(n)) return false;
  }
  return true;
}

// 0-based index of the first match at or after the 0-based index from, or npos.
std::size_t FindFrom(std::string_view text, std::string_view needle, std::size_t from, bool ignoreCase) {
  if (needle.empty()) return std::string_view::npos;
  for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
    if (MatchesAt(text, i, needle, ignoreCase)) return i;
  }
  return std::string_view::npos;
}

} // namespace

std::size_t CharLength(std::string_view text, std::size_t i) {
  return IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

int FindText(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
  if (start < 1) start = 1;
  if (static_cast<std::size_t>(start) > text.size()) return -1;
  std::size_t from = static_cast<std::size_t>(start - 1);
  // A start on the second byte of a double-byte character moves on to the
  // next character: the characters are the whole text's, not a new reading
  // from the start. Lead bytes pair up from the last byte below 0x80, so an
  // odd run of them before the start means it is a second byte.
  std::size_t leads = 0;
  while (leads < from && IsLead(static_cast<unsigned char>(text[from - 1 - leads]))) ++leads;
  if (leads % 2 == 1) ++from;
  const std::size_t found = FindFrom(text, needle, from, ignoreCase);
  return found == std::string_view::npos ? -1 : static_cast<int>(found) + 1;
}

int FindLastText(std::string_view text, std::string_view needle, int before) {
  std::size_t limit = text.size();  // bytes a match must lie within
  if (before != -2) {
    if (before <= 1) return -1;
    limit = std::min<std::size_t>(text.size(), static_cast<std::size_t>(before - 1));
  }
  if (needle.empty() || needle.size() > limit) return -1;
  const std::string_view window = text.substr(0, limit);
  int last = -1;
  for (std::size_t i = FindFrom(window, needle, 0, false); i != std::string_view::npos;
       i = FindFrom(window, needle, i + CharLength(window, i), false)) {
    last = static_cast<int>(i) + 1;
  }
  return last;
}

Text TrimSpaces(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = 0;  // one past the last character that is not a space
  bool seenContent = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLength(text, i);
    const bool space = (length == 1 && text[i] == ' ') ||
                       (length == 2 && static_cast<unsigned char>(text[i]) == 0xA1 &&
                        static_cast<unsigned char>(text[i + 1]) == 0xA1);
    if (!space) {
      if (!seenContent) begin = i;
      seenContent = true;
      end = i + length;
    }
    i += length;
  }
  if (!seenContent) return {};
  return Text(text.substr(begin, end - begin));
}

Text ReplaceText(std::string_view text, std::string_view from, std::string_view to, bool ignoreCase) {
  if (from.empty()) return Text(text);
  Text result;
  result.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t i = FindFrom(text, from, 0, ignoreCase); i != std::string_view::npos;
       i = FindFrom(text, from, i + from.size(), ignoreCase)) {
    result.append(text.substr(copied, i - copied));
    result.append(to);
    copied = i + from.size();
  }
  result.append(text.substr(copied));
  return result;
}

TextList SplitText(std::string_view text, std::string_view separator) {
  TextList pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t pieceStart = 0;
  for (std::size_t i = FindFrom(text, separator, 0, false); i != std::string_view::npos;
       i = FindFrom(text, separator, i + separator.size(), false)) {
    pieces.emplace_back(text.substr(pieceStart, i - pieceStart));
    pieceStart = i + separator.size();
  }
  if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
  return pieces;
}

Text LowerAscii(std::string_view text) {
  Text result(text);
  for (std::size_t i = 0; i < result.size(); i += CharLength(result, i)) result[i] = FoldAscii(result[i]);
  return result;
}

Text FullWidthToHalfWidth(std::string_view text) {
  Text result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLength(text, i);
    if (length == 2) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        result.push_back(static_cast<char>(trail - 0x80));
        i += 2;
        continue;
      }
      if (lead == 0xA1 && trail == 0xA1) {
        result.push_back(' ');
        i += 2;
        continue;
      }
    }
    result.append(text.substr(i, length));
    i += length;
  }
  return result;
}

int TextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

Text TextUpToZero(std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  return Text(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

Text BodyText(const ByteBuffer& body) {
  return TextUpToZero(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
}

Text PercentText(int position, int maximum) {
  if (maximum == 0) return "0%";
  const double percent = static_cast<double>(position) / static_cast<double>(maximum) * 100.0;
  return std::to_string(static_cast<long long>(std::trunc(percent))) + "%";
}

Text GetMiddleText(std::string_view text, std::string_view left, std::string_view right, int start,
                   bool ignoreCase) {
  static const Text quoteWord = "#引号"_gbk;
  const Text leftMarker = ReplaceText(left, quoteWord, "\"");
  const Text rightMarker = ReplaceText(right, quoteWord, "\"");
  const int leftAt = FindText(text, leftMarker, start, ignoreCase);
  if (leftAt == -1) return {};
  const int valueAt = leftAt + static_cast<int>(leftMarker.size());
  const int rightAt = FindText(text, rightMarker, valueAt, ignoreCase);
  if (rightAt == -1) return {};
  return Text(text.substr(static_cast<std::size_t>(valueAt - 1), static_cast<std::size_t>(rightAt - valueAt)));
}

int GetAllMiddleTexts(std::string_view text, std::string_view left, std::string_view right, TextList& list,
                      bool caseSensitive, int maxLength, std::string_view prefix, std::string_view suffix,
                      bool includeLeft, bool includeRight, int start) {
  list.clear();
  const bool ignoreCase = !caseSensitive;
  int searchAt = start;
  for (;;) {
    const int leftAt = FindText(text, left, searchAt, ignoreCase);
    if (leftAt == -1) break;
    const int valueAt = leftAt + static_cast<int>(left.size());
    const int rightAt = FindText(text, right, valueAt, ignoreCase);
    if (rightAt == -1) break;
    Text value = TrimSpaces(
        text.substr(static_cast<std::size_t>(valueAt - 1), static_cast<std::size_t>(rightAt - valueAt)));
    if (value.empty()) break;
    if (maxLength == 0 || value.size() <= static_cast<std::size_t>(maxLength)) {
      Text entry;
      entry.reserve(left.size() + prefix.size() + value.size() + suffix.size() + right.size());
      if (includeLeft) entry.append(left);
      entry.append(prefix).append(value).append(suffix);
      if (includeRight) entry.append(right);
      list.push_back(std::move(entry));
    }
    searchAt = rightAt;
  }
  return static_cast<int>(list.size());
}

} // namespace web
