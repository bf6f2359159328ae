#include "web/cookies.h"

#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

namespace {

using web::CollectSetCookies;
using web::CookieName;
using web::DistinctItems;
using web::MergeCookies;
using web::Text;

const Text FullWidthSpace = "\xA1\xA1";

TEST(CollectSetCookies, TakesTheFirstPairOfEverySetCookieLine) {
  const struct {
    const char* name;
    Text block;
    Text expected;
  } cases[] = {
      {"attributes dropped, lines without Set-Cookie ignored",
       "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2"},
      {"no Set-Cookie lines", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", ""},
      {"empty block", "", ""},
      {"value holding =", "Set-Cookie: t=a=b; HttpOnly\r\n", "t=a=b"},
      {"spaces around the pair", "Set-Cookie:   c=3   ; Path=/\r\n", "c=3"},
      {"last line without CR LF", "HTTP/1.1 302 Found\r\nSet-Cookie: d=4", "d=4"},
      {"other spellings are removed on lines without ;", "Set-Cookie: SET-COOKIE:e=5\r\n", "e=5"},
      {"only exact Set-Cookie lines count", "set-cookie: f=6\r\n", ""},
      {"double-byte value", "Set-Cookie: n="_gbk + "相册"_gbk + "; path=/\r\n", "n="_gbk + "相册"_gbk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, CollectSetCookies(c.block));
  }
}

struct MergeCase {
  const char* name;
  Text held;
  Text received;
  Text expected;
  Text receivedAfter;
};

TEST(MergeCookies, ReceivedFirstThenHeldNotReceived) {
  const MergeCase cases[] = {
      {"received replaces held", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
      {"deleted removes", "a=1; b=2", "b=deleted", "a=1", "b=deleted"},
      {"deleted that was never held", "a=1", "z=deleted; c=3", "c=3; a=1", "z=deleted;c=3"},
      {"nothing received", "a=1", "", "a=1", ""},
      {"both empty", "", "", "", ""},
      {"nothing held", "", "a=1; b=2", "a=1; b=2", "a=1;b=2"},
      {"spaces inside pairs go", "x = 1", "", "x=1", ""},
      {"full-width spaces go", "a=" + FullWidthSpace + "1", "b" + FullWidthSpace + "=2", "b=2; a=1", "b=2"},
      {"first of two held duplicates wins", "a=1; a=2", "", "a=1", ""},
      {"names are case-sensitive", "A=1", "a=2", "a=2; A=1", "a=2"},
      {"name ends at the first =", "t=a=b", "t=c", "t=c", "t=c"},
      {"empty piece survives", "a=1;;b=2", "", "a=1; ; b=2", ""},
      {"trailing separator gives no piece", "a=1;", "b=2;", "b=2; a=1", "b=2;"},
      {"received duplicates collapse", "", "a=1; a=1", "a=1", "a=1;a=1"},
      {"pair without =", "flag; a=1", "flag", "flag; a=1", "flag"},
      {"deleted only at the end", "a=1", "x=deletedx", "x=deletedx; a=1", "x=deletedx"},
      {"double-byte values", "n="_gbk + "旧"_gbk, "n="_gbk + "新"_gbk, "n="_gbk + "新"_gbk, "n="_gbk + "新"_gbk},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.name);
    Text held = c.held;
    Text received = c.received;
    const Text merged = MergeCookies(held, received);
    EXPECT_GBK_EQ(c.expected, merged);
    EXPECT_GBK_EQ(c.expected, held);
    EXPECT_GBK_EQ(c.receivedAfter, received);
  }
}

TEST(MergeCookies, RepeatedMergesKeepOneCopyOfEachCookie) {
  Text held = "JSESSIONID=abc; NTES_SESS=1";
  for (int i = 0; i < 3; ++i) {
    Text received = "JSESSIONID=abc";
    MergeCookies(held, received);
  }
  EXPECT_GBK_EQ("JSESSIONID=abc; NTES_SESS=1", held);
}

TEST(CookieName, TextBeforeTheFirstEqualsTrimmed) {
  EXPECT_GBK_EQ("t", CookieName("t=a=b"));
  EXPECT_GBK_EQ("flag", CookieName(" flag "));
  EXPECT_GBK_EQ("a", CookieName(FullWidthSpace + "a =1"));
  EXPECT_GBK_EQ("", CookieName("=1"));
  EXPECT_GBK_EQ("", CookieName(""));
}

TEST(DistinctItems, KeepsTheFirstOfEqualPieces) {
  const struct {
    Text text;
    Text separator;
    Text expected;
  } cases[] = {
      {"x; y; x", "; ", "x; y"},
      {"x; y; x; ", "; ", "x; y"},
      {"x", "; ", "x"},
      {"", "; ", ""},
      {"x; ; y; ", "; ", "x; ; y"},
      {"a,A,a", ",", "a,A"},
      {"x;x;x", ";", "x"},
      {"相册; 相; 相册"_gbk, "; ", "相册; 相"_gbk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_GBK_EQ(c.expected, DistinctItems(c.text, c.separator));
  }
}

} // namespace
