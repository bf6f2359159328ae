#pragma once

#include "platform/regexp.h"
#include "web/text.h"

#include <memory>
#include <optional>

namespace web {

// Matches a pattern against a GBK text and reads matches and capture groups
// back as GBK, on the ECMAScript-style engine of platform/regexp over the
// text's UTF-16 form. Match and group numbers count from 1. A failed engine
// call has no effect and reads as empty or 0.
class RegexObject {
public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject& other);
  RegexObject& operator=(const RegexObject& other);

  // True when the engine returned a match collection (also an empty one);
  // false for a pattern that does not compile.
  bool Create(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
              bool multiline = true, bool global = true, bool quoteSubstitution = false);
  Text GetPattern() const;
  Text Replace(std::string_view replacement = {}) const;
  int MatchCount() const;
  // position, when given, receives the 0-based byte position of the match in
  // the subject (-2 when it cannot be found again). It is found by searching
  // the text from the byte position equal to the match's UTF-16 offset, so
  // the same text standing just before the match can be found instead.
  Text MatchText(int match, int* position = nullptr) const;
  Text SubMatchText(int match, int group, int* position = nullptr) const;
  int SubMatchCount() const;

private:
  const platform::Match* MatchAt(int match) const;
  int PositionOf(const Text& text, int firstIndex) const;

  std::shared_ptr<platform::RegExpEngine> m_engine;
  std::shared_ptr<const platform::MatchCollection> m_matches;
  // The subject as UTF-16 bytes with its terminating zero unit; before the
  // first Create it stands for the integer 0 (empty).
  ByteBuffer m_subject;
};

} // namespace web
