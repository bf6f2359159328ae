#include "app/album_handlers.h"
#include "app/album_list_view.h"
#include "app/main_window.h"
#include "catalogue/configuration.h"
#include "platform/cookie_store.h"
#include "tests/support/gui_testing.h"
#include "tools/album-service/album_service.h"
#include "tools/walkthrough/walkthrough.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The main job end to end: the real window and its browser against the
// stand-in service, driven with real clicks and keys by the walkthrough.
namespace {

using album_service::RecordedRequest;

struct AlbumOnDisk {
  std::int64_t id;
  const char* folder; // as the user finds it: name without the removed characters, then the count
};

const AlbumOnDisk DemoAlbums[] = {
    {1001, "西湖春游6"}, {1002, "家乡的老房子8"}, {1003, "毕业照20155"}, {1004, "猫咪日常12"}, {1005, "旅行云南3"},
};
const AlbumOnDisk FriendAlbums[] = {{2001, "朋友的聚会4"}, {2002, "私密相册3"}};

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

// Mean colour of the opaque pixels of a region.
std::array<double, 3> MeanColour(const QImage& source, const QRect& region) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  std::array<double, 3> sum{};
  double pixels = 0;
  for (int y = region.top(); y <= region.bottom() && y < image.height(); ++y) {
    for (int x = region.left(); x <= region.right() && x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      if (qAlpha(pixel) == 0) continue;
      sum[0] += qRed(pixel);
      sum[1] += qGreen(pixel);
      sum[2] += qBlue(pixel);
      ++pixels;
    }
  }
  if (pixels > 0)
    for (double& channel : sum) channel /= pixels;
  return sum;
}

double Distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  double d = 0;
  for (int i = 0; i < 3; ++i) d += (a[i] - b[i]) * (a[i] - b[i]);
  return d;
}

class MainJob : public testing::Test {
protected:
  void SetUp() override {
    platform::CookieStore::Instance().Clear();
    m_port = m_service.Start();
    ASSERT_GT(m_port, 0);
    m_config = catalogue::DemoConfiguration(m_port);
    app::MainWindow::Options options;
    options.shell.programDirectory = m_program.path();
    options.shell.openUrl = [](const QUrl&) {};
    m_window = std::make_unique<app::MainWindow>(m_config, app::AlbumHandlers(m_config), options);
    m_window->Start();
  }

  void TearDown() override {
    m_job.reset();
    m_window.reset();
    m_service.Stop();
    platform::CookieStore::Instance().Clear();
  }

  walkthrough::MainJob& Walk(walkthrough::Settings settings) {
    settings.saveFolder = QDir(m_save.path()).filePath(QStringLiteral("albums"));
    m_job = std::make_unique<walkthrough::MainJob>(*m_window, std::move(settings));
    return *m_job;
  }

  app::AlbumListView& List() { return *m_window->ControlAs<app::AlbumListView>("超级列表框1"); }
  QString Cell(int row, int column) {
    const QTableWidgetItem* item = List().item(row, column);
    return item ? item->text() : QString();
  }

  std::vector<RecordedRequest> RequestsWhere(const std::function<bool(const RecordedRequest&)>& match) {
    std::vector<RecordedRequest> found;
    for (const RecordedRequest& request : m_service.Requests())
      if (match(request)) found.push_back(request);
    return found;
  }

  // The rows as listed: numbers, names, counts, access texts, ticks, and a
  // thumbnail that shows the album's own cover.
  void ExpectListedRows(const std::string& account) {
    const album_service::Account* owner = m_service.Data().FindAccount(account);
    ASSERT_NE(owner, nullptr);
    ASSERT_EQ(List().rowCount(), static_cast<int>(owner->albums.size()));
    std::vector<std::array<double, 3>> covers;
    for (const album_service::Album& album : owner->albums) {
      const QImage cover = QImage::fromData(QByteArray::fromStdString(album.coverBytes));
      // The cover is stretched over a 100 x 100 square of the 112 x 88
      // drawing surface, whose picture is then scaled to 100 x 100.
      covers.push_back(MeanColour(cover, QRect(0, 0, cover.width(), cover.height() * 88 / 100)));
    }
    for (int row = 0; row < List().rowCount(); ++row) {
      const album_service::Album& album = owner->albums[static_cast<std::size_t>(row)];
      SCOPED_TRACE(album.name);
      EXPECT_EQ(Cell(row, 1), QString::number(row + 1));
      EXPECT_EQ(Cell(row, 2), Utf8(album.name));
      EXPECT_EQ(Cell(row, 4), Utf8(album.count));
      EXPECT_EQ(Cell(row, 5), QString::number(album.id));
      EXPECT_EQ(Cell(row, 6), album.photoListOpen ? QStringLiteral("已取得") : QStringLiteral("双击获取权限"));
      EXPECT_EQ(List().Checked(row), album.photoListOpen ? 1 : 0);
      const int image = List().CellImage(row, 3);
      ASSERT_GE(image, 0);
      ASSERT_LT(image, List().SmallImages().size());
      const QImage thumbnail = List().SmallImages().at(image).toImage();
      ASSERT_EQ(thumbnail.size(), QSize(100, 100));
      const auto shown = MeanColour(thumbnail, QRect(0, 0, 100 * 100 / 112, 100));
      const auto nearest = std::min_element(covers.begin(), covers.end(), [&](const auto& a, const auto& b) {
        return Distance(shown, a) < Distance(shown, b);
      });
      EXPECT_EQ(nearest - covers.begin(), row) << "the thumbnail looks like another album's cover";
    }
  }

  // The Album-data call for the album went out with the session cookie the
  // browser itself sent, and with the access cookie when one is expected.
  void ExpectAlbumDataCallCarriedBrowserCookies(const QString& albumId, bool withAccessCookie) {
    const auto browserVisits = RequestsWhere([](const RecordedRequest& r) {
      return r.host == album_service::SiteHost && r.Header("User-Agent").find("QtWebEngine") != std::string::npos &&
             r.Cookie(album_service::SessionCookieName).has_value();
    });
    ASSERT_FALSE(browserVisits.empty()) << "the browser never sent the session cookie";
    const std::string session = *browserVisits.back().Cookie(album_service::SessionCookieName);

    const auto calls = RequestsWhere([&](const RecordedRequest& r) {
      return r.path.find("AlbumBean.getAlbumData.dwr") != std::string::npos &&
             r.target.find(albumId.toStdString()) != std::string::npos;
    });
    ASSERT_FALSE(calls.empty()) << "no Album-data call for " << albumId.toStdString();
    const RecordedRequest& call = calls.back();
    EXPECT_EQ(call.status, 200);
    EXPECT_EQ(call.Cookie(album_service::SessionCookieName), session);
    const std::string access = std::string(album_service::AccessCookiePrefix) + albumId.toStdString();
    if (withAccessCookie) {
      ASSERT_TRUE(call.Cookie(access).has_value()) << call.Header("Cookie");
      EXPECT_FALSE(call.Cookie(access)->empty());
    } else {
      EXPECT_FALSE(call.Cookie(access).has_value()) << call.Header("Cookie");
    }
  }

  // Every photo a host has is on disk once, byte for byte; a photo that
  // neither host has is absent and named in the album's part of the log.
  void ExpectAlbumsOnDisk(const std::string& account, const AlbumOnDisk* albums, std::size_t count,
                          const QString& log) {
    const QDir accountFolder(QDir(m_save.path()).filePath(QStringLiteral("albums/") + Utf8(account)));
    EXPECT_EQ(accountFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), static_cast<qsizetype>(count));
    for (std::size_t a = 0; a < count; ++a) {
      const album_service::Album* album = m_service.Data().FindAlbum(albums[a].id);
      ASSERT_NE(album, nullptr);
      SCOPED_TRACE(albums[a].folder);
      const QDir folder(accountFolder.filePath(QString::fromUtf8(albums[a].folder)));
      ASSERT_TRUE(folder.exists());
      const qsizetype start = log.indexOf(QStringLiteral("准备下载相册《%1》").arg(Utf8(album->name)));
      const qsizetype end = log.indexOf(QStringLiteral("---完成相册《%1》下载").arg(QString::fromUtf8(albums[a].folder)));
      ASSERT_GE(start, 0);
      ASSERT_GT(end, start);
      const QString albumLog = log.mid(start, end - start);
      qsizetype delivered = 0;
      for (std::size_t i = 0; i < album->photos.size(); ++i) {
        const album_service::Photo& photo = album->photos[i];
        const int index = static_cast<int>(i) + 1;
        SCOPED_TRACE(index);
        const QStringList files = folder.entryList({QStringLiteral("%1_*.jpg").arg(index)}, QDir::Files);
        if (!photo.onPrimary && !photo.onFallback) {
          EXPECT_TRUE(files.isEmpty()) << files.join(u' ').toStdString();
          EXPECT_TRUE(albumLog.contains(QStringLiteral("第%1张照片下载失败").arg(index))) << albumLog.toStdString();
          continue;
        }
        ++delivered;
        ASSERT_EQ(files.size(), 1) << files.join(u' ').toStdString();
        QFile file(folder.filePath(files.first()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll() == QByteArray::fromStdString(photo.bytes)) << "differs from the service's photo";
      }
      EXPECT_EQ(folder.entryList(QDir::Files).size(), delivered);
    }
  }

  // Closing the window ends the program's loop and leaves no worker behind.
  void ExpectCleanClose(walkthrough::MainJob& job) {
    ASSERT_TRUE(job.Close()) << job.Failure().toStdString();
    EXPECT_EQ(m_window->Backend().WaitingCalls(), 0);
    EXPECT_TRUE(m_window->Backend().ShuttingDown());
  }

  album_service::AlbumService m_service{album_service::DemoData()};
  int m_port = 0;
  catalogue::Configuration m_config;
  QTemporaryDir m_program;
  QTemporaryDir m_save;
  std::unique_ptr<app::MainWindow> m_window;
  std::unique_ptr<walkthrough::MainJob> m_job;
};

#define STEP(call) ASSERT_TRUE(job.call()) << job.Failure().toStdString()

TEST_F(MainJob, TheOwnAlbumsDownloadWithPauseAndContinue) {
  walkthrough::MainJob& job = Walk({});
  STEP(Start);

  STEP(SignIn);
  const std::string documentCookie = m_window->Ui().超文本浏览框1.DocumentCookie();
  EXPECT_NE(documentCookie.find("P_INFO=demo|"), std::string::npos) << documentCookie;

  STEP(ListAlbums);
  ExpectListedRows("demo");
  // The home page needs the sign-in: its request went with the browser's cookies.
  EXPECT_FALSE(RequestsWhere([](const RecordedRequest& r) {
                 return r.path == "/demo/" && r.status == 200 &&
                        r.Header("User-Agent").find("QtWebEngine") == std::string::npos &&
                        r.Cookie(album_service::SessionCookieName).has_value();
               }).empty());

  STEP(OpenLockedAlbum);
  ASSERT_EQ(job.ResolvedRow(), 2);
  EXPECT_EQ(job.ResolvedAlbumId(), QStringLiteral("1003"));
  EXPECT_TRUE(m_window->ControlAs<QLineEdit>("编辑框_url")->text().contains(QStringLiteral("aid=1003&")));

  STEP(EnterAlbumPassword);
  EXPECT_FALSE(job.PasswordEntered()) << "the owner is let in without the album's password";
  STEP(ConfirmAccess);
  EXPECT_EQ(Cell(2, 7), Utf8(m_service.PhotoListAddress("demo", 1003)));
  ExpectAlbumDataCallCarriedBrowserCookies(QStringLiteral("1003"), false);

  STEP(TickResolvedRow);
  for (int row = 0; row < List().rowCount(); ++row) EXPECT_EQ(List().Checked(row), 1) << row;

  STEP(ChooseSaveLocation);
  STEP(StartDownload);
  STEP(Pause);
  // Paused: the service hears nothing more either.
  const auto photoRequests = [&] {
    return RequestsWhere([](const RecordedRequest& r) {
             return r.host == album_service::PhotoHostPrimary || r.host == album_service::PhotoHostFallback;
           })
        .size();
  };
  const std::size_t whilePaused = photoRequests();
  QTest::qWait(1000);
  EXPECT_EQ(photoRequests(), whilePaused);
  STEP(Continue);
  STEP(WaitForCompletion);
  STEP(AcknowledgeCompletion);

  const QString log = job.OperationLog();
  EXPECT_TRUE(log.contains(QStringLiteral("当前被选择相册编号:1、2、3、4、5、"))) << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("-------全部下载完毕--------"))) << log.toStdString();
  ExpectAlbumsOnDisk("demo", DemoAlbums, std::size(DemoAlbums), log);
  // Continued, the download asked for the rest.
  EXPECT_GT(photoRequests(), whilePaused);

  ExpectCleanClose(job);
}

TEST_F(MainJob, AFriendsLockedAlbumOpensWithItsPassword) {
  walkthrough::Settings settings;
  settings.account = QStringLiteral("friend");
  settings.albumPassword = QStringLiteral("5678");
  settings.expectedAlbums = 2;
  walkthrough::MainJob& job = Walk(settings);
  STEP(Start);
  STEP(SignIn);
  STEP(ListAlbums);
  ExpectListedRows("friend");

  STEP(OpenLockedAlbum);
  ASSERT_EQ(job.ResolvedRow(), 1);
  STEP(EnterAlbumPassword);
  EXPECT_TRUE(job.PasswordEntered());
  const auto entered = RequestsWhere([](const RecordedRequest& r) { return r.method == "POST" && r.path == "/friend/access"; });
  ASSERT_EQ(entered.size(), 1u);
  EXPECT_NE(entered.front().body.find("password=5678"), std::string::npos) << entered.front().body;

  STEP(ConfirmAccess);
  EXPECT_EQ(Cell(1, 7), Utf8(m_service.PhotoListAddress("friend", 2002)));
  // The access cookie is HttpOnly: only the browser's cookie store could
  // have handed it to the call.
  ExpectAlbumDataCallCarriedBrowserCookies(QStringLiteral("2002"), true);

  STEP(TickResolvedRow);
  STEP(ChooseSaveLocation);
  STEP(StartDownload);
  STEP(WaitForCompletion);
  STEP(AcknowledgeCompletion);
  ExpectAlbumsOnDisk("friend", FriendAlbums, std::size(FriendAlbums), job.OperationLog());
  ExpectCleanClose(job);
}

} // namespace

ORLIO_GUI_TEST_MAIN()
