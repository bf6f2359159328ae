#include "platform/regexp.h"

#include <unicode/uregex.h>

#include <functional>
#include <string_view>

namespace platform {
namespace {

// In ICU matcher steps; this many take a few seconds.
constexpr int32_t SearchStepLimit = 10000;

constexpr std::u16string_view WordSet = u"A-Za-z0-9_";
constexpr std::u16string_view SpaceSet = u"\\t\\n\\x{0B}\\f\\r\\x20";
constexpr std::u16string_view DigitSet = u"0-9";

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsOctal(char16_t c) { return c >= u'0' && c <= u'7'; }
bool IsHex(char16_t c) { return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsAsciiPunctuation(char16_t c) { return c < 0x80 && c > u' ' && !IsDigit(c) && !IsAsciiLetter(c); }

bool HexRunAt(std::u16string_view p, std::size_t at, std::size_t count) {
  if (at + count > p.size()) return false;
  for (std::size_t k = 0; k < count; ++k) {
    if (!IsHex(p[at + k])) return false;
  }
  return true;
}

std::u16string CodePointEscape(unsigned value) {
  static constexpr char16_t Digits[] = u"0123456789ABCDEF";
  std::u16string hex;
  do {
    hex.insert(hex.begin(), Digits[value % 16]);
    value /= 16;
  } while (value != 0);
  return u"\\x{" + hex + u"}";
}

// "{n}", "{n,}" or "{n,m}" at at; its length, or 0 when the brace is literal.
std::size_t QuantifierLength(std::u16string_view p, std::size_t at) {
  std::size_t i = at + 1;
  const std::size_t digitsStart = i;
  while (i < p.size() && IsDigit(p[i])) ++i;
  if (i == digitsStart) return 0;
  if (i < p.size() && p[i] == u',') {
    ++i;
    while (i < p.size() && IsDigit(p[i])) ++i;
  }
  if (i < p.size() && p[i] == u'}') return i + 1 - at;
  return 0;
}

// Capturing groups of the pattern, for telling back references from octal
// escapes the way the scripting object does.
int CountGroups(std::u16string_view p) {
  int groups = 0;
  bool inClass = false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char16_t c = p[i];
    if (c == u'\\') {
      ++i;
    } else if (inClass) {
      if (c == u']') inClass = false;
    } else if (c == u'[') {
      std::size_t j = i + 1;
      if (j < p.size() && p[j] == u'^') ++j;
      if (j < p.size() && p[j] == u']') {
        i = j;  // "[]" and "[^]" close at once
      } else {
        inClass = true;
        i = j - 1;
      }
    } else if (c == u'(' && (i + 1 >= p.size() || p[i + 1] != u'?')) {
      ++groups;
    }
  }
  return groups;
}

class PatternTranslator {
public:
  PatternTranslator(std::u16string_view pattern, bool multiline)
      : m_p(pattern), m_multiline(multiline), m_groups(CountGroups(pattern)) {}

  std::u16string Translate() {
    while (m_i < m_p.size()) {
      const char16_t c = m_p[m_i];
      if (c == u'\\') {
        OutsideEscape();
      } else if (c == u'[') {
        CharacterClass();
      } else if (c == u'{') {
        const std::size_t length = QuantifierLength(m_p, m_i);
        if (length == 0) {
          m_out += u"\\{";
          ++m_i;
        } else {
          m_out.append(m_p.substr(m_i, length));
          m_i += length;
        }
      } else if (c == u'}') {
        m_out += u"\\}";
        ++m_i;
      } else if (c == u'$' && !m_multiline) {
        m_out += u"\\z";
        ++m_i;
      } else {
        m_out += c;
        ++m_i;
      }
    }
    return m_out;
  }

private:
  // Escapes that mean the same inside and outside a class; true when handled.
  bool CommonEscape(char16_t e) {
    switch (e) {
    case u'f': case u'n': case u'r': case u't':
      m_out += u'\\';
      m_out += e;
      m_i += 2;
      return true;
    case u'v':
      m_out += u"\\x{0B}";
      m_i += 2;
      return true;
    case u'c':
      if (m_i + 2 < m_p.size() && IsAsciiLetter(m_p[m_i + 2])) {
        m_out.append(m_p.substr(m_i, 3));
        m_i += 3;
      } else {
        m_out += u"\\\\c";
        m_i += 2;
      }
      return true;
    case u'x':
      if (HexRunAt(m_p, m_i + 2, 2)) {
        m_out.append(m_p.substr(m_i, 4));
        m_i += 4;
      } else {
        m_out += u'x';
        m_i += 2;
      }
      return true;
    case u'u':
      if (HexRunAt(m_p, m_i + 2, 4)) {
        m_out.append(m_p.substr(m_i, 6));
        m_i += 6;
      } else {
        m_out += u'u';
        m_i += 2;
      }
      return true;
    default:
      return false;
    }
  }

  // Up to three octal digits from at (the leading zero included), at most 0377.
  void OctalEscape(std::size_t at) {
    unsigned value = 0;
    std::size_t i = at;
    while (i < m_p.size() && i < at + 3 && IsOctal(m_p[i])) {
      const unsigned next = value * 8 + (m_p[i] - u'0');
      if (next > 0377) break;
      value = next;
      ++i;
    }
    m_out += CodePointEscape(value);
    m_i = i;
  }

  // Any other escaped character stands for itself.
  void IdentityEscape(char16_t e) {
    if (IsAsciiPunctuation(e)) m_out += u'\\';
    m_out += e;
    m_i += 2;
  }

  void OutsideEscape() {
    if (m_i + 1 >= m_p.size()) {
      m_out += u'\\';  // a trailing backslash: let the engine reject it
      ++m_i;
      return;
    }
    const char16_t e = m_p[m_i + 1];
    switch (e) {
    case u'd': Append(u"[", DigitSet, u"]"); return;
    case u'D': Append(u"[^", DigitSet, u"]"); return;
    case u'w': Append(u"[", WordSet, u"]"); return;
    case u'W': Append(u"[^", WordSet, u"]"); return;
    case u's': Append(u"[", SpaceSet, u"]"); return;
    case u'S': Append(u"[^", SpaceSet, u"]"); return;
    case u'b':
      m_out += u"(?:(?<=[A-Za-z0-9_])(?![A-Za-z0-9_])|(?<![A-Za-z0-9_])(?=[A-Za-z0-9_]))";
      m_i += 2;
      return;
    case u'B':
      m_out += u"(?:(?<=[A-Za-z0-9_])(?=[A-Za-z0-9_])|(?<![A-Za-z0-9_])(?![A-Za-z0-9_]))";
      m_i += 2;
      return;
    default:
      break;
    }
    if (CommonEscape(e)) return;
    if (e == u'0') {
      OctalEscape(m_i + 1);
      return;
    }
    if (IsDigit(e)) {
      BackReferenceOrOctal();
      return;
    }
    IdentityEscape(e);
  }

  // "\n" or "\nn": a back reference when that group exists (two digits first),
  // otherwise an octal escape, otherwise the digit itself.
  void BackReferenceOrOctal() {
    const std::size_t at = m_i + 1;
    if (at + 1 < m_p.size() && IsDigit(m_p[at + 1])) {
      const int two = (m_p[at] - u'0') * 10 + (m_p[at + 1] - u'0');
      if (two <= m_groups) {
        EmitBackReference(two);
        m_i = at + 2;
        return;
      }
    }
    const int one = m_p[at] - u'0';
    if (one <= m_groups) {
      EmitBackReference(one);
      m_i = at + 1;
      return;
    }
    if (IsOctal(m_p[at])) {
      OctalEscape(at);
      return;
    }
    m_out += m_p[at];
    m_i = at + 1;
  }

  void EmitBackReference(int group) {
    // Grouped so that a digit after it cannot extend the number.
    std::u16string digits;
    for (int g = group; g > 0; g /= 10) digits.insert(digits.begin(), static_cast<char16_t>(u'0' + g % 10));
    m_out += u"(?:\\" + digits + u")";
  }

  void CharacterClass() {
    std::size_t i = m_i + 1;
    const bool negated = i < m_p.size() && m_p[i] == u'^';
    if (negated) ++i;
    if (i < m_p.size() && m_p[i] == u']') {
      // "[]" matches nothing, "[^]" any character.
      m_out += negated ? u"[\\x{0}-\\x{10FFFF}]" : u"(?!)";
      m_i = i + 1;
      return;
    }
    m_out += negated ? u"[^" : u"[";
    m_i = i;
    bool first = true;
    while (m_i < m_p.size() && m_p[m_i] != u']') {
      const char16_t c = m_p[m_i];
      if (c == u'\\') {
        ClassEscape();
      } else if (c == u'-') {
        // A dash at either end is literal; ICU wants it escaped there.
        const bool atEnd = m_i + 1 >= m_p.size() || m_p[m_i + 1] == u']';
        m_out += first || atEnd ? u"\\-" : u"-";
        ++m_i;
      } else if (IsAsciiPunctuation(c)) {
        // "[" would open a nested set in ICU, "&&" an intersection.
        m_out += u'\\';
        m_out += c;
        ++m_i;
      } else {
        m_out += c;
        ++m_i;
      }
      first = false;
    }
    if (m_i < m_p.size()) {
      m_out += u']';
      ++m_i;
    }
  }

  void ClassEscape() {
    if (m_i + 1 >= m_p.size()) {
      m_out += u'\\';
      ++m_i;
      return;
    }
    const char16_t e = m_p[m_i + 1];
    switch (e) {
    case u'd': Append(u"", DigitSet, u""); return;
    case u'D': Append(u"[^", DigitSet, u"]"); return;
    case u'w': Append(u"", WordSet, u""); return;
    case u'W': Append(u"[^", WordSet, u"]"); return;
    case u's': Append(u"", SpaceSet, u""); return;
    case u'S': Append(u"[^", SpaceSet, u"]"); return;
    case u'b':
      m_out += u"\\x{08}";
      m_i += 2;
      return;
    default:
      break;
    }
    if (CommonEscape(e)) return;
    if (IsOctal(e)) {
      OctalEscape(m_i + 1);
      return;
    }
    IdentityEscape(e);
  }

  void Append(std::u16string_view open, std::u16string_view set, std::u16string_view close) {
    m_out.append(open);
    m_out.append(set);
    m_out.append(close);
    m_i += 2;
  }

  std::u16string_view m_p;
  bool m_multiline;
  int m_groups;
  std::size_t m_i = 0;
  std::u16string m_out;
};

struct RegexCloser {
  void operator()(URegularExpression* regex) const { uregex_close(regex); }
};
using Regex = std::unique_ptr<URegularExpression, RegexCloser>;

Regex Compile(const RegExpEngine& engine) {
  std::u16string translated = PatternTranslator(engine.pattern, engine.multiline).Translate();
  if (translated.empty()) translated = u"(?:)";  // ICU refuses an empty pattern; it matches everywhere
  uint32_t flags = UREGEX_UNIX_LINES;
  if (engine.ignoreCase) flags |= UREGEX_CASE_INSENSITIVE;
  if (engine.multiline) flags |= UREGEX_MULTILINE;
  UParseError where{};
  UErrorCode status = U_ZERO_ERROR;
  Regex regex(uregex_open(translated.data(), static_cast<int32_t>(translated.size()), flags, &where, &status));
  if (U_FAILURE(status)) return nullptr;
  // Nested lazy groups backtrack without end over a long line that lacks the
  // closing literal; a single search that runs this long fails instead of
  // hanging its thread.
  uregex_setTimeLimit(regex.get(), SearchStepLimit, &status);
  return regex;
}

std::u16string_view WithoutTerminator(const std::u16string& subject) {
  std::u16string_view body = subject;
  if (!body.empty() && body.back() == u'\0') body.remove_suffix(1);
  return body;
}

// Calls found for every match from left to right (only the first without
// global); false when the matcher fails on the way.
bool ForEachMatch(URegularExpression* regex, std::u16string_view body, bool global,
                  const std::function<void(URegularExpression*)>& found) {
  UErrorCode status = U_ZERO_ERROR;
  uregex_setText(regex, body.data(), static_cast<int32_t>(body.size()), &status);
  if (U_FAILURE(status)) return false;
  // After an empty match findNext moves on by one character itself, so this
  // always ends.
  while (uregex_findNext(regex, &status)) {
    found(regex);
    if (!global) break;
  }
  return U_SUCCESS(status);
}

std::size_t GroupStart(URegularExpression* regex, int group) {
  UErrorCode status = U_ZERO_ERROR;
  const int32_t at = uregex_start(regex, group, &status);
  return U_FAILURE(status) || at < 0 ? std::u16string_view::npos : static_cast<std::size_t>(at);
}

std::u16string_view GroupText(URegularExpression* regex, std::u16string_view body, int group) {
  UErrorCode status = U_ZERO_ERROR;
  const int32_t start = uregex_start(regex, group, &status);
  const int32_t end = uregex_end(regex, group, &status);
  if (U_FAILURE(status) || start < 0 || end < start) return {};
  return body.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

int GroupCount(URegularExpression* regex) {
  UErrorCode status = U_ZERO_ERROR;
  const int32_t count = uregex_groupCount(regex, &status);
  return U_FAILURE(status) ? 0 : count;
}

// The replacement text for one match, with the scripting object's "$" forms.
void ExpandReplacement(std::u16string& out, std::u16string_view replacement, URegularExpression* regex,
                       std::u16string_view body, int groups) {
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t c = replacement[i];
    if (c != u'$' || i + 1 >= replacement.size()) {
      out += c;
      continue;
    }
    const char16_t next = replacement[i + 1];
    if (next == u'$') {
      out += u'$';
      ++i;
      continue;
    }
    if (next == u'&') {
      out.append(GroupText(regex, body, 0));
      ++i;
      continue;
    }
    if (IsDigit(next)) {
      if (i + 2 < replacement.size() && IsDigit(replacement[i + 2])) {
        const int two = (next - u'0') * 10 + (replacement[i + 2] - u'0');
        if (two >= 1 && two <= groups) {
          out.append(GroupText(regex, body, two));
          i += 2;
          continue;
        }
      }
      const int one = next - u'0';
      if (one >= 1 && one <= groups) {
        out.append(GroupText(regex, body, one));
        ++i;
        continue;
      }
    }
    out += c;
  }
}

} // namespace

std::shared_ptr<const MatchCollection> RegExpEngine::Execute(const std::u16string& subject) const {
  const Regex regex = Compile(*this);
  if (!regex) return nullptr;
  const std::u16string_view body = WithoutTerminator(subject);
  const int groups = GroupCount(regex.get());
  auto matches = std::make_shared<MatchCollection>();
  const bool completed = ForEachMatch(regex.get(), body, global, [&](URegularExpression* found) {
    Match match;
    match.value = GroupText(found, body, 0);
    match.firstIndex = static_cast<int>(GroupStart(found, 0));
    match.subMatches.reserve(static_cast<std::size_t>(groups));
    for (int g = 1; g <= groups; ++g) match.subMatches.emplace_back(GroupText(found, body, g));
    matches->push_back(std::move(match));
  });
  if (!completed) return nullptr;
  return matches;
}

std::u16string RegExpEngine::Replace(const std::u16string& subject, const std::u16string& replacement) const {
  const Regex regex = Compile(*this);
  if (!regex) return subject;
  const std::u16string_view body = WithoutTerminator(subject);
  const int groups = GroupCount(regex.get());
  std::u16string out;
  std::size_t copied = 0;  // units of body already in out
  const bool completed = ForEachMatch(regex.get(), body, global, [&](URegularExpression* found) {
    const std::size_t start = GroupStart(found, 0);
    const std::size_t length = GroupText(found, body, 0).size();
    out.append(body.substr(copied, start - copied));
    ExpandReplacement(out, replacement, found, body, groups);
    copied = start + length;
  });
  if (!completed) return subject;
  out.append(body.substr(copied));
  out.append(subject, body.size(), std::u16string::npos);  // the terminator, when there is one
  return out;
}

} // namespace platform
