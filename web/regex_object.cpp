#include "web/regex_object.h"

#include "web/encoding.h"

namespace web {
namespace {

// The engine takes the subject's byte array as the string of its UTF-16
// units, terminator included.
std::u16string BytesToUnits(const ByteBuffer& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t k = 0; k < units.size(); ++k) {
    units[k] = static_cast<char16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
  }
  return units;
}

// An engine string read back as a text, by the rules of WideToText.
Text UnitsToText(std::u16string_view units) {
  ByteBuffer bytes;
  bytes.reserve(2 * units.size());
  for (const char16_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return WideToText(bytes);
}

std::u16string TextToUnits(std::string_view text) {
  return platform::MultiByteToWide(platform::CodePageGbk, TextUpToZero(text));
}

} // namespace

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject& other) = default;
RegexObject& RegexObject::operator=(const RegexObject& other) = default;

bool RegexObject::Create(std::string_view pattern, std::string_view subject, bool caseSensitive, bool multiline,
                         bool global, bool quoteSubstitution) {
  m_engine.reset();
  m_matches.reset();
  m_engine = std::make_shared<platform::RegExpEngine>();
  m_engine->ignoreCase = !caseSensitive;
  m_engine->multiline = multiline;
  m_engine->global = global;
  m_engine->pattern = TextToUnits(quoteSubstitution ? ReplaceText(pattern, "#引号"_gbk, "\"") : Text(pattern));
  m_subject = TextToWide(subject);
  m_matches = m_engine->Execute(BytesToUnits(m_subject));
  return m_matches != nullptr;
}

Text RegexObject::GetPattern() const {
  if (!m_engine) return {};
  return UnitsToText(m_engine->pattern);
}

Text RegexObject::Replace(std::string_view replacement) const {
  // The engine fails on a pattern that does not compile, and a failed call
  // reads as empty; the missing match collection shows that case.
  if (!m_engine || !m_matches) return {};
  return UnitsToText(m_engine->Replace(BytesToUnits(m_subject), TextToUnits(replacement)));
}

int RegexObject::MatchCount() const { return m_matches ? static_cast<int>(m_matches->size()) : 0; }

const platform::Match* RegexObject::MatchAt(int match) const {
  if (!m_matches || match < 1 || static_cast<std::size_t>(match) > m_matches->size()) return nullptr;
  return &(*m_matches)[static_cast<std::size_t>(match - 1)];
}

int RegexObject::PositionOf(const Text& text, int firstIndex) const {
  // firstIndex counts UTF-16 units and serves as the 1-based byte position to
  // search from; a search that fails gives -1, so the result is -2.
  return FindText(WideToText(m_subject), text, firstIndex) - 1;
}

Text RegexObject::MatchText(int match, int* position) const {
  const platform::Match* found = MatchAt(match);
  Text text = found ? UnitsToText(found->value) : Text();
  if (position) *position = found ? PositionOf(text, found->firstIndex) : -2;
  return text;
}

Text RegexObject::SubMatchText(int match, int group, int* position) const {
  const platform::Match* found = MatchAt(match);
  Text text;
  if (found && group >= 1 && static_cast<std::size_t>(group) <= found->subMatches.size()) {
    text = UnitsToText(found->subMatches[static_cast<std::size_t>(group - 1)]);
  }
  if (position) *position = found ? PositionOf(text, found->firstIndex) : -2;
  return text;
}

int RegexObject::SubMatchCount() const {
  const platform::Match* first = MatchAt(1);
  return first ? static_cast<int>(first->subMatches.size()) : 0;
}

} // namespace web
