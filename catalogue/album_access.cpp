#include "catalogue/album_access.h"

#include "catalogue/addresses.h"
#include "catalogue/album_list.h"
#include "catalogue/album_rows.h"
#include "web/paced_wait.h"

#include <string>

namespace catalogue {
namespace {

constexpr int SignInPage = 0;
constexpr int AlbumPage = 1;

} // namespace

void RequestAlbumAccess(model::Window& window, const Configuration& config) {
  const model::Controls& ui = window.ui;
  const int row = ui.超级列表框1.CurrentRow();
  if (ui.超级列表框1.Cell(row, ColumnAccess) != "双击获取权限"_gbk) return;

  const Text account = window.state.AccountName();
  ui.编辑框_url.SetText(AlbumPageAddress(config, account, ui.超级列表框1.Cell(row, ColumnAlbumId)));
  ui.超文本浏览框1.SetAddress(AlbumPageAddress(config, account, ui.超级列表框1.Cell(row, ColumnAlbumId)));
  ui.选择夹1.SetCurrentPage(SignInPage);
  ui.编辑框_权限_id.SetText(ui.超级列表框1.Cell(row, ColumnAlbumId));
  ui.编辑框_权限_行号.SetText(std::to_string(row));
}

void ConfirmAlbumAccess(model::Window& window, const Configuration& config) {
  const model::Controls& ui = window.ui;
  web::PacedWait(100);
  const Text albumId = web::GetMiddleText(ui.编辑框_url.GetText(), "aid=", "&");
  const Text address = ResolveAlbumDataUrl(config, albumId);
  const int row = web::TextToInt(ui.编辑框_权限_行号.GetText());

  // The list may have been fetched again since the double-click: the row
  // must still hold the album that was asked for.
  const bool rowStillMatches = ui.超级列表框1.Cell(row, ColumnAlbumId) == albumId;
  if (!address.empty() && rowStillMatches) {
    ui.超级列表框1.SetCell(row, ColumnAccess, "已取得"_gbk);
    ui.超级列表框1.SetCell(row, ColumnPhotoList, address);
    ui.选择夹1.SetCurrentPage(AlbumPage);
    ui.超级列表框1.SelectRow(row);
  } else {
    ui.ShowMessage("获取失败"_gbk);
    ui.选择夹1.SetCurrentPage(AlbumPage);
  }
  ui.编辑框_权限_id.Clear();
  ui.编辑框_权限_行号.Clear();
}

} // namespace catalogue
