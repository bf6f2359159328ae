// Inputs on which the fuzz targets (fuzz/) found a crash or a broken
// property, kept as they were found, with what the program must give for
// them now.
#include "download/album_download.h"
#include "download/folders.h"
#include "platform/files.h"
#include "web/cookies.h"
#include "web/text.h"

#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

namespace {

using web::Text;

Text Bytes(std::string_view raw) { return Text(raw); }

// A position FindText gives is a character start where the needle stands,
// and the first one from the start on: a start on the second byte of a
// double-byte character goes on from the next character.
TEST(FuzzFindings, FindTextStartingOnASecondByte) {
  const struct {
    const char* name;
    Text text;
    Text needle;
    int start;
    int expected;
  } cases[] = {
      // Found A1 at 7, the second byte of A1 A1.
      {"match on a second byte", Bytes("VAP\xA1P\xA1\xA1"), "\xA1", 7, -1},
      // Read E0 V as a character and missed "V " at 6.
      {"match right after the split character", Bytes("V \t\xE0\xE0V \t\xE0 G"), "V ", 5, 6},
      // The same in a photo list, where a later "ou" was given instead of 46.
      {"first match in a photo list",
       Bytes("our','a'\",l:'a', ourl:'\xAE', ourl, ourl:' ', \xCD\xCDourl:'\xCD\xCD\xCD\xCDourh: ourl:','b', "
             "o\xC7\xC7\xC7\xC7\xC7\xC7\xC7\xC7\xC7\xC7\xC7\xC7\xC7:'' ', ourl:'c',"),
       "ou", 45, 46},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, web::FindText(c.text, c.needle, c.start));
  }
}

TEST(FuzzFindings, CollectedCookiesNeverHoldALineBreak) {
  const struct {
    const char* name;
    Text block;
    Text expected;
  } cases[] = {
      // A bare CR inside a run of high bytes.
      {"bare CR", Bytes("=a\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\rSet-Cookie:\xFF\xFF\xFF"),
       Bytes("\xFF\xFF")},
      // A UTF-8 value whose last byte takes the CR as its second byte by the
      // GBK rule: the next line used to become part of the value.
      {"UTF-8 value before CR LF", Bytes("Set-Cookie: n=\xE4\xB8\xAD\r\nSet-Cookie: b=2; path=/\r\n"),
       Bytes("n=\xE4\xB8; b=2")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, web::CollectSetCookies(c.block));
  }
}

TEST(FuzzFindings, MergedCookiesNameEachCookieOnceAndKeepTheirSeparators) {
  const struct {
    const char* name;
    Text held;
    Text received;
    Text expected;
  } cases[] = {
      // Both received pieces of the name "a" were kept.
      {"two received of one name", "a=1, b=24 a=2", "a=deneted;a=3", "a=3"},
      // The lead byte CF took the ";" after it as its second byte, so
      // "\xCF; q" read as one cookie holding a space.
      {"lone lead byte at the end of the received text", "q", Bytes("\xCF"), "; q"},
      // Found while mending the one above: a whole double-byte character at
      // the end of a piece must stay.
      {"double-byte character at the end of a piece", Bytes("\xC3\xFB; \xC3\xFB\xD7|0"), "",
       Bytes("\xC3\xFB; \xC3\xFB\xD7|0")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Text held = c.held;
    Text received = c.received;
    EXPECT_GBK_EQ(c.expected, web::MergeCookies(held, received));
  }
}

TEST(FuzzFindings, SanitizedNamesHoldOnlyWholeCharacters) {
  const struct {
    const char* name;
    Text albumName;
    Text expected;
  } cases[] = {
      {"lone lead byte", Bytes("\x98"), ""},
      {"lone lead byte after Chinese and a full-width space",
       Bytes("\xB0\xA1\xA3\xC1\xA1\xA1\xA1\xBE\xD0\xD0[\xBF"), Bytes("\xB0\xA1\xA3\xC1\xA1\xA1\xA1\xBE\xD0\xD0[")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, download::SanitizeFolderName(c.albumName));
  }
}

// F6 2F is no GBK character: converted, it gave a replacement character and
// a "/", one folder level too many.
TEST(FuzzFindings, ACountTextCannotAddAFolderLevel) {
  const Text folder = download::AlbumFolderPath(download::SaveRoot("/srv/photos"), download::SafeFolderComponent(""),
                                                download::SafeFolderComponent(download::AlbumFolderName("[", "\xF6/0")));
  EXPECT_GBK_EQ("/srv/photos\\_\\[_0", folder);
  EXPECT_EQ("/srv/photos/_/[_0", platform::NativePath(folder).string());
}

} // namespace
