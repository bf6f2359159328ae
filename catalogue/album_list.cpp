#include "catalogue/album_list.h"

#include "catalogue/addresses.h"
#include "catalogue/album_rows.h"
#include "catalogue/records.h"
#include "platform/workers.h"
#include "web/inet_request.h"
#include "web/paced_wait.h"
#include "web/regex_object.h"

#include <string>

namespace catalogue {
namespace {

// The home page is asked for with this header text, "User-Agent:" twice as
// the service has always been sent it.
constexpr std::string_view HomePageHeaders =
    "User-Agent: User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/31.0.1650.64 Safari/537.36\r\n";

void FinishRun(model::Window& window, bool listed) {
  if (listed) {
    window.ui.画板1.Hide();
    const std::string rows = std::to_string(window.ui.超级列表框1.RowCount());
    window.ui.标签_动态.SetText("相册获取完毕，共计："_gbk + rows + "个,"_gbk);
    window.ui.编辑框_操作记录.AppendText("-----获取完毕,共计"_gbk + rows + "个\r\n\r\n"_gbk);
  }
  window.ui.按钮_获取相册封面.SetEnabled(true);
  window.state.EndAlbumFetch();
}

} // namespace

void StartAlbumFetch(model::Window& window, const Configuration& config) {
  const model::Controls& ui = window.ui;
  if (ui.编辑框_号码.GetText().empty()) {
    ui.ShowMessage("您输入的内容为空"_gbk);
    ui.编辑框_号码.SetFocus();
    return;
  }
  if (!window.state.TryBeginAlbumFetch()) return;

  window.state.SetBrowserCookie(ui.超文本浏览框1.DocumentCookie());
  ui.标签_动态.SetText("温馨提示：正在获取相册列表..."_gbk);
  ui.编辑框_操作记录.AppendText("正努力获取相册列表，耐心等待哈！\r\n\r\n"_gbk);

  // Hidden before the worker starts rather than after, so that the surface
  // the worker shows stays visible while the covers arrive.
  ui.PumpMessages();
  ui.画板1.Hide();
  if (ui.组合框1.Selection() == 0) {
    ui.按钮_获取相册封面.SetEnabled(false);
    window.workers.Start([&window, &config] { FetchAlbumList(window, config); });
  } else {
    window.state.EndAlbumFetch();
  }
}

void FetchAlbumList(model::Window& window, const Configuration& config) {
  const model::Controls& ui = window.ui;
  web::RegexObject regex;
  ui.画板1.Show();
  ui.标签_动态.SetText("群相册获取中，耐心等待..."_gbk);
  ui.超级列表框1.DeleteAllRows();
  model::ImageList thumbnails = NewThumbnailList();

  const Text entry = web::TrimSpaces(ui.编辑框_号码.GetText());
  window.state.SetEntry(entry);
  ui.超级列表框1.SetColumnWidth(ColumnAlbumId, 0);
  ui.超级列表框1.SetColumnWidth(ColumnPhotoList, 0);

  const std::optional<Text> account = DeriveAccountName(config, entry);
  if (!account) {
    ui.ShowMessage("你输入的格式不正确："_gbk + entry);
    FinishRun(window, false);
    return;
  }
  window.state.SetAccountName(*account);

  Text headers(HomePageHeaders);
  Text replyHeaders;
  const ByteBuffer homePage = web::InetRequest(AccountHomePageAddress(config, *account), web::MethodGet, {},
                                               nullptr, nullptr, &headers, &replyHeaders);
  web::PacedWait(1000);
  const Text page = web::BodyText(homePage);

  // Without a sign-in the service answers with a page that asks for one
  // instead of the album list's address; the run would then list nothing
  // without saying why.
  const Text scriptAddress = AlbumListScriptAddress(page);
  if (scriptAddress.empty()) {
    // The status line's code: "HTTP/1.1 200 OK".
    const int status = web::TextToInt(web::GetMiddleText(replyHeaders, " ", " "));
    if (page.empty() && status == 0) {
      ui.编辑框_操作记录.AppendText("账号主页获取失败，请检查网络和输入的地址\r\n"_gbk);
    } else if (status != 200) {
      ui.编辑框_操作记录.AppendText("账号主页获取失败（状态码 "_gbk + std::to_string(status) + "）\r\n"_gbk);
    } else {
      ui.编辑框_操作记录.AppendText("账号主页中没有相册列表地址：未登录或登录已过期，请先在登录页登录后再获取相册\r\n"_gbk);
    }
  }
  const Text script = web::BodyText(web::InetRequest(scriptAddress));
  const int records = MatchAlbumRecords(regex, script);
  ui.进度条1.SetPosition(0);

  for (int i = 1; i <= records && !platform::StopRequested(); ++i) {
    AlbumRecord record = ReadAlbumRecord(regex, i);
    const Text coverAddress = CoverAddress(config, record.coverPath);
    ui.编辑框_操作记录.AppendText("获取相册《"_gbk + record.name + "》---有"_gbk + record.countText +
                                  "张照片\r\n"_gbk);
    if (record.photoListAddress.empty() && ui.选择框_自己的.Ticked() == 1) {
      record.photoListAddress = ResolveOwnAlbum(window, config, record.albumId);
    }

    ui.进度条1.SetMaximum(records);
    ui.进度条1.SetPosition(ui.进度条1.Position() + 1);
    ui.标签_进度条比例.SetText(web::PercentText(ui.进度条1.Position(), ui.进度条1.Maximum()));
    web::PacedWait(100);

    std::optional<int> picture;
    if (ui.选择框_有封面.Ticked() == 1) {
      ui.超级列表框1.SetColumnWidth(ColumnCover, ThumbnailSize);
      picture = AddCoverThumbnail(window, config, thumbnails, coverAddress);
    } else {
      ui.超级列表框1.SetColumnWidth(ColumnCover, 0);
    }
    AddAlbumRow(window, record.albumId, record.name, record.countText, record.photoListAddress, picture);
    ui.PumpMessages();
  }
  FinishRun(window, true);
}

Text ResolveAlbumDataUrl(const Configuration& config, const Text& albumId) {
  const Text reply = web::FetchText(AlbumDataCallAddress(config, albumId));
  return web::GetMiddleText(reply, AlbumDataResultLeft, AlbumDataResultRight);
}

Text ResolveOwnAlbum(model::Window& window, const Configuration& config, const Text& albumId) {
  window.ui.超文本浏览框1.SetAddress(AlbumPageAddress(config, window.state.AccountName(), albumId));
  web::PacedWait(100);
  const Text address = ResolveAlbumDataUrl(config, albumId);
  window.ui.编辑框_操作记录.AppendText(address + "\r\n");
  return address;
}

} // namespace catalogue
