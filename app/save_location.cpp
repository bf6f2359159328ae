#include "app/save_location.h"

#include "app/qt_text.h"
#include "platform/codepage.h"
#include "web/text.h"

#include <QDir>

namespace app {

platform::Text BrowseForFolder(model::AppState& state, const Shell& shell, const platform::Text& title,
                               const platform::Text& startFolder) {
  state.SetPickerStartFolder(startFolder);
  if (!shell.pickFolder) return {};
  const QString chosen = shell.pickFolder(ToQt(title), ToQt(state.PickerStartFolder()));
  return web::TrimSpaces(web::TextUpToZero(ToGbk(QDir::toNativeSeparators(chosen))));
}

void ChooseSaveLocation(model::Window& window, const Shell& shell) {
  const model::EditBox& box = window.ui.编辑框_保存位置;
  box.SetText(BrowseForFolder(window.state, shell, "选择相册的存放位置"_gbk, FileSystemRoot));
  if (box.GetText().empty()) box.SetText(shell.ProgramDirectoryText());
}

void OpenSaveLocation(model::Window& window, const Shell& shell) {
  platform::Text target = window.ui.编辑框_保存位置.GetText();
  if (target.empty()) target = shell.ProgramDirectoryText();
  if (shell.openUrl) shell.openUrl(QUrl::fromLocalFile(ToQt(target)));
}

} // namespace app
