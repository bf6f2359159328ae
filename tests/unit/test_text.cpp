#include "web/text.h"

#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

namespace {

using web::FindText;
using web::GetAllMiddleTexts;
using web::GetMiddleText;
using web::Text;
using web::TextList;
using web::TrimSpaces;

struct FindCase {
  const char* name;
  Text text;
  Text needle;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindText, FindsByCharacterNeverInsideADoubleByteCharacter) {
  // 中 is D6 D0; "\xD0" + "a" would match across its second byte.
  const Text zhongA = "中a"_gbk;
  const FindCase cases[] = {
      {"from 4", "xxabcabc", "abc", 4, false, 6},
      {"from 0 counts as 1", "xxabcabc", "abc", 0, false, 3},
      {"from 1", "xxabcabc", "abc", 1, false, 3},
      {"start beyond the end", "xxabcabc", "abc", 9, false, -1},
      {"negative start", "abc", "a", -5, false, 1},
      {"missing", "abc", "d", 1, false, -1},
      {"second byte plus next character", zhongA, "\xD0"
                                                   "a",
       1, false, -1},
      {"second byte alone", "中"_gbk, "\xD0", 1, false, -1},
      {"after a double-byte character", zhongA, "a", 1, false, 3},
      {"ignore case on ASCII", "xABCx", "abc", 1, true, 2},
      {"exact case by default", "xABCx", "abc", 1, false, -1},
      // 0xC1 0x41 is one character whose second byte is 'A': ignoring case
      // must not let 'a' match it.
      {"ignore case leaves second bytes exact", "\xC1"
                                                "A",
       "\xC1"
       "a",
       1, true, -1},
      {"empty text", "", "a", 1, false, -1},
      {"text ending in a lead byte", "ab\xD6", "\xD6", 1, false, 3},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, FindText(c.text, c.needle, c.start, c.ignoreCase));
  }
}

TEST(FindLastText, LooksOnlyBeforeThePosition) {
  EXPECT_EQ(4, web::FindLastText("a.b.c", "."));
  EXPECT_EQ(2, web::FindLastText("a.b.c", ".", 4));
  EXPECT_EQ(-1, web::FindLastText("a.b.c", ".", 2));
  EXPECT_EQ(-1, web::FindLastText("a.b.c", ".", 1));
  EXPECT_EQ(-1, web::FindLastText("a.b.c", ".", -1));
  // A match must lie wholly inside the first p-1 bytes.
  EXPECT_EQ(-1, web::FindLastText("xab", "ab", 3));
}

TEST(TrimSpaces, RemovesHalfAndFullWidthSpacesAtBothEndsOnly) {
  const Text fullWidth = "\xA1\xA1";
  struct Case {
    const char* name;
    Text text;
    Text expected;
  } cases[] = {
      {"half-width", "  a b  ", "a b"},
      {"full-width", fullWidth + "a" + fullWidth, "a"},
      {"mixed", " " + fullWidth + " " + "相册"_gbk + " " + fullWidth, "相册"_gbk},
      {"tabs and line breaks stay", "\ta\r\n", "\ta\r\n"},
      {"only spaces", "  " + fullWidth + " ", ""},
      {"empty", "", ""},
      // B0 A1 is one character: its second byte must not start a full-width space.
      {"second byte A1 is not a space", "\xB0\xA1\xA1\xA1", "\xB0\xA1"},
      // A lead byte takes the space after it as its second byte.
      {"lead byte before a trailing space", " a\xD6 ", "a\xD6 "},
      {"lead byte at the very end", " a\xD6", "a\xD6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, TrimSpaces(c.text));
  }
}

TEST(GetMiddleText, CutsTheFirstValueBetweenMarkers) {
  struct Case {
    const char* name;
    Text text, left, right;
    int start;
    bool ignoreCase;
    Text expected;
  } cases[] = {
      {"first value", "a=[1] b=[2]", "[", "]", 1, false, "1"},
      {"from position 6", "a=[1] b=[2]", "[", "]", 6, false, "2"},
      {"right marker missing", "a=[1] b=[2]", "[", "}", 1, false, ""},
      {"left marker missing", "a=[1]", "{", "]", 1, false, ""},
      {"quote word in both markers", "x=\"7\"", "x=#引号"_gbk, "#引号"_gbk, 1, false, "7"},
      {"spaces kept", "< a >", "<", ">", 1, false, " a "},
      {"right marker right after the left", "<>", "<", ">", 1, false, ""},
      {"exact case by default", "ID=5;", "id=", ";", 1, false, ""},
      {"ignore case", "ID=5;", "id=", ";", 1, true, "5"},
      {"Chinese markers", "相册《旅行》"_gbk, "《"_gbk, "》"_gbk, 1, false, "旅行"_gbk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, GetMiddleText(c.text, c.left, c.right, c.start, c.ignoreCase));
  }
}

TEST(GetAllMiddleTexts, CollectsValuesUntilABlankOne) {
  TextList list{"old"};
  EXPECT_EQ(2, GetAllMiddleTexts("ourl:'a', ourl:'b', ourl:' ', ourl:'c',", "ourl:'", "',", list));
  EXPECT_EQ((TextList{"a", "b"}), list);
}

TEST(GetAllMiddleTexts, SkipsOverlongValuesAndGoesOn) {
  TextList list;
  EXPECT_EQ(2, GetAllMiddleTexts("(ab)(c)(de)(f)", "(", ")", list, false, 1));
  EXPECT_EQ((TextList{"c", "f"}), list);
}

TEST(GetAllMiddleTexts, IdenticalMarkersShareTheClosingOne) {
  TextList list;
  EXPECT_EQ(1, GetAllMiddleTexts("'a' 'b'", "'", "'", list));
  EXPECT_EQ((TextList{"a"}), list);
}

TEST(GetAllMiddleTexts, OptionsShapeEachEntry) {
  TextList list;
  GetAllMiddleTexts("[ a ][b]", "[", "]", list, false, 0, "<", ">", true, true);
  EXPECT_EQ((TextList{"[<a>]", "[<b>]"}), list);

  // Case-insensitive by default, exact with the flag.
  EXPECT_EQ(1, GetAllMiddleTexts("OURL:'x',", "ourl:'", "',", list));
  EXPECT_EQ(0, GetAllMiddleTexts("OURL:'x',", "ourl:'", "',", list, true));

  // A start position skips what stands before it.
  EXPECT_EQ(1, GetAllMiddleTexts("(a)(b)", "(", ")", list, false, 0, {}, {}, false, false, 4));
  EXPECT_EQ((TextList{"b"}), list);
}

TEST(GetAllMiddleTexts, NoLeftMarkerEmptiesTheList) {
  TextList list{"stale", "entries"};
  EXPECT_EQ(0, GetAllMiddleTexts("nothing here", "ourl:'", "',", list));
  EXPECT_TRUE(list.empty());
}

TEST(GetAllMiddleTexts, HandlesManyValuesInOneCall) {
  Text photoList;
  const int count = 100000;
  for (int i = 0; i < count; ++i) photoList += "{ourl:'/p/" + std::to_string(i) + ".jpg',x:1}";
  TextList list;
  ASSERT_EQ(count, GetAllMiddleTexts(photoList, "ourl:'", "',", list));
  EXPECT_EQ("/p/0.jpg", list.front());
  EXPECT_EQ("/p/99999.jpg", list.back());
}

TEST(TextHelpers, SplitReplaceLowerAndNumbers) {
  EXPECT_EQ((TextList{"a", "", "b"}), web::SplitText("a;;b;", ";"));
  EXPECT_EQ((TextList{"", "a"}), web::SplitText(";a", ";"));
  EXPECT_TRUE(web::SplitText("", ";").empty());
  // 0xB5 0x3B is one character whose second byte is ';'.
  EXPECT_EQ((TextList{"\xB5;", "x"}), web::SplitText("\xB5;;x", ";"));

  EXPECT_EQ("Set-Cookie: a; Set-Cookie: b",
            web::ReplaceText("set-cookie: a; SET-COOKIE: b", "Set-Cookie", "Set-Cookie", true));
  EXPECT_EQ("bonono", web::ReplaceText("banana", "a", "o"));

  // 0xC1 0x41 keeps its second byte 'A'.
  EXPECT_EQ("abc\xC1"
            "Ad",
            web::LowerAscii("ABC\xC1"
                            "AD"));
  EXPECT_EQ("2015", web::FullWidthToHalfWidth("\xA3\xB2\xA3\xB0\xA3\xB1\xA3\xB5"));

  EXPECT_EQ(81, web::TextToInt("81/"));
  EXPECT_EQ(-3, web::TextToInt("  -3x"));
  EXPECT_EQ(0, web::TextToInt(""));
  EXPECT_EQ(0, web::TextToInt("x12"));
  EXPECT_EQ(2147483647, web::TextToInt("99999999999999"));
}

TEST(PercentText, TruncatesTheDoublePrecisionQuotient) {
  struct Case {
    int position, maximum;
    const char* expected;
  } cases[] = {
      {1, 3, "33%"}, {2, 3, "66%"}, {3, 3, "100%"}, {29, 100, "28%"}, {57, 100, "56%"},
      {58, 100, "57%"}, {1, 7, "14%"}, {6, 7, "85%"}, {5, 0, "0%"}, {150, 100, "150%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.position) + "/" + std::to_string(c.maximum));
    EXPECT_EQ(c.expected, web::PercentText(c.position, c.maximum));
  }
}

} // namespace
