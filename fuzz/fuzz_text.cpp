// FindText, TrimSpaces, GetMiddleText, GetAllMiddleTexts and SplitText on
// any bytes. Fields: text, needle or left marker, right marker, prefix,
// suffix. Options: start position, flags, maximum length.
#include "fuzz/fuzz_support.h"
#include "web/text.h"

using namespace fuzzing;

namespace {

// Does needle stand at byte index i of text, by the comparison rules: both
// bytes of a double-byte character of the text compare exactly, ASCII
// letters regardless of case when asked.
bool StandsAt(std::string_view text, std::size_t i, std::string_view needle, bool ignoreCase) {
  if (needle.size() > text.size() - i) return false;
  bool second = false;
  for (std::size_t k = 0; k < needle.size(); ++k) {
    const char t = text[i + k];
    const bool exact = !ignoreCase || second || static_cast<unsigned char>(t) >= 0x80;
    if (exact ? t != needle[k] : Fold(t) != Fold(needle[k])) return false;
    second = !second && static_cast<unsigned char>(t) >= 0x80 && i + k + 1 < text.size();
  }
  return true;
}

bool IsSpaceAt(std::string_view text, std::size_t i) {
  if (text[i] == ' ') return true;
  return i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xA1 &&
         static_cast<unsigned char>(text[i + 1]) == 0xA1;
}

void CheckFind(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
  const int found = web::FindText(text, needle, start, ignoreCase);
  if (needle.empty()) return;  // free by the rules
  const std::vector<bool> starts = CharacterStarts(text);
  const std::size_t from = static_cast<std::size_t>(start < 1 ? 1 : start) - 1;
  std::size_t expected = std::string_view::npos;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (starts[i] && StandsAt(text, i, needle, ignoreCase)) {
      expected = i;
      break;
    }
  }
  if (found == -1) {
    Require(expected == std::string_view::npos, "FindText missed a match", text, needle);
    return;
  }
  Require(found >= 1 && static_cast<std::size_t>(found) <= text.size(), "FindText position out of range", text, needle);
  const auto at = static_cast<std::size_t>(found - 1);
  Require(at >= from, "FindText found before the start", text, needle);
  Require(starts[at], "FindText match not at a character start", text, needle);
  Require(StandsAt(text, at, needle, ignoreCase), "FindText reports a match that is not there", text, needle);
  Require(at == expected, "FindText did not give the first match", text, needle);
}

void CheckTrim(std::string_view text) {
  const Text trimmed = web::TrimSpaces(text);
  const std::size_t at = trimmed.empty() ? 0 : text.find(trimmed);
  Require(at != std::string_view::npos, "TrimSpaces result is not part of the text", text, trimmed);
  if (trimmed.empty()) {
    const std::vector<bool> starts = CharacterStarts(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (starts[i]) Require(IsSpaceAt(text, i), "TrimSpaces emptied a text with content", text);
    }
    return;
  }
  Require(web::TrimSpaces(trimmed) == trimmed, "TrimSpaces is not idempotent", text, trimmed);
  // What was cut off at either end is spaces only.
  const std::vector<bool> starts = CharacterStarts(text);
  std::size_t i = 0;
  while (i < text.size() && IsSpaceAt(text, i) && starts[i]) i += text[i] == ' ' ? 1 : 2;
  Require(text.substr(i, trimmed.size()) == trimmed, "TrimSpaces cut more or less than the leading spaces", text,
          trimmed);
  const std::string_view tail = text.substr(i + trimmed.size());
  for (std::size_t k = 0; k < tail.size(); k += tail[k] == ' ' ? 1 : 2) {
    Require(IsSpaceAt(tail, k), "TrimSpaces left a trailing space or cut content", text, trimmed);
  }
}

void CheckMiddle(std::string_view text, std::string_view left, std::string_view right, int start, bool ignoreCase) {
  const Text value = web::GetMiddleText(text, left, right, start, ignoreCase);
  Require(IsSubstring(text, value), "GetMiddleText result is not a substring", text, value);
  if (value.empty() || left.empty() || right.empty()) return;
  const Text quote = "#\xD2\xFD\xBA\xC5";  // "#引号"
  const Text l = web::ReplaceText(left, quote, "\"");
  const Text r = web::ReplaceText(right, quote, "\"");
  Require(web::FindText(text, l + value + r, start, ignoreCase) != -1,
          "GetMiddleText result does not stand between its markers", text, value);
}

void CheckAllMiddle(const Input& in, int start) {
  const std::string& text = in.Field(0);
  const std::string& left = in.Field(1);
  const std::string& right = in.Field(2);
  const std::string& prefix = in.Field(3);
  const std::string& suffix = in.Field(4);
  const bool caseSensitive = in.Flag(1, 1);
  const bool includeLeft = in.Flag(1, 2);
  const bool includeRight = in.Flag(1, 3);
  const int maxLength = static_cast<int>(in.Option(2) % 40);
  web::TextList list = {"left over from before"};
  const int count = web::GetAllMiddleTexts(text, left, right, list, caseSensitive, maxLength, prefix, suffix,
                                           includeLeft, includeRight, start);
  Require(count == static_cast<int>(list.size()), "GetAllMiddleTexts count differs from the list");
  const std::string head = (includeLeft ? left : std::string()) + prefix;
  const std::string tail = suffix + (includeRight ? right : std::string());
  for (const Text& entry : list) {
    Require(entry.size() >= head.size() + tail.size() && entry.starts_with(head) && entry.ends_with(tail),
            "GetAllMiddleTexts entry lacks its prefix or suffix", text, entry);
    const std::string_view value = std::string_view(entry).substr(head.size(), entry.size() - head.size() - tail.size());
    Require(!value.empty(), "GetAllMiddleTexts kept a blank value", text, entry);
    Require(web::TrimSpaces(value) == value, "GetAllMiddleTexts value is not trimmed", text, entry);
    Require(IsSubstring(text, value), "GetAllMiddleTexts value is not part of the text", text, entry);
    Require(maxLength == 0 || value.size() <= static_cast<std::size_t>(maxLength),
            "GetAllMiddleTexts kept a value over the maximum length", text, entry);
  }
}

void CheckSplit(std::string_view text, std::string_view separator) {
  if (separator.empty()) return;
  const web::TextList pieces = web::SplitText(text, separator);
  std::string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined += separator;
    joined += pieces[i];
  }
  const bool trailing = joined.size() + separator.size() == text.size() && text.ends_with(separator);
  Require(joined == text || (trailing && text.starts_with(joined)), "SplitText pieces do not give the text back",
          text, joined);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = Split(data, size);
  const int start = static_cast<int>(in.Option(0) % 64) - 4;
  const bool ignoreCase = in.Flag(1, 0);
  const std::string& text = in.Field(0);

  CheckFind(text, in.Field(1), start, ignoreCase);
  CheckFind(text, in.Field(2), 1, !ignoreCase);
  CheckTrim(text);
  CheckTrim(in.Field(1));
  CheckMiddle(text, in.Field(1), in.Field(2), start, ignoreCase);
  CheckAllMiddle(in, start);
  CheckSplit(text, in.Field(1));
  return 0;
}
