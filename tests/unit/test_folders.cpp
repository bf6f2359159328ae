#include "download/folders.h"
#include "platform/files.h"

#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

using download::AlbumFolderName;
using download::AlbumFolderPath;
using download::CreateAlbumFolder;
using download::EnsureDirectory;
using download::SanitizeFolderName;
using platform::Text;

// 乗 is 81 5C and 亅 is 81 7C: their second bytes are "\" and "|".
const Text Backslash2nd = "乗"_gbk;
const Text Bar2nd = "亅"_gbk;

TEST(SanitizeFolderName, TheDoubleByteProbesAreWhatTheyClaim) {
  ASSERT_EQ(Text("\x81\x5C"), Backslash2nd);
  ASSERT_EQ(Text("\x81\x7C"), Bar2nd);
}

TEST(SanitizeFolderName, RemovesTheListedCharactersOnly) {
  const Text fullWidthSpace = "\xA1\xA1";
  const struct {
    const char* name;
    Text albumName;
    Text expected;
  } cases[] = {
      {"ASCII punctuation", "a:b/c?d", "abcd"},
      {"every ASCII character of the list", "<a:\\/?*|>", "a"},
      {"full-width punctuation", "我的相册（2015）·旅行！"_gbk, "我的相册2015旅行"_gbk},
      {"every full-width character of the list", "：、？。（）·！，"_gbk + "x", "x"},
      {"dots and spaces", "ver1.0 final", "ver10final"},
      {"only removed characters", ". . .  ..", ""},
      {"kept ASCII", "a(b)[c],d-e_f", "a(b)[c],d-e_f"},
      {"kept full-width space and brackets", "旅"_gbk + fullWidthSpace + "【行】"_gbk,
       "旅"_gbk + fullWidthSpace + "【行】"_gbk},
      {"second byte \\ stays whole", "a" + Backslash2nd + "\\b", "a" + Backslash2nd + "b"},
      {"second byte | stays whole", Bar2nd + "|" + Bar2nd, Bar2nd + Bar2nd},
      // 啊 is B0 A1 and Ａ is A3 C1: the bytes A1 A3 in between are not "。".
      {"no match across two characters", "啊Ａ"_gbk, "啊Ａ"_gbk},
      {"double quote", "say \"hi\"", "sayhi"},
      {"control bytes", "a\tb\r\nc\x01\x1F", "abc"},
      {"byte 0x7F and above stay", "a\x7F", "a\x7F"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, SanitizeFolderName(c.albumName));
  }
}

TEST(AlbumFolderName, SanitizedNameThenTheCountUnchanged) {
  EXPECT_GBK_EQ("abcd5", AlbumFolderName("a:b/c?d", "5"));
  EXPECT_GBK_EQ("我的相册2015旅行30"_gbk, AlbumFolderName("我的相册（2015）·旅行！"_gbk, "30"));
  EXPECT_GBK_EQ("ver10final8", AlbumFolderName("ver1.0 final", "8"));
  EXPECT_GBK_EQ("旅行2015120"_gbk, AlbumFolderName("旅行 2015"_gbk, "120"));
  EXPECT_GBK_EQ("12", AlbumFolderName(". . .", "12"));
  EXPECT_GBK_EQ("a1.5 x", AlbumFolderName("a", "1.5 x"));
}

TEST(AlbumFolderPath, JoinsWithBackslashes) {
  EXPECT_GBK_EQ("D:\\photos\\sample\\abcd5", AlbumFolderPath("D:\\photos", "sample", "abcd5"));
  EXPECT_GBK_EQ("D:\\photos\\\\sample\\abcd5", AlbumFolderPath("D:\\photos\\", "sample", "abcd5"));
  EXPECT_GBK_EQ("/save\\\\x", AlbumFolderPath("/save", "", "x"));
}

TEST(SaveRoot, TheBoxAsTypedOrTheProgramFolder) {
  EXPECT_GBK_EQ(" D:\\x ", download::SaveRoot(" D:\\x "));
  EXPECT_GBK_EQ(platform::ProgramDirectory(), download::SaveRoot(""));
}

TEST(NativePath, DecodesBeforeLookingForSeparators) {
  const struct {
    const char* name;
    Text gbkPath;
    std::string expectedUtf8;
  } cases[] = {
      {"backslashes", "a\\b\\c", "a/b/c"},
      {"a run of backslashes is one separator", "a\\\\\\b", "a/b"},
      {"slashes stay", "/tmp/x\\y", "/tmp/x/y"},
      {"trailing backslash", "a\\", "a/"},
      {"Chinese names", "相册\\旅行"_gbk, "相册/旅行"},
      {"second byte 0x5C is not a separator", Backslash2nd + "\\" + Backslash2nd + "2", "乗/乗2"},
      {"second byte 0x7C", Bar2nd, "亅"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expectedUtf8, platform::NativePath(c.gbkPath).string());
  }
}

// A fresh folder under the system's temporary folder, removed afterwards.
class FoldersOnDisk : public testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "orlio-folders-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    m_root = pattern;
    m_gbkRoot = platform::Utf8ToGbk(pattern);
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(m_root, error);
  }

  // Names of the entries directly inside a folder, as UTF-8.
  static std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  static std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path m_root;
  Text m_gbkRoot;
};

TEST_F(FoldersOnDisk, AlbumFolderIsCreatedWithUnicodeNames) {
  const Text folder = AlbumFolderPath(m_gbkRoot, "sample", AlbumFolderName("我的相册（2015）·旅行！"_gbk, "30"));
  EXPECT_FALSE(platform::IsDirectory(folder));
  EXPECT_TRUE(CreateAlbumFolder(folder));
  EXPECT_TRUE(platform::IsDirectory(folder));
  EXPECT_EQ(std::set<std::string>{"sample"}, NamesIn(m_root));
  EXPECT_EQ(std::set<std::string>{"我的相册2015旅行30"}, NamesIn(m_root / "sample"));
}

TEST_F(FoldersOnDisk, SecondByteBackslashDoesNotSplitTheFolder) {
  const Text folder = AlbumFolderPath(m_gbkRoot, Backslash2nd, "a" + Backslash2nd + "12");
  EXPECT_TRUE(CreateAlbumFolder(folder));
  EXPECT_EQ(std::set<std::string>{"乗"}, NamesIn(m_root));
  EXPECT_EQ(std::set<std::string>{"a乗12"}, NamesIn(m_root / "乗"));
}

TEST_F(FoldersOnDisk, FolderEndingInASecondByteBackslashIsStillCreated) {
  // Judged byte by byte the path would already end in "\" and its last
  // folder would be taken for a file name.
  EXPECT_EQ(1, EnsureDirectory(m_gbkRoot + "\\" + Backslash2nd));
  EXPECT_TRUE(fs::is_directory(m_root / "乗"));
}

TEST_F(FoldersOnDisk, SaveRootEndingInABackslash) {
  EXPECT_TRUE(CreateAlbumFolder(AlbumFolderPath(m_gbkRoot + "\\", "sample", "x5")));
  EXPECT_TRUE(fs::is_directory(m_root / "sample" / "x5"));
}

TEST_F(FoldersOnDisk, ExistingFolderIsUsedAgainUnchanged) {
  const Text folder = AlbumFolderPath(m_gbkRoot, "sample", "abcd5");
  ASSERT_TRUE(CreateAlbumFolder(folder));
  ASSERT_TRUE(platform::WriteWholeFile(folder + "\\1_17.jpg", platform::ToBytes("first")));
  EXPECT_TRUE(CreateAlbumFolder(folder));
  EXPECT_EQ(1, EnsureDirectory(folder));
  EXPECT_EQ(std::set<std::string>{"1_17.jpg"}, NamesIn(m_root / "sample" / "abcd5"));
  EXPECT_EQ("first", ReadFile(m_root / "sample" / "abcd5" / "1_17.jpg"));
}

TEST_F(FoldersOnDisk, FileInTheWayIsReportedAsFailure) {
  ASSERT_TRUE(platform::WriteWholeFile(m_gbkRoot + "\\sample", platform::ToBytes("x")));
  const Text folder = AlbumFolderPath(m_gbkRoot, "sample", "abcd5");
  EXPECT_EQ(0, EnsureDirectory(folder));
  EXPECT_FALSE(CreateAlbumFolder(folder));
  EXPECT_TRUE(fs::is_regular_file(m_root / "sample"));
}

TEST_F(FoldersOnDisk, WhatFollowsTheLastBackslashIsAFileName) {
  EXPECT_EQ(1, platform::MakeSureDirectoryPathExists(m_gbkRoot + "\\a\\b\\photo.jpg"));
  EXPECT_TRUE(fs::is_directory(m_root / "a" / "b"));
  EXPECT_FALSE(fs::exists(m_root / "a" / "b" / "photo.jpg"));
}

TEST_F(FoldersOnDisk, WholeFileWriteCreatesAndReplaces) {
  ASSERT_EQ(1, EnsureDirectory(m_gbkRoot + "\\相册"_gbk));
  const Text file = m_gbkRoot + "\\相册\\1_"_gbk + Backslash2nd + ".jpg";
  const fs::path onDisk = m_root / "相册" / "1_乗.jpg";
  EXPECT_FALSE(platform::FileExists(file));

  const platform::ByteBuffer jpeg = {0xFF, 0xD8, 0x00, 0x5C, 0xFF, 0xD9};
  EXPECT_TRUE(platform::WriteWholeFile(file, jpeg));
  EXPECT_TRUE(platform::FileExists(file));
  EXPECT_FALSE(platform::IsDirectory(file));
  EXPECT_EQ(std::string("\xFF\xD8\x00\x5C\xFF\xD9", 6), ReadFile(onDisk));

  EXPECT_TRUE(platform::WriteWholeFile(file, platform::ToBytes("ab")));
  EXPECT_EQ("ab", ReadFile(onDisk));
  EXPECT_TRUE(platform::WriteWholeFile(file, {}));
  EXPECT_EQ(0u, fs::file_size(onDisk));
}

TEST_F(FoldersOnDisk, WholeFileWriteIntoAMissingFolderFails) {
  EXPECT_FALSE(platform::WriteWholeFile(m_gbkRoot + "\\missing\\1_1.jpg", platform::ToBytes("x")));
  EXPECT_FALSE(fs::exists(m_root / "missing"));
}

TEST_F(FoldersOnDisk, ExistenceTests) {
  EXPECT_TRUE(platform::IsDirectory(m_gbkRoot));
  EXPECT_TRUE(platform::IsDirectory(m_gbkRoot + "\\"));
  EXPECT_TRUE(platform::FileExists(m_gbkRoot));
  EXPECT_FALSE(platform::IsDirectory(m_gbkRoot + "\\none"));
  EXPECT_FALSE(platform::FileExists(m_gbkRoot + "\\none"));
  EXPECT_FALSE(platform::IsDirectory(""));
  EXPECT_FALSE(platform::FileExists(""));
}

TEST(ProgramDirectory, TheRunningProgramsFolderWithoutTrailingSeparator) {
  const Text folder = platform::ProgramDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ('/', folder.front());
  EXPECT_NE('/', folder.back());
  EXPECT_TRUE(platform::IsDirectory(folder));
  EXPECT_EQ(fs::canonical("/proc/self/exe").parent_path(), platform::NativePath(folder));
}

} // namespace
