#include "web/encoding.h"

#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using web::ByteBuffer;
using web::Text;

ByteBuffer Bytes(std::initializer_list<int> values) {
  ByteBuffer bytes;
  for (const int value : values) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

ByteBuffer Bytes(std::string_view raw) { return ByteBuffer(raw.begin(), raw.end()); }

struct Utf8Case {
  const char* name;
  ByteBuffer utf8;
  Text expected;
};

TEST(Utf8ToText, ConvertsToGbkSubstitutingWhatItCannotHold) {
  const Utf8Case cases[] = {
      {"Chinese and ASCII", Bytes({0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x61, 0x62, 0x63}),
       "\xD6\xD0\xCE\xC4"
       "abc"},
      {"empty", {}, ""},
      {"stops at a zero byte", Bytes(std::string_view("ab\0cd", 5)), "ab"},
      {"zero byte first", Bytes(std::string_view("\0ab", 3)), ""},
      {"Korean is not in GBK", Bytes("a\xED\x95\x9C" "b"), "a?b"},
      {"a character beyond the BMP is one question mark", Bytes("\xF0\x9F\x98\x80" "a"), "?a"},
      {"the euro sign is 80 in code page 936", Bytes("\xE2\x82\xAC"), "\x80"},
      {"broken two-byte sequence", Bytes("a\xC3(b"), "a?(b"},
      {"stray continuation byte", Bytes("\x80x"), "?x"},
      {"sequence cut off at the end", Bytes("ab\xE4\xB8"), "ab?"},
      {"overlong form", Bytes("\xC0\xAF" "z"), "??z"},
      {"encoded surrogate", Bytes("\xED\xA0\x80" "z"), "???z"},
      {"conversion goes on after bad bytes", Bytes("\xFF\xE4\xB8\xAD"), "?\xD6\xD0"},
      // Flags 0: a combining mark is not merged into its base letter here.
      {"no composition", Bytes("e\xCC\x81"), "e?"},
  };
  for (const Utf8Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, web::Utf8ToText(c.utf8));
  }
}

struct ToWideCase {
  const char* name;
  Text text;
  bool withoutTerminator;
  ByteBuffer expected;
};

TEST(TextToWide, GivesLittleEndianUnitsWithTheirTerminator) {
  const ToWideCase cases[] = {
      {"ASCII", "ab", false, Bytes({0x61, 0x00, 0x62, 0x00, 0x00, 0x00})},
      {"ASCII without terminator", "ab", true, Bytes({0x61, 0x00, 0x62, 0x00})},
      {"Chinese", "中"_gbk, false, Bytes({0x2D, 0x4E, 0x00, 0x00})},
      {"Chinese without terminator", "中文"_gbk, true, Bytes({0x2D, 0x4E, 0x87, 0x65})},
      {"empty", "", false, Bytes({0x00, 0x00})},
      {"empty without terminator", "", true, {}},
      {"the euro byte", "\x80", false, Bytes({0xAC, 0x20, 0x00, 0x00})},
      // The lead byte must not take the terminator as its second byte.
      {"ending in a lead byte", "ab\xD6", false, Bytes({0x61, 0x00, 0x62, 0x00, 0xFD, 0xFF, 0x00, 0x00})},
      {"lead byte with an invalid second byte", "\xD6"
                                                "0",
       false, Bytes({0xFD, 0xFF, 0x30, 0x00, 0x00, 0x00})},
      {"a text ends at its first zero byte", Text("a\0b", 3), false, Bytes({0x61, 0x00, 0x00, 0x00})},
  };
  for (const ToWideCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, web::TextToWide(c.text, c.withoutTerminator));
  }
}

struct ToTextCase {
  const char* name;
  ByteBuffer wide;
  Text expected;
};

TEST(WideToText, ReadsUnitsUpToTheFirstZero) {
  const ToTextCase cases[] = {
      {"ASCII", Bytes({0x61, 0x00, 0x62, 0x00}), "ab"},
      {"stops at a zero unit", Bytes({0x61, 0x00, 0x00, 0x00, 0x62, 0x00}), "a"},
      {"odd last byte ignored", Bytes({0x61, 0x00, 0x62}), "a"},
      {"a single byte", Bytes({0x61}), ""},
      {"empty", {}, ""},
      {"zero first", Bytes({0x00, 0x00, 0x61, 0x00}), ""},
      {"Chinese", Bytes({0x2D, 0x4E, 0x87, 0x65}), "中文"_gbk},
      {"Korean is not in GBK", Bytes({0x61, 0x00, 0x5C, 0xD5, 0x62, 0x00}), "a?b"},
      {"surrogate pair is one question mark", Bytes({0x3D, 0xD8, 0x00, 0xDE, 0x61, 0x00}), "?a"},
      {"lone high surrogate", Bytes({0x61, 0x00, 0x00, 0xD8, 0x62, 0x00}), "a?b"},
      {"lone low surrogate", Bytes({0x00, 0xDC, 0x61, 0x00}), "?a"},
      {"high surrogate at the end", Bytes({0x61, 0x00, 0x00, 0xD8}), "a?"},
      {"high surrogate before the zero unit", Bytes({0x00, 0xD8, 0x00, 0x00, 0x00, 0xDC}), "?"},
      // The composite check: the pinyin letters GBK holds come out precomposed.
      {"a with caron composes", Bytes({0x61, 0x00, 0x0C, 0x03}), "\xA8\xA3"},
      {"e with acute composes", Bytes({0x65, 0x00, 0x01, 0x03, 0x62, 0x00}), "\xA8\xA6"
                                                                             "b"},
      {"a mark with no precomposed letter stays separate", Bytes({0x78, 0x00, 0x01, 0x03}), "x?"},
      {"precomposed but not in GBK stays separate", Bytes({0x77, 0x00, 0x01, 0x03}), "w?"},
      {"a second mark stays separate", Bytes({0x65, 0x00, 0x01, 0x03, 0x01, 0x03}), "\xA8\xA6"
                                                                                    "?"},
  };
  for (const ToTextCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, web::WideToText(c.wide));
  }
}

TEST(Encoding, GbkTextSurvivesTheRoundTripThroughUtf16) {
  const Text texts[] = {"", "abc", "相册A1张，共15张。"_gbk, "淺水"_gbk, "\x80\xA1\xA1 x"};
  for (const Text& text : texts) {
    SCOPED_TRACE(testing_support::DescribeGbk(text));
    EXPECT_GBK_EQ(text, web::WideToText(web::TextToWide(text)));
    EXPECT_GBK_EQ(text, web::WideToText(web::TextToWide(text, true)));
  }
}

} // namespace
