#include "app/main_window.h"
#include "app/skin.h"
#include "app/start_up.h"
#include "app/tab_control.h"
#include "catalogue/configuration.h"
#include "platform/codepage.h"
#include "tests/support/gui_testing.h"
#include "tests/support/loopback_server.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QWebEngineView>

// Pictures of the three tabs as the user sees them, written next to the test
// program (screenshots/window-*.png) for the documentation.
namespace {

const char* const SignInPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>网易相册 登录</title>
<style>
 body { margin: 0; font-family: "WenQuanYi Micro Hei", sans-serif; background: #f3f6fa; color: #333; }
 .bar { background: linear-gradient(#3c8ee6, #2368c4); color: white; padding: 14px 28px; font-size: 20px; }
 .box { width: 320px; margin: 40px auto; background: white; border: 1px solid #d5dde8; border-radius: 6px;
        padding: 22px 30px; box-shadow: 0 2px 8px rgba(0,0,0,.08); }
 h2 { margin: 0 0 16px 0; font-size: 18px; color: #2368c4; }
 input { width: 100%; box-sizing: border-box; margin: 6px 0 12px 0; padding: 7px; border: 1px solid #c3cfdb; border-radius: 3px; }
 button { width: 100%; padding: 8px; background: #2d7dd2; color: white; border: none; border-radius: 3px; font-size: 15px; }
</style></head>
<body><div class="bar">网易相册</div>
<div class="box"><h2>登录网易通行证</h2>
<label>邮箱帐号</label><input value="orlio_demo@163.com">
<label>密码</label><input type="password" value="secret">
<button>登 录</button></div></body></html>)";

QPixmap Cover(int hue, const QString& caption) {
  QImage image(100, 100, QImage::Format_ARGB32);
  QPainter painter(&image);
  QLinearGradient sky(0, 0, 0, 100);
  sky.setColorAt(0, QColor::fromHsv(hue, 90, 250));
  sky.setColorAt(1, QColor::fromHsv(hue, 200, 170));
  painter.fillRect(image.rect(), sky);
  painter.setBrush(QColor::fromHsv((hue + 120) % 360, 120, 140));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPoint(30, 95), 55, 35);
  painter.drawEllipse(QPoint(85, 100), 45, 30);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(14);
  painter.setFont(font);
  painter.drawText(QRect(0, 8, 100, 20), Qt::AlignCenter, caption);
  painter.end();
  return QPixmap::fromImage(image);
}

model::Picture ToModelPicture(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  model::Picture picture;
  picture.width = image.width();
  picture.height = image.height();
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    picture.pixels.insert(picture.pixels.end(), line, line + image.width());
  }
  return picture;
}

TEST(Screenshots, EveryTabIsDrawnWithItsChineseTexts) {
  testing_support::LoopbackServer server;
  server.On("/.*", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(SignInPage, "text/html; charset=utf-8");
  });
  server.Start();

  QTemporaryDir directory;
  catalogue::Configuration config = catalogue::DemoConfiguration(18163);
  config.AlbumSiteRoot = server.Url("/");
  app::MainWindow::Options options;
  options.shell.programDirectory = directory.path();
  app::MainWindow window(config, app::Handlers{}, options);
  app::ApplySkin(app::ProgramSkin, directory.path());
  model::Controls& ui = window.Ui();
  ui.编辑框_保存位置.SetText(platform::Utf8ToGbk(directory.path().toStdString()));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  auto* browser = window.ControlAs<QWebEngineView>("超文本浏览框1");
  bool loaded = false;
  QObject::connect(browser, &QWebEngineView::loadFinished, &window, [&](bool ok) { loaded = ok; });
  ui.超文本浏览框1.SetAddress(config.AlbumSiteRoot);
  ASSERT_TRUE(testing_support::WaitUntil([&] { return loaded; }));
  QTest::qWait(500);  // the first paint of the page after the load

  const QString folder = QDir::current().filePath(QStringLiteral("screenshots"));
  QDir().mkpath(folder);
  std::vector<QImage> shots;
  const auto shoot = [&](const QString& name) {
    QTest::qWait(100);
    const QImage shot = window.grab().toImage();
    shot.save(QDir(folder).filePath(name));
    shots.push_back(shot);
  };
  shoot(QStringLiteral("window-signin.png"));

  ui.选择夹1.SetCurrentPage(1);
  ui.编辑框_号码.SetText("http://orlio.photo.163.com/"_gbk);
  ui.选择框_有封面.SetTicked(1);
  struct Row {
    const char* name;
    const char* count;
    const char* address;
    int hue;
  };
  const Row rows[] = {{"西湖春游", "36", "//s2.ph.126.net/a1", 200},
                      {"毕业照", "128", "", 20},
                      {"家乡的老房子", "57", "//s2.ph.126.net/a3", 110}};
  model::ImageList thumbnails{100, 100, 0xFFFFFFFFu, {}};
  for (const Row& row : rows) {
    thumbnails.pictures.push_back(ToModelPicture(Cover(row.hue, QString::fromUtf8(row.name).left(2))));
  }
  ui.超级列表框1.SetSmallImageList(thumbnails);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const int k = ui.超级列表框1.InsertRow();
    ui.超级列表框1.SetCell(k, 1, std::to_string(k + 1));
    ui.超级列表框1.SetCell(k, 2, platform::Utf8ToGbk(rows[i].name));
    ui.超级列表框1.SetCellImage(k, 3, static_cast<int>(i));
    ui.超级列表框1.SetCell(k, 4, rows[i].count);
    const bool open = *rows[i].address != '\0';
    ui.超级列表框1.SetCell(k, 6, open ? "已取得"_gbk : "双击获取权限"_gbk);
    ui.超级列表框1.SetCell(k, 7, rows[i].address);
    ui.超级列表框1.SetChecked(k, open ? 1 : 0);
    ui.编辑框_操作记录.AppendText("获取相册《"_gbk + platform::Utf8ToGbk(rows[i].name) + "》---有"_gbk + rows[i].count +
                                  "张照片\r\n"_gbk);
  }
  ui.超级列表框1.SetColumnWidth(5, 0);
  ui.超级列表框1.SetColumnWidth(7, 0);
  ui.超级列表框1.SelectRow(0);
  ui.标签_动态.SetText("相册获取完毕，共计：3个,"_gbk);
  ui.编辑框_操作记录.AppendText("-----获取完毕,共计3个\r\n\r\n"_gbk);
  ui.进度条1.SetPosition(66);
  ui.标签_进度条比例.SetText("66%");
  ui.标签_选择了相册数量.SetText("总共需下载[2]个相册"_gbk);
  ui.标签_正在下载相册.SetText("下载到第[2]个相册"_gbk);
  ui.标签_第多少张照片.SetText("第12张照片"_gbk);
  shoot(QStringLiteral("window-albums.png"));

  ui.选择夹1.SetCurrentPage(2);
  ui.标签_zxbanben.SetText("20151130");
  ui.标签_banbenjieguo.SetText("是最新版，有问题联系客服"_gbk);
  shoot(QStringLiteral("window-help.png"));

  ASSERT_EQ(shots.size(), 3u);
  for (const QImage& shot : shots) EXPECT_EQ(shot.size(), window.size());
  EXPECT_NE(shots[0], shots[1]);
  EXPECT_NE(shots[1], shots[2]);
}

} // namespace

ORLIO_GUI_TEST_MAIN()
