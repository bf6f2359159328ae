#include "download/album_download.h"
#include "download/download_jobs.h"

#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using download::CutJob;
using Parts = std::vector<platform::Text>;

TEST(CutJob, TakesAtMostThreePartsAndDropsAnEmptyLastOne) {
  struct Case {
    const char* name;
    platform::Text job;
    Parts expected;
  } cases[] = {
      {"three parts", "5--@@--photo/list.js--@@--旅行"_gbk, {"5", "photo/list.js", "旅行"_gbk}},
      {"empty name", "5--@@--photo/list.js--@@--", {"5", "photo/list.js"}},
      {"name holding the separator is cut short", "5--@@--a--@@--x--@@--y", {"5", "a", "x"}},
      {"two parts", "5--@@--a", {"5", "a"}},
      {"one part", "5", {"5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, CutJob(c.job));
  }
}

TEST(PhotoNameRandom, StaysInRangeAndDiffersWithinOneMillisecond) {
  download::PhotoNameRandom random;
  std::set<int> seen;
  for (int i = 0; i < 50; ++i) {
    const int value = random.NextAt(123456);
    EXPECT_GE(value, 1);
    EXPECT_LE(value, 2000);
    seen.insert(value);
  }
  // The running offset reseeds differently each time, so one tick does not
  // give one number.
  EXPECT_GT(seen.size(), 40u);
}

TEST(SafeFolderComponent, NeverLeavesItsParentFolder) {
  struct Case {
    platform::Text name, expected;
  } cases[] = {
      {"sample", "sample"}, {"", "_"}, {".", "_."}, {"..", "_.."}, {"a/b", "a_b"},
      {"..\\..\\x", ".._.._x"}, {"../..", ".._.."},
      // 0x81 0x5C is one character whose second byte is "\": it stays whole.
      {"\x81\x5C", "\x81\x5C"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing_support::DescribeGbk(c.name));
    EXPECT_GBK_EQ(c.expected, download::SafeFolderComponent(c.name));
  }
}

} // namespace
