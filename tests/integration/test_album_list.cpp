#include "catalogue/album_access.h"
#include "catalogue/album_list.h"
#include "catalogue/album_rows.h"

#include "tests/support/gbk_testing.h"
#include "web/text.h"
#include "tests/support/service_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using album_service::Fault;
using platform::Text;
using testing_support::ServiceFixture;
using testing_support::WaitUntil;

int RequestsTo(const album_service::AlbumService& service, std::string_view host, std::string_view pathPart) {
  const auto requests = service.Requests();
  return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const auto& request) {
    return request.host == host && request.target.find(pathPart) != std::string::npos;
  }));
}

class AlbumList : public testing::Test, public ServiceFixture {
protected:
  AlbumList() : ServiceFixture(album_service::DemoData()) {}

  Text Entry(const std::string& account) const { return config.AlbumSiteRoot + account + "/"; }

  // Presses the fetch button and waits for the run to end.
  void Fetch(const Text& entry) {
    m.ui.编辑框_号码.SetText(entry);
    catalogue::StartAlbumFetch(m.window, config);
    ASSERT_TRUE(WaitUntil([&] { return m.ui.按钮_获取相册封面.IsEnabled(); }));
    m.workers.Reap();
  }

  const model::ListView& List() const { return m.ui.超级列表框1; }
};

TEST_F(AlbumList, ListsTheSignedInAccountRowByRowWithItsTexts) {
  SignInBrowser("demo");
  Fetch(Entry("demo"));

  EXPECT_GBK_EQ("正努力获取相册列表，耐心等待哈！\r\n\r\n"_gbk
                "获取相册《西湖春游》---有6张照片\r\n"
                "获取相册《家乡的老房子》---有8张照片\r\n"
                "获取相册《毕业照（2015）》---有5张照片\r\n"
                "获取相册《猫咪日常》---有12张照片\r\n"
                "获取相册《旅行·云南》---有3张照片\r\n"
                "-----获取完毕,共计5个\r\n\r\n"_gbk,
                m.ui.编辑框_操作记录.GetText());
  EXPECT_EQ((std::vector<Text>{"温馨提示：正在获取相册列表..."_gbk, "群相册获取中，耐心等待..."_gbk,
                               "相册获取完毕，共计：5个,"_gbk}),
            testing_support::TextsWritten(m.backend, "标签_动态"));

  EXPECT_EQ("demo", m.state.AccountName());
  EXPECT_EQ(m.backend.GetDocumentCookie("超文本浏览框1"), m.state.BrowserCookie());
  EXPECT_FALSE(m.ui.画板1.IsVisible());
  EXPECT_EQ(0, List().ColumnWidth(catalogue::ColumnAlbumId));
  EXPECT_EQ(0, List().ColumnWidth(catalogue::ColumnPhotoList));
  EXPECT_EQ(0, List().ColumnWidth(catalogue::ColumnCover));

  ASSERT_EQ(5, List().RowCount());
  struct Row {
    const char* id;
    Text name;
    const char* count;
    int checked;
  } rows[] = {{"1001", "西湖春游"_gbk, "6", 1}, {"1002", "家乡的老房子"_gbk, "8", 1},
              {"1003", "毕业照（2015）"_gbk, "5", 0}, {"1004", "猫咪日常"_gbk, "12", 1},
              {"1005", "旅行·云南"_gbk, "3", 1}};
  for (int row = 0; row < 5; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(rows[row].id, List().Cell(row, catalogue::ColumnAlbumId));
    EXPECT_GBK_EQ(rows[row].name, List().Cell(row, catalogue::ColumnName));
    EXPECT_EQ(rows[row].count, List().Cell(row, catalogue::ColumnCount));
    EXPECT_EQ(rows[row].checked, List().Checked(row));
    const Text expectedAddress =
        rows[row].checked ? service.PhotoListAddress("demo", std::stoll(rows[row].id)) : Text();
    EXPECT_EQ(expectedAddress, List().Cell(row, catalogue::ColumnPhotoList));
    EXPECT_GBK_EQ(rows[row].checked ? "已取得"_gbk : "双击获取权限"_gbk, List().Cell(row, catalogue::ColumnAccess));
  }

  // The home page went out as the signed-in user, through the shared store.
  const auto requests = service.Requests();
  const auto home = std::find_if(requests.begin(), requests.end(),
                                 [](const auto& r) { return r.host == "photo.localhost" && r.path == "/demo/"; });
  ASSERT_NE(requests.end(), home);
  EXPECT_TRUE(home->Cookie("NTES_SESS").has_value());
  EXPECT_EQ("User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/31.0.1650.64 Safari/537.36",
            home->Header("User-Agent"));
}

TEST_F(AlbumList, SevenRecordsShowTruncatedPercentages) {
  album_service::ServiceData data;
  data.users.push_back({"seven", "pw"});
  data.accounts.push_back(album_service::AccountWithAlbums("seven", "seven", 7, 1));
  ServiceFixture seven(std::move(data));
  seven.m.ui.编辑框_号码.SetText(seven.config.AlbumSiteRoot + "seven/");
  catalogue::StartAlbumFetch(seven.m.window, seven.config);
  ASSERT_TRUE(WaitUntil([&] { return seven.m.ui.按钮_获取相册封面.IsEnabled(); }));

  EXPECT_EQ((std::vector<Text>{"14%", "28%", "42%", "57%", "71%", "85%", "100%"}),
            testing_support::TextsWritten(seven.m.backend, "标签_进度条比例"));
  EXPECT_EQ(7, seven.m.ui.进度条1.Position());
  EXPECT_EQ(7, seven.m.ui.进度条1.Maximum());
  EXPECT_EQ(7, seven.m.ui.超级列表框1.RowCount());
}

TEST_F(AlbumList, OwnAlbumsCostOneNavigationAndOneAlbumDataCallEach) {
  SignInBrowser("demo");
  m.ui.选择框_自己的.SetTicked(1);
  Fetch(Entry("demo"));

  EXPECT_EQ((std::vector<Text>{config.AlbumSiteRoot + "demo/#m=1&aid=1003&p=1"}), m.backend.Navigations());
  EXPECT_EQ(1, RequestsTo(service, "photo.localhost", "getAlbumData"));
  const Text address = service.PhotoListAddress("demo", 1003);
  EXPECT_EQ(address, List().Cell(2, catalogue::ColumnPhotoList));
  EXPECT_GBK_EQ("已取得"_gbk, List().Cell(2, catalogue::ColumnAccess));
  EXPECT_EQ(1, List().Checked(2));
  EXPECT_NE(std::string::npos, m.ui.编辑框_操作记录.GetText().find("张照片\r\n"_gbk + address + "\r\n"));
}

TEST_F(AlbumList, CoversComeFromTheFallbackAfterA404AndAFailedOneRepeatsThePrevious) {
  // Thumbnails are compared as decoded pictures; builds without the Qt
  // window (the sanitizer runs) have no decoder.
  if (!testing_support::TestPictureDecoder()) GTEST_SKIP() << "no picture decoder in this build";
  SignInBrowser("demo");
  service.AddFault(Fault::At("cover1.localhost", "/cover/1003.jpg").WithStatus(500));
  m.ui.选择框_有封面.SetTicked(1);
  Fetch(Entry("demo"));

  // 1002's cover is only on the second host; 1003's first host fails.
  EXPECT_EQ(1, RequestsTo(service, "cover2.localhost", "/cover/1002.jpg"));
  EXPECT_EQ(0, RequestsTo(service, "cover2.localhost", "/cover/1003.jpg"));

  const model::ImageList thumbnails = m.backend.SmallImageList();
  ASSERT_EQ(5u, thumbnails.pictures.size());
  for (const model::Picture& picture : thumbnails.pictures) {
    EXPECT_EQ(100, picture.width);
    EXPECT_EQ(100, picture.height);
  }
  EXPECT_NE(thumbnails.pictures[0], thumbnails.pictures[1]);
  EXPECT_EQ(thumbnails.pictures[1], thumbnails.pictures[2]);
  EXPECT_NE(thumbnails.pictures[2], thumbnails.pictures[3]);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(row, List().CellImage(row, catalogue::ColumnCover));
  EXPECT_EQ(100, List().ColumnWidth(catalogue::ColumnCover));
}

TEST_F(AlbumList, BadInputEndsTheRunCleanly) {
  const Text site = "<site>";  // stands for each case's own site root
  struct Case {
    const char* name;
    Text entry;
    std::optional<Fault> fault;
    Text message;    // the message box, if one is expected
    int rows;        // -1: the run is rejected before listing
  } cases[] = {
      {"spaces only", "   ", std::nullopt, "你输入的格式不正确："_gbk, -1},
      {"neither form", "demo", std::nullopt, "你输入的格式不正确：demo"_gbk, -1},
      {"upper-case suffix", "http://demo.PHOTO.LOCALHOST/", std::nullopt,
       "你输入的格式不正确：http://demo.PHOTO.LOCALHOST/"_gbk, -1},
      {"home page without albumUrl", site + "demo/",
       Fault::At("photo.localhost", "/demo/").WithStatus(200, "<html>nothing</html>"), "", 0},
      {"script without records", site + "demo/",
       Fault::At("photo.localhost", "/albums/demo.js").WithStatus(200, "var g = 1;"), "", 0},
      {"records with empty groups", site + "demo/",
       Fault::At("photo.localhost", "/albums/demo.js").WithStatus(200, "{id:,name:'',s:,count:,t:',lurl:'/',dmt:purl:''}"),
       "", 1},
      {"bytes that are not GBK", site + "demo/",
       Fault::At("photo.localhost", "/albums/demo.js")
           .WithStatus(200, "\xFF\x81\x20\x80{id:7,name:'\xFF\xFE',s:0,count:1,t:'',lurl:'5/c.jpg',dmt:1,purl:'\x81'}\xC8"),
       "", 1},
      {"home page refused", site + "demo/", Fault::At("photo.localhost", "/demo/").WithStatus(500), "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture f(album_service::DemoData());
    f.SignInBrowser("demo");
    if (c.fault) f.service.AddFault(*c.fault);
    f.m.ui.编辑框_号码.SetText(web::ReplaceText(c.entry, site, f.config.AlbumSiteRoot));
    catalogue::StartAlbumFetch(f.m.window, f.config);
    ASSERT_TRUE(WaitUntil([&] { return f.m.ui.按钮_获取相册封面.IsEnabled(); }));
    f.m.workers.Reap();

    if (c.rows < 0) {
      EXPECT_EQ((std::vector<Text>{c.message}), f.m.backend.Messages());
      EXPECT_EQ(0, f.m.ui.超级列表框1.RowCount());
      EXPECT_EQ(Text::npos, f.m.ui.编辑框_操作记录.GetText().find("获取完毕"_gbk));
      EXPECT_EQ(0, static_cast<int>(f.service.Requests().size()));
    } else {
      EXPECT_TRUE(f.m.backend.Messages().empty());
      EXPECT_EQ(c.rows, f.m.ui.超级列表框1.RowCount());
      EXPECT_NE(Text::npos,
                f.m.ui.编辑框_操作记录.GetText().find("-----获取完毕,共计"_gbk + std::to_string(c.rows) + "个"_gbk));
    }
  }
}

TEST_F(AlbumList, EmptyBoxAsksForAnEntryAndStartsNothing) {
  catalogue::StartAlbumFetch(m.window, config);
  EXPECT_EQ((std::vector<Text>{"您输入的内容为空"_gbk}), m.backend.Messages());
  EXPECT_EQ("编辑框_号码", m.backend.FocusedControl());
  EXPECT_TRUE(m.ui.编辑框_操作记录.GetText().empty());
  EXPECT_TRUE(m.ui.标签_动态.GetText().empty());
  EXPECT_TRUE(service.Requests().empty());
}

TEST_F(AlbumList, RejectedEntryKeepsTheEarlierAccountName) {
  SignInBrowser("demo");
  Fetch(Entry("demo"));
  ASSERT_EQ(5, List().RowCount());
  Fetch("not an address");
  EXPECT_EQ("demo", m.state.AccountName());
  EXPECT_EQ(0, List().RowCount());
}

TEST_F(AlbumList, SubdomainEntryWithoutSchemeGivesAnEmptyAccountName) {
  Fetch("abc.photo.localhost");
  EXPECT_EQ("", m.state.AccountName());
  // AlbumSiteRoot + "" + "/#m=0&p=1": the fragment never goes on the wire.
  const auto requests = service.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ("//", requests.front().target);
}

TEST_F(AlbumList, APressDuringARunIsRefused) {
  SignInBrowser("demo");
  service.AddFault(Fault::At("photo.localhost", "/demo/").WithDelay(300));
  m.ui.编辑框_号码.SetText(Entry("demo"));
  catalogue::StartAlbumFetch(m.window, config);
  EXPECT_FALSE(m.ui.按钮_获取相册封面.IsEnabled());
  catalogue::StartAlbumFetch(m.window, config);
  ASSERT_TRUE(WaitUntil([&] { return m.ui.按钮_获取相册封面.IsEnabled(); }));
  m.workers.Reap();
  EXPECT_EQ(5, List().RowCount());
  EXPECT_EQ(1, RequestsTo(service, "photo.localhost", "/albums/demo.js"));
}

TEST_F(AlbumList, AlbumDataReplyWithOnlyTheLeftMarkerGivesNothing) {
  SignInBrowser("demo");
  service.AddFault(Fault::Matching("photo.localhost", "getAlbumData")
                       .WithStatus(200, "dwr.engine._remoteHandleCallback('530377','0',\"photo.localhost/x"));
  EXPECT_EQ("", catalogue::ResolveAlbumDataUrl(config, "1003"));
}

class AlbumAccess : public AlbumList {
protected:
  void ListFriend() {
    SignInBrowser("demo");
    Fetch(Entry("friend"));
    ASSERT_EQ(2, List().RowCount());
    ASSERT_EQ("2002", List().Cell(1, catalogue::ColumnAlbumId));
  }
  void DoubleClickRow(int row) {
    List().SelectRow(row);
    catalogue::RequestAlbumAccess(m.window, config);
  }
};

TEST_F(AlbumAccess, DoubleClickOpensTheAlbumPageAndConfirmationWritesTheRow) {
  ListFriend();
  DoubleClickRow(1);
  const Text page = config.AlbumSiteRoot + "friend/#m=1&aid=2002&p=1";
  EXPECT_EQ(page, m.ui.编辑框_url.GetText());
  EXPECT_EQ(page, m.backend.Navigations().back());
  EXPECT_EQ(0, m.ui.选择夹1.CurrentPage());
  EXPECT_EQ("2002", m.ui.编辑框_权限_id.GetText());
  EXPECT_EQ("1", m.ui.编辑框_权限_行号.GetText());

  // On the album's page the user enters its password; the browser's store
  // then holds the access cookie the Album-data call needs.
  testing_support::AddBrowserCookie("photo.localhost", service.GrantAccess(2002));
  catalogue::ConfirmAlbumAccess(m.window, config);

  EXPECT_TRUE(m.backend.Messages().empty());
  EXPECT_GBK_EQ("已取得"_gbk, List().Cell(1, catalogue::ColumnAccess));
  EXPECT_EQ(service.PhotoListAddress("friend", 2002), List().Cell(1, catalogue::ColumnPhotoList));
  EXPECT_EQ(0, List().Checked(1));
  EXPECT_EQ(1, List().CurrentRow());
  EXPECT_EQ(1, m.ui.选择夹1.CurrentPage());
  EXPECT_EQ("", m.ui.编辑框_权限_id.GetText());
  EXPECT_EQ("", m.ui.编辑框_权限_行号.GetText());
}

TEST_F(AlbumAccess, WithoutAccessTheConfirmationFailsAndLeavesTheRow) {
  ListFriend();
  DoubleClickRow(1);
  catalogue::ConfirmAlbumAccess(m.window, config);
  EXPECT_EQ((std::vector<Text>{"获取失败"_gbk}), m.backend.Messages());
  EXPECT_GBK_EQ("双击获取权限"_gbk, List().Cell(1, catalogue::ColumnAccess));
  EXPECT_EQ("", List().Cell(1, catalogue::ColumnPhotoList));
  EXPECT_EQ(1, m.ui.选择夹1.CurrentPage());
  EXPECT_EQ("", m.ui.编辑框_权限_行号.GetText());
}

TEST_F(AlbumAccess, ARowThatNoLongerHoldsTheAlbumIsNotWritten) {
  ListFriend();
  DoubleClickRow(1);
  testing_support::AddBrowserCookie("photo.localhost", service.GrantAccess(2002));
  Fetch(Entry("demo"));  // row 1 is now another album
  catalogue::ConfirmAlbumAccess(m.window, config);
  EXPECT_EQ((std::vector<Text>{"获取失败"_gbk}), m.backend.Messages());
  EXPECT_EQ("1002", List().Cell(1, catalogue::ColumnAlbumId));
  EXPECT_EQ(service.PhotoListAddress("demo", 1002), List().Cell(1, catalogue::ColumnPhotoList));
}

TEST_F(AlbumAccess, DoubleClickOnAResolvedRowOrNoRowDoesNothing) {
  ListFriend();
  m.ui.编辑框_url.SetText(config.AlbumSiteRoot);
  DoubleClickRow(0);
  EXPECT_EQ(config.AlbumSiteRoot, m.ui.编辑框_url.GetText());
  EXPECT_TRUE(m.backend.Navigations().empty());
  EXPECT_EQ("", m.ui.编辑框_权限_行号.GetText());
}

} // namespace
