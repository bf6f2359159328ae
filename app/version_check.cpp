#include "app/version_check.h"

#include "platform/codepage.h"
#include "web/object_request.h"
#include "web/text.h"

namespace app {

void CheckForUpdate(model::Window& window, const catalogue::Configuration& config) {
  const platform::Text current = window.ui.标签_banben.GetText();
  const platform::Text body = web::BodyText(web::ObjectRequest(config.UpdateCheckUrl));
  const platform::Text latest = web::GetMiddleText(body, "##v", "##");
  window.ui.标签_zxbanben.SetText(latest);
  if (latest == current) {
    window.ui.标签_banbenjieguo.SetText("是最新版，有问题联系客服"_gbk);
    return;
  }
  const double latestNumber = web::TextToInt(web::FullWidthToHalfWidth(latest));
  const double currentNumber = web::TextToInt(web::FullWidthToHalfWidth(current));
  if (latestNumber - currentNumber > 0.0000001) window.ui.标签_banbenjieguo.SetText("有新版，联系客服获取最新版"_gbk);
}

void OpenMakerPage(const Shell& shell, const catalogue::Configuration& config) {
  ShellOpen(shell, config.MakerPageUrl);
}

void OpenSupportChat(const Shell& shell, const catalogue::Configuration& config) {
  ShellOpen(shell, config.SupportChatUrl);
}

} // namespace app
