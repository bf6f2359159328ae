#include "catalogue/album_rows.h"
#include "download/download_jobs.h"

#include "tests/support/gbk_testing.h"
#include "tests/support/service_fixture.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

namespace {

namespace fs = std::filesystem;
using album_service::Fault;
using platform::Text;
using testing_support::ServiceFixture;
using testing_support::WaitUntil;

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The photo files of a folder by their index (the part before "_").
std::map<int, fs::path> PhotoFiles(const fs::path& folder) {
  std::map<int, fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    files[std::stoi(name.substr(0, name.find('_')))] = entry.path();
  }
  return files;
}

class AlbumDownload : public testing::Test, public ServiceFixture {
protected:
  explicit AlbumDownload(album_service::ServiceData data = album_service::DemoData())
      : ServiceFixture(std::move(data)) {
    m_root = fs::temp_directory_path() / ("album-download-" + std::to_string(::getpid()) + "-" +
                                          std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(m_root);
    m.ui.编辑框_保存位置.SetText(platform::Utf8ToGbk(m_root.string()));
    const album_service::SessionCookies cookies = service.SignIn("demo");
    m.state.SetBrowserCookie(cookies.info);
    m.state.SetAccountName("demo");
  }
  ~AlbumDownload() override {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }

  // A row as the listing adds it, for an album of the service.
  void AddRow(std::int64_t albumId, bool ticked = true, std::string account = "demo") {
    const album_service::Album* album = service.Data().FindAlbum(albumId);
    ASSERT_NE(nullptr, album);
    const int row = catalogue::AddAlbumRow(m.window, std::to_string(albumId), platform::Utf8ToGbk(album->name),
                                           album->count, service.PhotoListAddress(account, albumId), std::nullopt);
    m.ui.超级列表框1.SetChecked(row, ticked ? 1 : 0);
  }

  void Download() {
    download::StartDownload(m.window, config);
    ASSERT_TRUE(WaitUntil([&] { return !m.backend.Messages().empty(); }));
    m.workers.StopAndJoin();
  }

  fs::path AlbumFolder(const std::string& folderName, const std::string& account = "demo") const {
    return m_root / account / folderName;
  }

  // Every photo of the album landed once, byte for byte, except those listed.
  void ExpectPhotosOnDisk(std::int64_t albumId, const fs::path& folder, std::vector<int> missing = {}) {
    const album_service::Album* album = service.Data().FindAlbum(albumId);
    const auto files = PhotoFiles(folder);
    EXPECT_EQ(album->photos.size() - missing.size(), files.size());
    for (std::size_t i = 0; i < album->photos.size(); ++i) {
      const int index = static_cast<int>(i) + 1;
      SCOPED_TRACE("photo " + std::to_string(index));
      const bool shouldMiss = std::find(missing.begin(), missing.end(), index) != missing.end();
      ASSERT_EQ(!shouldMiss, files.count(index) == 1);
      if (!shouldMiss) EXPECT_TRUE(ReadFile(files.at(index)) == album->photos[i].bytes);
    }
  }

  Text Log() const { return m.ui.编辑框_操作记录.GetText(); }
  bool LogHas(const Text& text) const { return Log().find(text) != Text::npos; }

  fs::path m_root;
};

TEST_F(AlbumDownload, OneAlbumWithItsProgressTextsFilesAndEndOfRun) {
  AddRow(1005);  // 旅行·云南, 3 photos
  Download();

  EXPECT_EQ((std::vector<Text>{"", "33%", "66%", "100%"}), testing_support::TextsWritten(m.backend, "标签_进度条比例"));
  EXPECT_EQ((std::vector<Text>{"3/1", "3/2", "3/3", "", "下载完成"_gbk}), testing_support::TextsWritten(m.backend, "标签_第多少张照片"));
  EXPECT_GBK_EQ("当前被选择相册编号:1、\r\n\r\n"
                "准备下载相册《旅行·云南》\r\n\r\n"
                "---完成相册《旅行云南3》下载\r\n\r\n"
                "其中下载失败：0张\r\n\r\n"
                "-------全部下载完毕--------\r\n\r\n"_gbk,
                Log());
  EXPECT_GBK_EQ("总共需下载[1]个相册"_gbk, m.ui.标签_选择了相册数量.GetText());
  EXPECT_GBK_EQ("下载到第[1]个相册"_gbk, m.ui.标签_正在下载相册.GetText());
  EXPECT_EQ((std::vector<Text>{"全部下载完毕"_gbk}), m.backend.Messages());
  EXPECT_TRUE(m.ui.按钮_下载选中.IsVisible());
  EXPECT_FALSE(m.ui.按钮_暂停线程.IsVisible());
  EXPECT_FALSE(m.ui.按钮_继续下载.IsVisible());
  ExpectPhotosOnDisk(1005, AlbumFolder("旅行云南3"));

  // The photo list went out with the Browser cookie.
  for (const auto& request : service.Requests()) {
    if (request.path.rfind("/list/", 0) == 0) EXPECT_TRUE(request.Cookie("P_INFO").has_value());
  }
}

TEST_F(AlbumDownload, PhotosMissingOnThePrimaryHostComeFromTheFallback) {
  AddRow(1002);  // 3, 5 and 7 only on the fallback host
  Download();
  std::vector<std::string> photo3;
  for (const auto& request : service.Requests()) {
    if (request.target.find("/1002/3.jpg") != std::string::npos) photo3.push_back(request.host + " " + request.target);
  }
  EXPECT_EQ((std::vector<std::string>{"img1.localhost //photo/demo/1002/3.jpg", "img2.localhost /photo/demo/1002/3.jpg"}),
            photo3);
  ExpectPhotosOnDisk(1002, AlbumFolder("家乡的老房子8"));
}

TEST_F(AlbumDownload, APhotoNeitherHostDeliversIsLoggedAndNotWritten) {
  AddRow(1004);  // photo 9 on neither host, photo 4 a large one
  Download();
  ExpectPhotosOnDisk(1004, AlbumFolder("猫咪日常12"), {9});
  EXPECT_TRUE(LogHas("第9张照片下载失败，状态码：404\r\n"_gbk));
  EXPECT_TRUE(LogHas("---完成相册《猫咪日常12》下载\r\n\r\n其中下载失败：1张"_gbk));
}

TEST_F(AlbumDownload, BrokenPhotoRepliesAreNotWritten) {
  AddRow(1001);
  service.AddFault(Fault::At("img1.localhost", "//photo/demo/1001/2.jpg").WithStatus(500, "<html>oops</html>"));
  service.AddFault(Fault::At("img1.localhost", "//photo/demo/1001/3.jpg").DropAfter(100));
  service.AddFault(Fault::At("img1.localhost", "//photo/demo/1001/4.jpg").WithStatus(200, ""));
  Download();
  ExpectPhotosOnDisk(1001, AlbumFolder("西湖春游6"), {2, 3, 4});
  EXPECT_TRUE(LogHas("第2张照片下载失败，状态码：500"_gbk));
  EXPECT_TRUE(LogHas("第3张照片下载失败，状态码：0"_gbk));
  EXPECT_TRUE(LogHas("第4张照片下载失败，状态码：200"_gbk));
  EXPECT_TRUE(LogHas("其中下载失败：3张"_gbk));
}

TEST_F(AlbumDownload, AnEmptyPhotoListIsAskedTenTimesThenLogged) {
  AddRow(1005);
  service.AddFault(Fault::Matching("photo.localhost", "^/list/").WithStatus(503));
  Download();
  int listRequests = 0;
  for (const auto& request : service.Requests()) listRequests += request.path.rfind("/list/", 0) == 0;
  EXPECT_EQ(10, listRequests);
  EXPECT_TRUE(LogHas("照片列表获取失败（状态码 503），已重试10次\r\n"_gbk));
  EXPECT_TRUE(LogHas("---完成相册《旅行云南3》下载"_gbk));
  EXPECT_TRUE(PhotoFiles(AlbumFolder("旅行云南3")).empty());
  EXPECT_TRUE(LogHas("-------全部下载完毕--------"_gbk));
}

TEST_F(AlbumDownload, ARefusedPhotoListIsNamedInTheLog) {
  AddRow(1005);
  m.state.SetBrowserCookie("");  // not signed in: the service refuses the list
  Download();
  EXPECT_TRUE(LogHas("（状态码 403）"_gbk));
  EXPECT_TRUE(PhotoFiles(AlbumFolder("旅行云南3")).empty());
}

TEST_F(AlbumDownload, TickedRowsWithoutAddressAreNamedButSkippedAndJobsRunInRowOrder) {
  AddRow(1001);
  catalogue::AddAlbumRow(m.window, "1003", "毕业照（2015）"_gbk, "5", "", std::nullopt);
  m.ui.超级列表框1.SetChecked(1, 1);
  AddRow(1005);
  AddRow(1002, false);
  Download();

  EXPECT_TRUE(LogHas("当前被选择相册编号:1、2、3、\r\n\r\n"_gbk));
  EXPECT_GBK_EQ("总共需下载[2]个相册"_gbk, m.ui.标签_选择了相册数量.GetText());
  EXPECT_EQ((std::vector<Text>{"下载到第[1]个相册"_gbk, "下载到第[2]个相册"_gbk}), testing_support::TextsWritten(m.backend, "标签_正在下载相册"));
  const std::size_t first = Log().find("准备下载相册《西湖春游》"_gbk);
  const std::size_t second = Log().find("准备下载相册《旅行·云南》"_gbk);
  ASSERT_NE(Text::npos, first);
  ASSERT_NE(Text::npos, second);
  EXPECT_LT(first, second);
  EXPECT_FALSE(LogHas("毕业照"_gbk + "5"));
  EXPECT_FALSE(fs::exists(AlbumFolder("家乡的老房子8")));
  ExpectPhotosOnDisk(1001, AlbumFolder("西湖春游6"));
  ExpectPhotosOnDisk(1005, AlbumFolder("旅行云南3"));
}

TEST_F(AlbumDownload, NothingTickedEndsAtOnce) {
  AddRow(1001, false);
  Download();
  EXPECT_GBK_EQ("当前未选择任何相册\r\n\r\n-------全部下载完毕--------\r\n\r\n"_gbk, Log());
  EXPECT_GBK_EQ("总共需下载[0]个相册"_gbk, m.ui.标签_选择了相册数量.GetText());
  EXPECT_GBK_EQ("下载完成"_gbk, m.ui.标签_第多少张照片.GetText());
  EXPECT_TRUE(m.ui.按钮_下载选中.IsVisible());
  EXPECT_FALSE(fs::exists(m_root / "demo"));
}

TEST_F(AlbumDownload, AnExistingFileIsNeverReplaced) {
  AddRow(1005);
  // Every name photo 1 could get is taken: it cannot be written, and none
  // of those files changes. Half the names of photo 2 are taken.
  const fs::path folder = AlbumFolder("旅行云南3");
  fs::create_directories(folder);
  for (int n = 1; n <= 2000; ++n) {
    std::ofstream(folder / ("1_" + std::to_string(n) + ".jpg")) << "old";
    if (n % 2 == 0) std::ofstream(folder / ("2_" + std::to_string(n) + ".jpg")) << "old";
  }
  Download();

  int old = 0;
  std::vector<fs::path> fresh;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (ReadFile(entry.path()) == "old") {
      ++old;
    } else {
      fresh.push_back(entry.path().filename());
    }
  }
  EXPECT_EQ(3000, old);
  EXPECT_EQ(2u, fresh.size());  // photos 2 and 3
  EXPECT_TRUE(LogHas("第1张照片无法写入文件："_gbk));
  EXPECT_TRUE(LogHas("其中下载失败：1张"_gbk));
}

TEST_F(AlbumDownload, FolderNamesLoseWhatAFolderCannotHold) {
  struct Case {
    Text name;
    const char* count;
    const char* folder;  // UTF-8, as on disk
  } cases[] = {
      {"a:b/c?d", "5", "abcd5"},
      {"我的相册（2015）·旅行！"_gbk, "30", "我的相册2015旅行30"},
      {"ver1.0 final", "8", "ver10final8"},
      {". . .", "12", "12"},
  };
  for (const Case& c : cases) {
    catalogue::AddAlbumRow(m.window, "1005", c.name, c.count, service.PhotoListAddress("demo", 1005), std::nullopt);
  }
  Download();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(3u, PhotoFiles(AlbumFolder(c.folder)).size());
  }
}

TEST_F(AlbumDownload, AnAccountNameNeverLeadsOutOfTheSaveRoot) {
  struct Case {
    Text account;
    const char* folder;
  } cases[] = {{"../..", ".._.."}, {"..", "_.."}, {"", "_"}, {"a\\b", "a_b"}};
  std::size_t runs = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    m.ui.超级列表框1.DeleteAllRows();
    AddRow(1005);
    m.state.SetAccountName(c.account);
    download::StartDownload(m.window, config);
    ++runs;
    ASSERT_TRUE(WaitUntil([&] { return m.backend.Messages().size() == runs; }));
    EXPECT_EQ(3u, PhotoFiles(m_root / c.folder / "旅行云南3").size());
  }
  // Nothing landed beside the save root.
  for (const auto& entry : fs::directory_iterator(m_root.parent_path())) {
    EXPECT_NE("旅行云南3", entry.path().filename().string());
  }
}

TEST_F(AlbumDownload, PauseHoldsThePhotoInFlightAndContinueCompletesIt) {
  AddRow(1005);
  service.AddFault(Fault::At("img1.localhost", "//photo/demo/1005/2.jpg").WithDelay(400));
  download::StartDownload(m.window, config);
  ASSERT_TRUE(WaitUntil([&] {
    for (const auto& request : service.Requests()) {
      if (request.target == "//photo/demo/1005/2.jpg") return true;
    }
    return false;
  }));
  download::PauseDownload(m.window);
  EXPECT_TRUE(m.ui.按钮_继续下载.IsVisible());
  EXPECT_FALSE(m.ui.按钮_暂停线程.IsVisible());

  // Paused well past the reply's delay: photo 2 stays in flight.
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(0u, PhotoFiles(AlbumFolder("旅行云南3")).count(2));
  EXPECT_TRUE(m.backend.Messages().empty());

  download::ContinueDownload(m.window);
  EXPECT_TRUE(m.ui.按钮_暂停线程.IsVisible());
  ASSERT_TRUE(WaitUntil([&] { return !m.backend.Messages().empty(); }));
  m.workers.StopAndJoin();
  ExpectPhotosOnDisk(1005, AlbumFolder("旅行云南3"));
  int photo2Requests = 0;
  for (const auto& request : service.Requests()) photo2Requests += request.target.find("/1005/2.jpg") != std::string::npos;
  EXPECT_EQ(1, photo2Requests);
}

TEST_F(AlbumDownload, ANewRunCanStartWhileTheLastCompletionMessageIsOpen) {
  std::mutex mutex;
  std::condition_variable closed;
  bool close = false;
  int shown = 0;
  m.backend.SetMessageHandler([&](const Text&) {
    std::unique_lock lock(mutex);
    if (++shown == 1) closed.wait(lock, [&] { return close; });
  });
  AddRow(1005);
  download::StartDownload(m.window, config);
  ASSERT_TRUE(WaitUntil([&] { return m.backend.Messages().size() == 1; }));
  EXPECT_TRUE(m.ui.按钮_下载选中.IsVisible());

  download::StartDownload(m.window, config);
  EXPECT_TRUE(WaitUntil([&] { return m.backend.Messages().size() == 2; }));
  {
    std::lock_guard lock(mutex);
    close = true;
  }
  closed.notify_all();
  m.workers.StopAndJoin();
}

} // namespace
