#pragma once

#include <memory>
#include <string>
#include <vector>

// A regular-expression engine with the members of the scripting object the
// program was written against: IgnoreCase, Multiline, Global and Pattern as
// properties, Execute returning a match collection, Replace with "$1"
// references. It runs ICU over UTF-16 subjects; "." stops only at a line feed.
//
// Patterns keep the scripting object's ECMAScript-style meaning, translated
// for ICU where the two differ: \d, \w, \s and \b are ASCII classes as in the
// scripting object (ICU's own are Unicode-wide and would treat Chinese as word
// characters), "$" without Multiline is the end of the subject only, a "{"
// that is no quantifier and a "[" inside a class are literal, and an escaped
// letter that the syntax does not define is that letter.
//
// A zero unit that ends the subject is taken as its terminator, not as part
// of it: the subject comes from a text converted with its terminator, and
// matching it would keep "$" from matching at the end of the text.
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

  // Every match (or the first, without global), left to right; an empty match
  // moves the search on by one character. nullptr when the pattern does not
  // compile or the matcher gives up on a search (beyond its backtracking
  // stack or its time limit of a few seconds).
  std::shared_ptr<const MatchCollection> Execute(const std::u16string& subject) const;
  // The subject with the matches replaced; "$1".."$99", "$&" and "$$" are
  // understood, any other "$" is literal. Returns the subject unchanged when
  // the pattern does not compile. A terminating zero unit stays at the end.
  std::u16string Replace(const std::u16string& subject, const std::u16string& replacement) const;
};

} // namespace platform
