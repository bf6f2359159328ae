#include "web/regex_object.h"

#include "platform/regexp.h"
#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using web::RegexObject;
using web::Text;

struct Options {
  bool caseSensitive = false;
  bool multiline = true;
  bool global = true;
  bool quoteSubstitution = false;
};

constexpr Options Defaults{};
constexpr Options CaseSensitive{true, true, true, false};
constexpr Options SingleLine{false, false, true, false};
constexpr Options FirstOnly{false, true, false, false};
constexpr Options Quotes{false, true, true, true};

bool Create(RegexObject& regex, const Text& pattern, const Text& subject, const Options& o) {
  return regex.Create(pattern, subject, o.caseSensitive, o.multiline, o.global, o.quoteSubstitution);
}

struct MatchCase {
  const char* name;
  Text pattern;
  Text subject;
  Options options;
  bool created;
  std::vector<Text> matches;
  std::vector<std::vector<Text>> groups;  // per match; empty when not checked
};

void ExpectMatches(const MatchCase& c) {
  RegexObject regex;
  ASSERT_EQ(c.created, Create(regex, c.pattern, c.subject, c.options));
  ASSERT_EQ(static_cast<int>(c.matches.size()), regex.MatchCount());
  for (std::size_t i = 0; i < c.matches.size(); ++i) {
    SCOPED_TRACE("match " + std::to_string(i + 1));
    EXPECT_GBK_EQ(c.matches[i], regex.MatchText(static_cast<int>(i + 1)));
  }
  if (c.groups.empty()) return;
  ASSERT_EQ(c.groups.size(), c.matches.size());
  EXPECT_EQ(static_cast<int>(c.groups[0].size()), regex.SubMatchCount());
  for (std::size_t i = 0; i < c.groups.size(); ++i) {
    for (std::size_t g = 0; g < c.groups[i].size(); ++g) {
      SCOPED_TRACE("match " + std::to_string(i + 1) + " group " + std::to_string(g + 1));
      EXPECT_GBK_EQ(c.groups[i][g], regex.SubMatchText(static_cast<int>(i + 1), static_cast<int>(g + 1)));
    }
  }
}

TEST(RegexObject, MatchesAndGroupsUnderTheOptions) {
  const MatchCase cases[] = {
      {"digits in a group", "x(\\d+)y", "x1y x22y", Defaults, true, {"x1y", "x22y"}, {{"1"}, {"22"}}},
      {"case ignored by default", "ABC", "xabcx", Defaults, true, {"abc"}, {}},
      {"case-sensitive finds none and still succeeds", "ABC", "xabcx", CaseSensitive, true, {}, {}},
      {"global by default", "a", "aaa", Defaults, true, {"a", "a", "a"}, {}},
      {"first match only", "a", "aaa", FirstOnly, true, {"a"}, {}},
      {"lazy groups", "'(.*?)'", "'a' 'b'", Defaults, true, {"'a'", "'b'"}, {{"a"}, {"b"}}},
      {"greedy group", "'(.*)'", "'a' 'b'", Defaults, true, {"'a' 'b'"}, {{"a' 'b"}}},
      {"quote substitution", "name:#引号(.*?)#引号"_gbk, "name:\"v\"", Quotes, true, {"name:\"v\""}, {{"v"}}},
      {"no quote substitution", "name:#引号(.*?)#引号"_gbk, "name:\"v\"", Defaults, true, {}, {}},
      {"quote marker in another case stays", "#引号A"_gbk, "\"a", Quotes, true, {"\"a"}, {}},
      {"Chinese", "相册(.*?)张"_gbk, "相册A1张"_gbk, Defaults, true, {"相册A1张"_gbk}, {{"A1"}}},
      {"Chinese around the group", "(.)册"_gbk, "相册影册"_gbk, Defaults, true, {"相册"_gbk, "影册"_gbk},
       {{"相"_gbk}, {"影"_gbk}}},
      {"dot stops at a line feed", "a.b", "a\nb", Defaults, true, {}, {}},
      {"dot stops at a line feed on one line too", "a.b", "a\nb", SingleLine, true, {}, {}},
      {"dot takes a carriage return", "a.b", "a\rb", Defaults, true, {"a\rb"}, {}},
      {"escaped slash", "lurl:'(.*?)\\/(.*?)'", "lurl:'5/a/b.jpg'", Defaults, true, {"lurl:'5/a/b.jpg'"},
       {{"5", "a/b.jpg"}}},
      {"invalid pattern", "(", "abc", Defaults, false, {}, {}},
      {"unclosed class", "[ab", "abc", Defaults, false, {}, {}},
      {"group that took no part", "(a)|(b)", "b", Defaults, true, {"b"}, {{"", "b"}}},
      {"back reference", "(.)\\1", "aabcc", Defaults, true, {"aa", "cc"}, {{"a"}, {"c"}}},
      {"empty matches move on", "x*", "axb", Defaults, true, {"", "x", "", ""}, {}},
      {"empty pattern on an empty subject", "", "", Defaults, true, {""}, {}},
      {"empty pattern matches between characters", "", "ab", Defaults, true, {"", "", ""}, {}},
      // The subject's terminating zero unit is not part of what is matched.
      {"end of text, multiline", "a$", "ba", Defaults, true, {"a"}, {}},
      {"end of text, one line", "a$", "ba", SingleLine, true, {"a"}, {}},
      {"end of a line", "a$", "a\nb", Defaults, true, {"a"}, {}},
      {"end of a line is not the end of the text", "a$", "a\nb", SingleLine, true, {}, {}},
      {"nor is a final line feed", "a$", "a\n", SingleLine, true, {}, {}},
      {"start of a line", "^b", "a\nb", Defaults, true, {"b"}, {}},
      {"start of a line is not the start of the text", "^b", "a\nb", SingleLine, true, {}, {}},
      {"negated class stops before the terminator", "x([^y]*)", "x12", Defaults, true, {"x12"}, {{"12"}}},
      // The scripting object's classes are ASCII.
      {"digit class takes no full-width digits", "\\d+", "１２3"_gbk, Defaults, true, {"3"}, {}},
      {"word class takes no Chinese", "\\w+", "相册abc"_gbk, Defaults, true, {"abc"}, {}},
      {"non-word class takes Chinese", "\\W+", "ab相册"_gbk, Defaults, true, {"相册"_gbk}, {}},
      {"space class takes no ideographic space", "\\s", "a　b"_gbk, Defaults, true, {}, {}},
      {"space class takes a tab", "a\\sb", "a\tb", Defaults, true, {"a\tb"}, {}},
      {"word boundary next to Chinese", "\\bab\\b", "相ab相"_gbk, Defaults, true, {"ab"}, {}},
      {"no word boundary inside a word", "\\Bb", "ab b", Defaults, true, {"b"}, {}},
      {"classes inside a set", "[\\d_]+", "a1_2b", Defaults, true, {"1_2"}, {}},
      {"a brace that is no quantifier", "a{2", "aa{2", Defaults, true, {"a{2"}, {}},
      {"a quantifier", "a{2}", "aaa", Defaults, true, {"aa"}, {}},
      {"an open bracket inside a set", "[[]", "a[b", Defaults, true, {"["}, {}},
      {"a dash at the end of a set", "[a-]+", "x-a-y", Defaults, true, {"-a-"}, {}},
      {"vertical tab escape", "\\v", "v\x0B", Defaults, true, {"\x0B"}, {}},
      {"undefined letter escape is the letter", "\\z", "az", Defaults, true, {"z"}, {}},
      {"octal escape", "a\\011b", "a\tb", Defaults, true, {"a\tb"}, {}},
      {"hex and unicode escapes", "\\x41\\u4E2D", "A中"_gbk, Defaults, true, {"A中"_gbk}, {}},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectMatches(c);
  }
}

struct ReplaceCase {
  const char* name;
  Text pattern;
  Text subject;
  Options options;
  Text replacement;
  Text expected;
};

TEST(RegexObject, ReplacesWithTheEnginesReferences) {
  const ReplaceCase cases[] = {
      {"every match", "a", "banana", Defaults, "o", "bonono"},
      {"first match only", "a", "banana", FirstOnly, "o", "bonana"},
      {"empty replacement", "a", "banana", Defaults, "", "bnn"},
      {"no match", "x", "banana", Defaults, "o", "banana"},
      {"groups", "(\\w+)@(\\w+)", "joe@site", Defaults, "$2 at $1", "site at joe"},
      {"whole match", "an", "banana", Defaults, "[$&]", "b[an][an]a"},
      {"dollar sign", "a", "ba", Defaults, "$$", "b$"},
      {"missing group stays literal", "(a)", "ba", Defaults, "$2$0", "b$2$0"},
      {"one digit when two name no group", "(a)", "ba", Defaults, "$12", "ba2"},
      {"two-digit group", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", Defaults, "$10$1", "ja"},
      {"trailing dollar", "a", "ba", Defaults, "x$", "bx$"},
      {"group that took no part", "(x)?a", "ba", Defaults, "[$1]", "b[]"},
      {"Chinese", "相册"_gbk, "我的相册，你的相册"_gbk, Defaults, "影集"_gbk, "我的影集，你的影集"_gbk},
      {"end of the text", "$", "ab", Defaults, "!", "ab!"},
      {"greedy group ends before the terminator", "x(.*)", "x12", Defaults, "[$1]", "[12]"},
      {"empty matches", "x*", "axb", Defaults, "-", "-a--b-"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(Create(regex, c.pattern, c.subject, c.options));
    EXPECT_GBK_EQ(c.expected, regex.Replace(c.replacement));
  }
}

TEST(RegexObject, OutOfRangeIndexesReadAsEmpty) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("x(\\d+)y", "x1y x22y"));
  EXPECT_GBK_EQ("", regex.MatchText(0));
  EXPECT_GBK_EQ("", regex.MatchText(3));
  EXPECT_GBK_EQ("", regex.MatchText(-1));
  EXPECT_GBK_EQ("", regex.SubMatchText(1, 0));
  EXPECT_GBK_EQ("", regex.SubMatchText(1, 2));
  EXPECT_GBK_EQ("", regex.SubMatchText(3, 1));
  EXPECT_EQ(1, regex.SubMatchCount());
}

TEST(RegexObject, QueriesAreEmptyBeforeCreateAndAfterAFailedOne) {
  RegexObject fresh;
  EXPECT_EQ(0, fresh.MatchCount());
  EXPECT_EQ(0, fresh.SubMatchCount());
  EXPECT_GBK_EQ("", fresh.GetPattern());
  EXPECT_GBK_EQ("", fresh.Replace("x"));
  EXPECT_GBK_EQ("", fresh.MatchText(1));

  // A failed Create also drops what an earlier one found.
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)", "banana"));
  ASSERT_EQ(3, regex.MatchCount());
  EXPECT_FALSE(regex.Create("(", "banana"));
  EXPECT_EQ(0, regex.MatchCount());
  EXPECT_EQ(0, regex.SubMatchCount());
  EXPECT_GBK_EQ("", regex.MatchText(1));
  EXPECT_GBK_EQ("", regex.SubMatchText(1, 1));
  EXPECT_GBK_EQ("", regex.Replace("o"));
  int position = 7;
  EXPECT_GBK_EQ("", regex.MatchText(1, &position));
  EXPECT_EQ(-2, position);
  // The engine was created and holds the pattern it was given.
  EXPECT_GBK_EQ("(", regex.GetPattern());
}

TEST(RegexObject, GetPatternGivesThePatternAfterQuoteSubstitution) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("name:#引号(.*?)#引号，"_gbk, "", false, true, true, true));
  EXPECT_GBK_EQ("name:\"(.*?)\"，"_gbk, regex.GetPattern());
  ASSERT_TRUE(regex.Create("name:#引号"_gbk, ""));
  EXPECT_GBK_EQ("name:#引号"_gbk, regex.GetPattern());
}

struct PositionCase {
  const char* name;
  Text pattern;
  Text subject;
  int match;
  int group;  // 0 reads the match itself
  Text expectedText;
  int expectedPosition;
};

// The position is found by searching the GBK subject from the byte position
// equal to the match's UTF-16 offset.
TEST(RegexObject, PositionsSearchFromTheMatchOffset) {
  const PositionCase cases[] = {
      {"first match", "x(\\d+)y", "x1y x22y", 1, 0, "x1y", 0},
      {"second match", "x(\\d+)y", "x1y x22y", 2, 0, "x22y", 4},
      {"group of the second match", "x(\\d+)y", "x1y x22y", 2, 1, "22", 5},
      {"group after Chinese", "相册(.*?)张"_gbk, "相册A1张"_gbk, 1, 1, "A1", 4},
      {"match after Chinese", "A\\d", "相册A1张A2"_gbk, 2, 0, "A2", 8},
      // The search starts a byte early, so the same text just before wins.
      {"repeated text gives the earlier copy", "a", "aaa", 2, 0, "a", 0},
      // Offsets count UTF-16 units while bytes count two per Chinese character,
      // so the search can start inside an earlier copy's reach...
      {"Chinese before an earlier copy", "a", "中a中a"_gbk, 2, 0, "a", 2},
      // ...or on the second byte of a character, where the search goes on
      // from the next character of the text.
      {"search starting on a second byte", "a", "中中a"_gbk, 1, 0, "a", 4},
      {"empty group", "(x?)a", "a", 1, 1, "", -2},
      {"missing match", "a", "a", 2, 0, "", -2},
      {"missing group", "(a)", "a", 1, 2, "", -2},
  };
  for (const PositionCase& c : cases) {
    SCOPED_TRACE(c.name);
    RegexObject regex;
    ASSERT_TRUE(regex.Create(c.pattern, c.subject));
    int position = 99;
    const Text text = c.group == 0 ? regex.MatchText(c.match, &position)
                                   : regex.SubMatchText(c.match, c.group, &position);
    EXPECT_GBK_EQ(c.expectedText, text);
    EXPECT_EQ(c.expectedPosition, position);
  }
}

TEST(RegexObject, CopiesShareTheResultsUntilTheirOwnCreate) {
  RegexObject original;
  ASSERT_TRUE(original.Create("a(n)?", "banana"));
  RegexObject copy(original);
  EXPECT_EQ(3, copy.MatchCount());
  EXPECT_GBK_EQ("an", copy.MatchText(1));
  EXPECT_GBK_EQ("booo", copy.Replace("o"));
  EXPECT_GBK_EQ("a(n)?", copy.GetPattern());

  ASSERT_TRUE(copy.Create("n", "nnnn"));
  EXPECT_EQ(4, copy.MatchCount());
  EXPECT_EQ(3, original.MatchCount());
  EXPECT_GBK_EQ("booo", original.Replace("o"));

  RegexObject assigned;
  assigned = original;
  ASSERT_FALSE(original.Create("(", "x"));
  EXPECT_EQ(3, assigned.MatchCount());
  EXPECT_GBK_EQ("n", assigned.SubMatchText(1, 1));
  EXPECT_GBK_EQ("booo", assigned.Replace("o"));
}

const Text AlbumRecordPattern =
    "id:(.*?),name:'(.*?)',s:(.*?),count:(.*?),t:(.*?)',lurl:'(.*?)\\/(.*?)',dmt:(.*?)purl:'(.*?)'";

Text AlbumRecord(const Text& id, const Text& name, const Text& count, const Text& cover, const Text& list) {
  return "{id:" + id + ",name:'" + name + "',s:0,count:" + count + ",t:'" + "',lurl:'" + cover +
         "',dmt:1448864000,purl:'" + list + "'}";
}

struct AlbumFields {
  Text id, name, count, cover, list;
};

AlbumFields ReadRecord(const RegexObject& regex, int i) {
  return {regex.SubMatchText(i, 1), regex.SubMatchText(i, 2), regex.SubMatchText(i, 4), regex.SubMatchText(i, 7),
          regex.SubMatchText(i, 9)};
}

TEST(RegexObject, ReadsAlbumRecordsOfTheListScript) {
  // 淺 is 9C 5C: its second byte is a backslash in ASCII.
  const Text script = "var g_albums=[" +
                      AlbumRecord("101", "春天的相册"_gbk, "15", "5/photo/a/b.jpg", "http://s1/list/101.js") +
                      "," + AlbumRecord("202", "淺水 it's"_gbk, "0", "7/c.jpg", "") + "];";
  RegexObject regex;
  ASSERT_TRUE(regex.Create(AlbumRecordPattern, script));
  ASSERT_EQ(2, regex.MatchCount());
  EXPECT_EQ(9, regex.SubMatchCount());
  const AlbumFields first = ReadRecord(regex, 1);
  EXPECT_GBK_EQ("101", first.id);
  EXPECT_GBK_EQ("春天的相册"_gbk, first.name);
  EXPECT_GBK_EQ("15", first.count);
  EXPECT_GBK_EQ("photo/a/b.jpg", first.cover);
  EXPECT_GBK_EQ("http://s1/list/101.js", first.list);
  EXPECT_GBK_EQ("5", regex.SubMatchText(1, 6));
  const AlbumFields second = ReadRecord(regex, 2);
  EXPECT_GBK_EQ("202", second.id);
  // A lazy group stops at the first "',s:", so an apostrophe in the name is kept.
  EXPECT_GBK_EQ("淺水 it's"_gbk, second.name);
  EXPECT_GBK_EQ("0", second.count);
  EXPECT_GBK_EQ("c.jpg", second.cover);
  EXPECT_GBK_EQ("", second.list);
}

TEST(RegexObject, AlbumRecordBrokenAcrossLinesIsNotMatched) {
  Text record = AlbumRecord("101", "相册"_gbk, "15", "5/a.jpg", "l.js");
  record.insert(record.find(",count:"), "\n");
  RegexObject regex;
  ASSERT_TRUE(regex.Create(AlbumRecordPattern, record));
  EXPECT_EQ(0, regex.MatchCount());
}

TEST(RegexObject, ReadsTenThousandAlbumRecords) {
  constexpr int Records = 10000;
  Text script = "var g_albums=[";
  for (int i = 1; i <= Records; ++i) {
    const Text n = std::to_string(i);
    script += AlbumRecord(n, "相册"_gbk + n, n, "5/c/" + n + ".jpg", "list/" + n + ".js") + ",";
    if (i % 100 == 0) script += "\n";
  }
  script += "];";
  RegexObject regex;
  ASSERT_TRUE(regex.Create(AlbumRecordPattern, script));
  ASSERT_EQ(Records, regex.MatchCount());
  for (const int i : {1, 100, 101, 5000, Records}) {
    SCOPED_TRACE(i);
    const Text n = std::to_string(i);
    const AlbumFields fields = ReadRecord(regex, i);
    EXPECT_GBK_EQ(n, fields.id);
    EXPECT_GBK_EQ("相册"_gbk + n, fields.name);
    EXPECT_GBK_EQ("c/" + n + ".jpg", fields.cover);
    EXPECT_GBK_EQ("list/" + n + ".js", fields.list);
  }
}

TEST(RegexObject, ASearchThatCannotEndFailsInsteadOfHanging) {
  // Records on one line, none with "purl:'": every lazy group tries every
  // later record's markers, a number of tries no machine gets through.
  Text script;
  for (int i = 1; i <= 40; ++i) {
    Text record = AlbumRecord(std::to_string(i), "x", "1", "5/a.jpg", "l.js");
    record.replace(record.find("purl:"), 5, "xurl:");
    script += record + ",";
  }
  RegexObject regex;
  EXPECT_FALSE(regex.Create(AlbumRecordPattern, script));
  EXPECT_EQ(0, regex.MatchCount());
}

// The engine directly: what the object relies on and cannot show through GBK.
TEST(RegExpEngine, ReportsOffsetsInUnitsAndRejectsBadPatterns) {
  platform::RegExpEngine engine;
  engine.global = true;
  engine.pattern = u"a";
  const auto matches = engine.Execute(std::u16string(u"\U0001F600a\u4E2Da") + u'\0');
  ASSERT_NE(nullptr, matches);
  ASSERT_EQ(2u, matches->size());
  EXPECT_EQ(2, (*matches)[0].firstIndex);
  EXPECT_EQ(4, (*matches)[1].firstIndex);

  engine.pattern = u"(";
  EXPECT_EQ(nullptr, engine.Execute(u"abc"));
  EXPECT_EQ(u"abc", engine.Replace(u"abc", u"x"));

  engine.pattern = u"b";
  const std::u16string terminated = std::u16string(u"abc") + u'\0';
  EXPECT_EQ(std::u16string(u"axc") + u'\0', engine.Replace(terminated, u"x"));
}

} // namespace
