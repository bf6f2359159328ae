#pragma once

#include "app/model/window.h"

#include <functional>

namespace app {

// The handlers of the album list and the download that the window's events
// call; the program fills them in. An empty entry does nothing.
struct Handlers {
  using Handler = std::function<void(model::Window&)>;
  // A row's check box toggled by the user: the row (from 0) and its new state.
  using ToggleHandler = std::function<void(model::Window&, int row, int state)>;

  Handler StartAlbumFetch;     // 按钮_获取相册封面
  Handler RequestAlbumAccess;  // 超级列表框1, double-click
  Handler ConfirmAlbumAccess;  // 按钮4
  ToggleHandler SelectToggledRow;
  Handler SelectAllRows;  // 选择框_全选
  Handler InvertRows;     // 选择框_反选
  Handler StartDownload;     // 按钮_下载选中
  Handler PauseDownload;     // 按钮_暂停线程
  Handler ContinueDownload;  // 按钮_继续下载
};

} // namespace app
