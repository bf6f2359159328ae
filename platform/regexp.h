#pragma once

#include <memory>
#include <string>
#include <vector>

// A regular-expression engine with the members of the scripting object the
// program was written against: IgnoreCase, Multiline, Global and Pattern as
// properties, Execute returning a match collection, Replace with "$1"
// references. It runs ICU over UTF-16 subjects; "." stops only at a line feed.
namespace platform {

struct Match {
  std::u16string value;
  int firstIndex = 0;  // in UTF-16 units from 0
  // One entry per capture group; a group that took no part is empty.
  std::vector<std::u16string> subMatches;
};

using MatchCollection = std::vector<Match>;

class RegExpEngine {
public:
  bool ignoreCase = false;
  bool multiline = false;
  bool global = false;
  std::u16string pattern;

  // Every match (or the first, without global), left to right; nullptr when
  // the pattern does not compile.
  std::shared_ptr<const MatchCollection> Execute(const std::u16string& subject) const;
  // The subject with the matches replaced; "$1".."$99", "$&" and "$$" are
  // understood. Returns the subject unchanged when the pattern does not compile.
  std::u16string Replace(const std::u16string& subject, const std::u16string& replacement) const;
};

} // namespace platform
