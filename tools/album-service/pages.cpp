#include "tools/album-service/pages.h"

#include <cstdio>

namespace album_service::pages {
namespace {

std::string EscapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

// For a value inside a quoted JavaScript string within an HTML page or a script.
std::string EscapeJs(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '\\':
      out += "\\\\";
      break;
    case '\'':
      out += "\\'";
      break;
    case '"':
      out += "\\\"";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '<':
      out += "\\x3c";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::string HtmlHead(const std::string& charset, const std::string& title) {
  return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"" + charset + "\">\n<title>" + EscapeHtml(title) +
         "</title>\n";
}

// The modification time the real records carry; any stable number will do.
std::string DmtFor(std::int64_t albumId) { return std::to_string(1420000000 + albumId * 86400 % 31536000); }

} // namespace

std::string SignInPage(const std::string& signedInUser, bool failed, const std::vector<AccountLink>& accounts) {
  std::string page = HtmlHead("utf-8", "网易相册 - 登录") + "</head>\n<body>\n<h1>网易相册</h1>\n";
  if (!signedInUser.empty()) {
    page += "<p id=\"signed-in\">已登录：" + EscapeHtml(signedInUser) + "</p>\n<ul id=\"accounts\">\n";
    for (const AccountLink& link : accounts)
      page += "<li><a href=\"" + EscapeHtml(link.url) + "\">" + EscapeHtml(link.name) + "的相册</a></li>\n";
    page += "</ul>\n<p><a id=\"logout\" href=\"/logout\">退出登录</a></p>\n";
  } else {
    if (failed) page += "<p id=\"error\" style=\"color:red\">用户名或密码错误，请重新输入</p>\n";
    page += "<form id=\"login-form\" method=\"post\" action=\"/login\" accept-charset=\"utf-8\">\n"
            "<p><label>用户名：<input type=\"text\" name=\"user\" id=\"username\"></label></p>\n"
            "<p><label>密　码：<input type=\"password\" name=\"password\" id=\"password\"></label></p>\n"
            "<p><button type=\"submit\" id=\"login\">登录</button></p>\n"
            "</form>\n";
  }
  return page + "</body>\n</html>\n";
}

std::string AccountPage(const Account& account, const std::string& albumListUrl, const std::vector<AlbumView>& albums) {
  std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\">\n";
  page += "<script>\nvar pageConfig = {\n  account : '" + EscapeJs(account.name) + "',\n  albumUrl : '" +
          EscapeJs(albumListUrl) + "',\n  pageSize : 40\n};\nvar albumData = {\n";
  for (const AlbumView& view : albums) {
    const Album& album = *view.album;
    page += "  '" + std::to_string(album.id) + "' : {name : '" + EscapeJs(album.name) + "', count : '" +
            EscapeJs(album.count) + "', open : " + (album.photoListOpen ? "true" : "false") +
            ", granted : " + (view.granted ? "true" : "false") + "},\n";
  }
  page += "  '' : null\n};\n</script>\n<title>" + EscapeHtml(account.name) + "的相册 - 网易相册</title>\n";
  page += "</head>\n<body>\n<h1>" + EscapeHtml(account.name) + "的相册</h1>\n";
  page += "<div id=\"album-list\">\n<ul>\n";
  for (const AlbumView& view : albums) {
    const Album& album = *view.album;
    page += "<li><a href=\"#m=1&amp;aid=" + std::to_string(album.id) + "&amp;p=1\">" + EscapeHtml(album.name) +
            "</a>（" + EscapeHtml(album.count) + "张）" + (album.photoListOpen ? "" : "（需要密码）") + "</li>\n";
  }
  page += "</ul>\n</div>\n"
          "<div id=\"album-view\" style=\"display:none\">\n"
          "<h2 id=\"album-name\"></h2>\n"
          "<p id=\"album-state\"></p>\n"
          "<form id=\"album-form\" method=\"post\" action=\"/" +
          EscapeHtml(account.name) +
          "/access\" "
          "accept-charset=\"utf-8\" style=\"display:none\">\n"
          "<input type=\"hidden\" name=\"aid\" id=\"album-aid\">\n"
          "<label>相册密码：<input type=\"password\" name=\"password\" id=\"album-password\"></label>\n"
          "<button type=\"submit\" id=\"album-enter\">进入相册</button>\n"
          "</form>\n"
          "<p><a href=\"#m=0&amp;p=1\">返回相册列表</a></p>\n"
          "</div>\n"
          "<script>\n"
          "function hashParam(name) {\n"
          "  var found = new RegExp('[#&]' + name + '=([^&]*)').exec(location.hash);\n"
          "  return found ? decodeURIComponent(found[1]) : '';\n"
          "}\n"
          "function showPage() {\n"
          "  var albumMode = hashParam('m') === '1';\n"
          "  var aid = hashParam('aid');\n"
          "  var album = albumMode && albumData.hasOwnProperty(aid) ? albumData[aid] : null;\n"
          "  document.getElementById('album-list').style.display = albumMode ? 'none' : '';\n"
          "  document.getElementById('album-view').style.display = albumMode ? '' : 'none';\n"
          "  var form = document.getElementById('album-form');\n"
          "  form.style.display = 'none';\n"
          "  if (!albumMode) return;\n"
          "  var state = document.getElementById('album-state');\n"
          "  if (!album) {\n"
          "    document.getElementById('album-name').textContent = '';\n"
          "    state.textContent = '相册不存在';\n"
          "    return;\n"
          "  }\n"
          "  document.getElementById('album-name').textContent = album.name;\n"
          "  if (album.open) state.textContent = '公开相册，共' + album.count + '张照片';\n"
          "  else if (album.granted) state.textContent = '已取得访问权限';\n"
          "  else {\n"
          "    state.textContent = '该相册需要密码才能访问';\n"
          "    document.getElementById('album-aid').value = aid;\n"
          "    form.style.display = '';\n"
          "  }\n"
          "}\n"
          "window.addEventListener('hashchange', showPage);\n"
          "showPage();\n"
          "</script>\n"
          "</body>\n</html>\n";
  return page;
}

std::string SignInRequiredPage(const Account& account, const std::string& signInUrl) {
  return HtmlHead("gbk", account.name + "的相册 - 网易相册") + "</head>\n<body>\n<p id=\"sign-in-required\">请先登录" +
         "，登录后才能查看" + EscapeHtml(account.name) + "的相册。</p>\n<p><a href=\"" + EscapeHtml(signInUrl) +
         "\">去登录</a></p>\n</body>\n</html>\n";
}

std::string AccessPage(const Account& account, const Album& album, bool granted) {
  const std::string back = "/" + account.name + "/#m=1&aid=" + std::to_string(album.id) + "&p=1";
  std::string page =
      HtmlHead("utf-8", album.name + " - 网易相册") + "</head>\n<body>\n<h2>" + EscapeHtml(album.name) + "</h2>\n";
  if (granted) {
    page += "<p id=\"access-granted\">已取得访问权限</p>\n";
  } else {
    page += "<p id=\"access-denied\" style=\"color:red\">相册密码错误</p>\n"
            "<form id=\"album-form\" method=\"post\" action=\"/" +
            EscapeHtml(account.name) +
            "/access\" "
            "accept-charset=\"utf-8\">\n"
            "<input type=\"hidden\" name=\"aid\" id=\"album-aid\" value=\"" +
            std::to_string(album.id) +
            "\">\n"
            "<label>相册密码：<input type=\"password\" name=\"password\" id=\"album-password\"></label>\n"
            "<button type=\"submit\" id=\"album-enter\">进入相册</button>\n"
            "</form>\n";
  }
  return page + "<p><a href=\"" + EscapeHtml(back) + "\">返回相册</a></p>\n</body>\n</html>\n";
}

std::string AlbumListScript(const Account& account, const std::vector<std::string>& photoListAddresses) {
  std::string script = "var g_albums = [\n";
  for (std::size_t i = 0; i < account.albums.size(); ++i) {
    const Album& album = account.albums[i];
    const std::string purl = i < photoListAddresses.size() ? photoListAddresses[i] : std::string();
    script += "{id:" + std::to_string(album.id) + ",name:'" + EscapeJs(album.name) + "',s:0,count:" + album.count +
              ",t:'" + EscapeJs(album.t) + "',lurl:'5/" + EscapeJs(album.coverPath) + "',dmt:" + DmtFor(album.id) +
              ",purl:'" + purl + "'}" + (i + 1 < account.albums.size() ? "," : "") + "\n";
  }
  return script + "];\n";
}

std::string PhotoListScript(const Album& album) {
  std::string script = "var g_photos = [\n";
  for (std::size_t i = 0; i < album.photos.size(); ++i) {
    const Photo& photo = album.photos[i];
    // The service puts a one-character host key in front of every address.
    const char key = static_cast<char>('1' + (i * 7) % 9);
    script += "{id:" + std::to_string(i + 1) + ",ourl:'" + key + photo.path + "',ow:" + std::to_string(photo.width) +
              ",oh:" + std::to_string(photo.height) + ",desc:'" + EscapeJs(photo.description) + "'}" +
              (i + 1 < album.photos.size() ? "," : "") + "\n";
  }
  return script + "];\n";
}

std::string DwrResult(const std::string& batchId, const std::string& value) {
  return "//#DWR-INSERT\r\n//#DWR-REPLY\r\ndwr.engine._remoteHandleCallback('" + batchId + "','0',\"" + value +
         "\");\r\n";
}

std::string DwrError(const std::string& batchId, const std::string& message) {
  return "//#DWR-INSERT\r\n//#DWR-REPLY\r\ndwr.engine._remoteHandleException('" + batchId +
         "','0',{javaClassName:\"java.lang.Throwable\",message:\"" + message + "\"});\r\n";
}

std::string ErrorPage(int status, const std::string& message) {
  return HtmlHead("utf-8", std::to_string(status)) + "</head>\n<body>\n<h1>" + std::to_string(status) + "</h1>\n<p>" +
         EscapeHtml(message) + "</p>\n</body>\n</html>\n";
}

std::string VersionPage(const std::string& version) {
  return "<html><body>\r\n网易相册批量下载 最新版本：##v" + version + "##\r\n有问题请联系客服。\r\n</body></html>\r\n";
}

std::string MakerPage(const std::string& version) {
  return HtmlHead("utf-8", "Orlio 软件工作室") +
         "</head>\n<body>\n<h1>Orlio 软件工作室</h1>\n<p>网易163相册批量下载，当前版本 v" + EscapeHtml(version) +
         "</p>\n<p><a href=\"/chat\">在线客服</a></p>\n</body>\n</html>\n";
}

std::string ChatPage() {
  return HtmlHead("utf-8", "在线客服") +
         "</head>\n<body>\n<h1>在线客服</h1>\n<p id=\"chat\">客服：您好，请问有什么可以帮您？</p>\n"
         "<input type=\"text\" id=\"chat-input\"> <button id=\"chat-send\">发送</button>\n</body>\n</html>\n";
}

std::string NotAPicturePage() {
  return HtmlHead("utf-8", "提示") + "</head>\n<body>\n<p>图片暂时无法访问，请稍后再试。</p>\n</body>\n</html>\n";
}

} // namespace album_service::pages
