// What the program makes of each way the album service can fail: one row per
// fault, each with what must land on disk, the requests that go out and the
// log line that tells the user.
#include "catalogue/album_list.h"
#include "catalogue/album_rows.h"
#include "download/download_jobs.h"

#include "tests/support/gbk_testing.h"
#include "tests/support/service_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <vector>

namespace {

namespace fs = std::filesystem;
using album_service::Fault;
using platform::Text;
using testing_support::ServiceFixture;
using testing_support::WaitUntil;

constexpr std::int64_t AlbumId = 1005;  // 旅行·云南, 3 photos
const char* const Photo2Primary = "//photo/demo/1005/2.jpg";
const char* const Photo2Fallback = "/photo/demo/1005/2.jpg";

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The photo files of a folder, grouped by their index (the part before "_").
std::map<int, std::vector<fs::path>> PhotoFiles(const fs::path& folder) {
  std::map<int, std::vector<fs::path>> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    files[std::stoi(name.substr(0, name.find('_')))].push_back(entry.path());
  }
  return files;
}

// One download of album 1005 into a save root of its own, against a fresh
// stand-in service.
class DownloadBench : public ServiceFixture {
public:
  DownloadBench() : ServiceFixture(album_service::DemoData()) {
    m_root = fs::temp_directory_path() /
             ("fault-table-" + std::to_string(::getpid()) + "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(m_root);
    m.ui.编辑框_保存位置.SetText(platform::Utf8ToGbk(m_root.string()));
    m.state.SetBrowserCookie(service.SignIn("demo").info);
    m.state.SetAccountName("demo");
    const album_service::Album* album = service.Data().FindAlbum(AlbumId);
    const int row = catalogue::AddAlbumRow(m.window, std::to_string(AlbumId), platform::Utf8ToGbk(album->name),
                                           album->count, service.PhotoListAddress("demo", AlbumId), std::nullopt);
    m.ui.超级列表框1.SetChecked(row, 1);
  }
  ~DownloadBench() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }

  // Runs the download to its completion message, which comes after the last
  // photo; the workers are not stopped, so that another run can follow.
  void Run() {
    const std::size_t before = m.backend.Messages().size();
    download::StartDownload(m.window, config);
    ASSERT_TRUE(WaitUntil([&] { return m.backend.Messages().size() > before; }));
    m.workers.Reap();
  }

  fs::path Folder() const { return m_root / "demo" / "旅行云南3"; }
  const album_service::Album& Album() const { return *service.Data().FindAlbum(AlbumId); }
  Text Log() const { return m.ui.编辑框_操作记录.GetText(); }

  int RequestsTo(std::string_view host, std::string_view target) const {
    int count = 0;
    for (const auto& request : service.Requests()) count += request.host == host && request.target == target;
    return count;
  }
  int PhotoListRequests() const {
    int count = 0;
    for (const auto& request : service.Requests()) count += request.path.rfind("/list/", 0) == 0;
    return count;
  }

private:
  fs::path m_root;
};

struct PhotoRow {
  const char* fault;
  std::vector<Fault> faults;
  int runs;                           // downloads one after another
  std::map<int, int> filesPerPhoto;   // photo index -> files holding it after all runs
  int primaryRequests;                // for photo 2, over all runs
  int fallbackRequests;
  Text logLine;                       // appears in the log; empty: no failure is logged
  Text failedCount;                   // the album's failure summary of the last run
};

// Photo 2 of the album misbehaves in each row; photos 1 and 3 are served
// normally and show that the album goes on.
TEST(FaultTable, PhotoReplies) {
  const std::string img1 = "img1.localhost";
  const std::string img2 = "img2.localhost";
  const PhotoRow rows[] = {
      {"200 with an HTML page in place of the photo",
       {Fault::At(img1, Photo2Primary).WithHtmlBody()}, 1, {{1, 1}, {2, 0}, {3, 1}}, 1, 0,
       "第2张照片下载失败，状态码：200，收到的是网页而不是照片\r\n"_gbk, "其中下载失败：1张"_gbk},
      {"200 with an empty body",
       {Fault::At(img1, Photo2Primary).WithStatus(200, "")}, 1, {{1, 1}, {2, 0}, {3, 1}}, 1, 0,
       "第2张照片下载失败，状态码：200\r\n"_gbk, "其中下载失败：1张"_gbk},
      {"connection dropped mid-body",
       {Fault::At(img1, Photo2Primary).DropAfter(100)}, 1, {{1, 1}, {2, 0}, {3, 1}}, 1, 0,
       "第2张照片下载失败，状态码：0\r\n"_gbk, "其中下载失败：1张"_gbk},
      // The request object gives up after its 15 seconds of silence.
      {"reply stalls past the request timeout",
       {Fault::At(img1, Photo2Primary).WithDelay(20000)}, 1, {{1, 1}, {2, 0}, {3, 1}}, 1, 0,
       "第2张照片下载失败，状态码：0\r\n"_gbk, "其中下载失败：1张"_gbk},
      // The service announces the shortened length: the transfer is whole,
      // the JPEG is not.
      {"JPEG without its end marker",
       {Fault::At(img1, Photo2Primary).TruncateBody()}, 1, {{1, 1}, {2, 0}, {3, 1}}, 1, 0,
       "第2张照片下载失败，状态码：200，照片数据不完整\r\n"_gbk, "其中下载失败：1张"_gbk},
      {"404 on the primary host, 200 on the fallback",
       {Fault::At(img1, Photo2Primary).WithStatus(404)}, 1, {{1, 1}, {2, 1}, {3, 1}}, 1, 1,
       {}, "其中下载失败：0张"_gbk},
      {"404 on both hosts",
       {Fault::At(img1, Photo2Primary).WithStatus(404), Fault::At(img2, Photo2Fallback).WithStatus(404)}, 1,
       {{1, 1}, {2, 0}, {3, 1}}, 1, 1, "第2张照片下载失败，状态码：404\r\n"_gbk, "其中下载失败：1张"_gbk},
      {"500: no second host",
       {Fault::At(img1, Photo2Primary).WithStatus(500, "<html>oops</html>")}, 1, {{1, 1}, {2, 0}, {3, 1}}, 1, 0,
       "第2张照片下载失败，状态码：500\r\n"_gbk, "其中下载失败：1张"_gbk},
      {"429: not asked again",
       {Fault::At(img1, Photo2Primary).WithStatus(429, "slow down")}, 1, {{1, 1}, {2, 0}, {3, 1}}, 1, 0,
       "第2张照片下载失败，状态码：429\r\n"_gbk, "其中下载失败：1张"_gbk},
      // A second run fetches the missing photo, and every other one again
      // under a new name: the first run's files are never replaced.
      {"503, then 200 on the next run",
       {Fault::At(img1, Photo2Primary).WithStatus(503).ForNext(1)}, 2, {{1, 2}, {2, 1}, {3, 2}}, 2, 0,
       "第2张照片下载失败，状态码：503\r\n"_gbk, "其中下载失败：0张"_gbk},
  };
  for (const PhotoRow& row : rows) {
    SCOPED_TRACE(row.fault);
    DownloadBench bench;
    for (const Fault& fault : row.faults) bench.service.AddFault(fault);
    for (int run = 0; run < row.runs; ++run) ASSERT_NO_FATAL_FAILURE(bench.Run());

    const auto files = PhotoFiles(bench.Folder());
    for (const auto& [index, expected] : row.filesPerPhoto) {
      SCOPED_TRACE("photo " + std::to_string(index));
      const auto found = files.find(index);
      const std::size_t count = found == files.end() ? 0 : found->second.size();
      EXPECT_EQ(static_cast<std::size_t>(expected), count);
      // What is written is the photo, byte for byte.
      for (std::size_t k = 0; k < count; ++k) {
        EXPECT_TRUE(ReadFile(found->second[k]) == bench.Album().photos[static_cast<std::size_t>(index - 1)].bytes);
      }
    }
    EXPECT_EQ(row.primaryRequests, bench.RequestsTo(img1, Photo2Primary));
    EXPECT_EQ(row.fallbackRequests, bench.RequestsTo(img2, Photo2Fallback));
    EXPECT_EQ(row.runs, bench.PhotoListRequests());
    const Text log = bench.Log();
    if (row.logLine.empty()) {
      EXPECT_EQ(Text::npos, log.find("下载失败，"_gbk)) << platform::GbkToUtf8(log);
    } else {
      EXPECT_NE(Text::npos, log.find(row.logLine)) << platform::GbkToUtf8(log);
    }
    EXPECT_NE(Text::npos, log.rfind("---完成相册《旅行云南3》下载\r\n\r\n"_gbk + row.failedCount));
  }
}

struct ListRow {
  const char* fault;
  std::optional<Fault> fault2;
  bool signedIn;
  int runs;
  int listRequests;  // over all runs
  int photosOnDisk;  // files after all runs
  Text logLine;
};

TEST(FaultTable, PhotoListReplies) {
  const ListRow rows[] = {
      {"refused without the sign-in cookie (403)", std::nullopt, false, 1, 1, 0,
       "照片列表中没有找到照片（状态码 403）\r\n"_gbk},
      {"503 on all ten attempts, then 200 on the next run",
       Fault::Matching("photo.localhost", "^/list/").WithStatus(503).ForNext(10), true, 2, 11, 3,
       "照片列表获取失败（状态码 503），已重试10次\r\n"_gbk},
  };
  for (const ListRow& row : rows) {
    SCOPED_TRACE(row.fault);
    DownloadBench bench;
    if (!row.signedIn) bench.m.state.SetBrowserCookie("");
    if (row.fault2) bench.service.AddFault(*row.fault2);
    for (int run = 0; run < row.runs; ++run) ASSERT_NO_FATAL_FAILURE(bench.Run());

    EXPECT_EQ(row.listRequests, bench.PhotoListRequests());
    std::size_t files = 0;
    for (const auto& [index, paths] : PhotoFiles(bench.Folder())) files += paths.size();
    EXPECT_EQ(static_cast<std::size_t>(row.photosOnDisk), files);
    EXPECT_NE(Text::npos, bench.Log().find(row.logLine)) << platform::GbkToUtf8(bench.Log());
  }
}

// The demo account's home page asks for a sign-in; without one the listing
// must say so instead of ending with no albums in silence.
TEST(FaultTable, HomePageAsksForASignIn) {
  const struct {
    const char* fault;
    std::optional<Fault> fault2;
    Text logLine;
  } rows[] = {
      {"not signed in: 请先登录", std::nullopt,
       "账号主页中没有相册列表地址：未登录或登录已过期，请先在登录页登录后再获取相册\r\n"_gbk},
      {"home page refused (500)", Fault::At("photo.localhost", "/demo/").WithStatus(500), "账号主页获取失败（状态码 500）\r\n"_gbk},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault);
    ServiceFixture f(album_service::DemoData());
    if (row.fault2) f.service.AddFault(*row.fault2);
    f.m.ui.编辑框_号码.SetText(f.config.AlbumSiteRoot + "demo/");
    catalogue::StartAlbumFetch(f.m.window, f.config);
    ASSERT_TRUE(WaitUntil([&] { return f.m.ui.按钮_获取相册封面.IsEnabled(); }));
    f.m.workers.Reap();

    const Text log = f.m.ui.编辑框_操作记录.GetText();
    EXPECT_NE(Text::npos, log.find(row.logLine)) << platform::GbkToUtf8(log);
    EXPECT_NE(Text::npos, log.find("-----获取完毕,共计0个"_gbk));
    EXPECT_EQ(0, f.m.ui.超级列表框1.RowCount());
    EXPECT_TRUE(f.m.backend.Messages().empty());
    // Only the home page went out: without an address no script is asked for.
    ASSERT_EQ(1u, f.service.Requests().size());
    EXPECT_EQ("/demo/", f.service.Requests().front().path);
  }
}

} // namespace
