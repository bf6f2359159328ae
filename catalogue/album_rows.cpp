#include "catalogue/album_rows.h"

#include "catalogue/addresses.h"
#include "web/inet_request.h"
#include "web/object_request.h"

#include <string>

namespace catalogue {
namespace {

constexpr int StatusOk = 200;
constexpr int StatusNotFound = 404;

} // namespace

model::ImageList NewThumbnailList() {
  model::ImageList list;
  list.width = ThumbnailSize;
  list.height = ThumbnailSize;
  list.transparentColour = 0xFFFFFFFFu;
  return list;
}

int AddCoverThumbnail(model::Window& window, const Configuration& config, model::ImageList& thumbnails,
                      const Text& coverAddress) {
  int status = 0;
  ByteBuffer picture = web::ObjectRequest(coverAddress, web::MethodGet, {}, nullptr, nullptr, nullptr, nullptr,
                                          &status);
  if (status == StatusNotFound) {
    picture = web::InetRequest(CoverFallbackAddress(config, coverAddress));
  } else if (status != StatusOk) {
    picture.clear();
  }

  const model::Canvas& surface = window.ui.画板1;
  if (!picture.empty()) surface.DrawPicture(picture, 0, 0, ThumbnailSize, ThumbnailSize);

  model::Picture thumbnail = surface.TakePicture(ThumbnailSize, ThumbnailSize);
  if (thumbnail.IsNull()) return -1;
  thumbnails.pictures.push_back(std::move(thumbnail));
  window.ui.超级列表框1.SetSmallImageList(thumbnails);
  return static_cast<int>(thumbnails.pictures.size()) - 1;
}

int AddAlbumRow(model::Window& window, const Text& albumId, const Text& name, const Text& countText,
                const Text& photoListAddress, std::optional<int> picture) {
  const model::ListView& list = window.ui.超级列表框1;
  const int row = list.InsertRow();
  list.SetCell(row, ColumnNumber, std::to_string(row + 1));
  list.SetCell(row, ColumnName, name);
  if (picture && *picture >= 0) list.SetCellImage(row, ColumnCover, *picture);
  list.SetCell(row, ColumnCount, countText);
  list.SetCell(row, ColumnAlbumId, albumId);
  list.SetCell(row, ColumnPhotoList, photoListAddress);
  const bool hasAddress = !photoListAddress.empty();
  list.SetCell(row, ColumnAccess, hasAddress ? "已取得"_gbk : "双击获取权限"_gbk);
  list.SetChecked(row, hasAddress ? 1 : 0);
  return row;
}

void SelectAllRows(model::Window& window) {
  if (window.ui.选择框_全选.Ticked() == 0) return;
  window.ui.选择框_反选.SetTicked(0);
  const model::ListView& list = window.ui.超级列表框1;
  const int rows = list.RowCount();
  for (int row = 0; row < rows; ++row) list.SetChecked(row, 1);
}

void InvertRows(model::Window& window) {
  if (window.ui.选择框_反选.Ticked() == 0) return;
  window.ui.选择框_全选.SetTicked(0);
  const model::ListView& list = window.ui.超级列表框1;
  const int rows = list.RowCount();
  for (int row = 0; row < rows; ++row) {
    const int state = list.Checked(row);
    if (state == 1) {
      list.SetChecked(row, 0);
    } else if (state == 0) {
      list.SetChecked(row, 1);
    }
  }
}

void SelectToggledRow(model::Window& window, int row, int /*state*/) { window.ui.超级列表框1.SelectRow(row); }

} // namespace catalogue
