#include "download/album_download.h"

#include "catalogue/addresses.h"
#include "download/folders.h"
#include "platform/files.h"
#include "platform/workers.h"
#include "web/cookies.h"
#include "web/encoding.h"
#include "web/object_request.h"
#include "web/paced_wait.h"

#include <chrono>
#include <cstring>
#include <string>

namespace download {
namespace {

constexpr int PhotoListAttempts = 10;
constexpr int PhotoListRetryWaitMs = 2000;
constexpr int AfterPhotoWaitMs = 100;
constexpr int StatusOk = 200;
constexpr int StatusNotFound = 404;
constexpr int RandomLimit = 2000;

struct Response {
  ByteBuffer body;
  int status = 0;
};

// A GET with the Browser cookie; what the response sets joins the Browser
// cookie under the state's lock, so a fetch that replaced it meanwhile is
// merged into rather than overwritten.
Response RequestWithBrowserCookie(model::Window& window, const Text& address) {
  Response response;
  Text cookie = window.state.BrowserCookie();
  Text received;
  response.body = web::ObjectRequest(address, 0, {}, &cookie, &received, nullptr, nullptr, &response.status);
  window.state.UpdateBrowserCookie([&received](Text& held) {
    Text fresh = received;
    web::MergeCookies(held, fresh);
  });
  return response;
}

// A web page where a photo should be: an error or sign-in page that came
// with status 200. No picture format begins with "<".
bool IsWebPage(const ByteBuffer& body) {
  std::size_t i = 0;
  if (body.size() >= 3 && body[0] == 0xEF && body[1] == 0xBB && body[2] == 0xBF) i = 3;
  while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n')) ++i;
  return i < body.size() && body[i] == '<';
}

// A JPEG that stops before its end marker. The reply announced this length
// and delivered it, so only the picture's own structure shows that it is cut
// short: its segments are walked (their lengths skip embedded thumbnails) up
// to the end marker; whatever follows that marker does not matter. A body
// whose structure is not understood is not judged.
bool IsCutShortJpeg(const ByteBuffer& body) {
  const std::size_t n = body.size();
  if (n < 2 || body[0] != 0xFF || body[1] != 0xD8) return false;
  std::size_t i = 2;
  for (;;) {
    if (i >= n) return true;
    if (body[i] != 0xFF) return false;
    while (i < n && body[i] == 0xFF) ++i;
    if (i >= n) return true;
    const std::uint8_t marker = body[i++];
    if (marker == 0xD9) return false;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0x00 || marker == 0xD8) return false;
    if (i + 2 > n) return true;
    const std::size_t length = static_cast<std::size_t>(body[i]) << 8 | body[i + 1];
    if (length < 2) return false;
    i += length;
    if (i > n) return true;
    if (marker != 0xDA) continue;
    // Scan data runs to the next marker that is neither a stuffed FF 00
    // nor a restart marker.
    while (i < n) {
      // memchr, not a byte loop: the scan data is nearly all of a photo.
      const void* mark = std::memchr(body.data() + i, 0xFF, n - i);
      if (!mark) return true;
      i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(mark) - body.data());
      if (i + 1 >= n) return true;
      const std::uint8_t next = body[i + 1];
      if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
        i += 2;
      } else if (next == 0xFF) {
        ++i;
      } else {
        break;
      }
    }
  }
}

std::uint32_t TickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Writes the photo as index_random.jpg under a number no file in the folder
// has yet; when the random draws keep hitting taken names, the free numbers
// are tried in order. Returns the path written, empty when none could be.
Text WritePhoto(const Text& folder, int index, PhotoNameRandom& random, const ByteBuffer& body, Text& lastTried) {
  constexpr int RandomTries = 64;
  auto tryNumber = [&](int number) -> int {
    lastTried = folder + "\\" + std::to_string(index) + "_" + std::to_string(number) + ".jpg";
    return platform::WriteNewFile(lastTried, body);
  };
  for (int attempt = 0; attempt < RandomTries; ++attempt) {
    const int result = tryNumber(random.Next());
    if (result == platform::WriteDone) return lastTried;
    if (result == platform::WriteFailed) return {};
  }
  for (int number = 1; number <= RandomLimit; ++number) {
    const int result = tryNumber(number);
    if (result == platform::WriteDone) return lastTried;
    if (result == platform::WriteFailed) return {};
  }
  return {};
}

} // namespace

int PhotoNameRandom::Next() { return NextAt(TickCount()); }

int PhotoNameRandom::NextAt(std::uint32_t tickCount) {
  const std::uint32_t seed = tickCount + m_offset;
  m_offset += 100 + (seed & 0xFFu);
  // The C runtime's generator: one step from the seed.
  const std::uint32_t next = seed * 214013u + 2531011u;
  const int value = static_cast<int>((next >> 16) & 0x7FFFu);
  return 1 + value % RandomLimit;
}

Text SafeFolderComponent(std::string_view name) {
  // Character by character: a byte pair that does not convert as one
  // character could still give a separator (80 2F reads as "€/"), and a
  // control byte (a zero above all) would cut the path short.
  Text safe;
  safe.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t length = web::CharLength(name, i);
    const char c = name[i];
    const bool separator = length == 1 && (c == '/' || c == '\\');
    if (separator || static_cast<unsigned char>(c) < 0x20 || !IsWholeCharacter(name, i)) {
      safe += '_';
    } else {
      safe.append(name, i, length);
    }
    i += length;
  }
  if (safe.empty() || safe == "." || safe == "..") safe.insert(0, "_");
  return safe;
}

void DownloadAlbum(model::Window& window, const Configuration& config, const Text& countText,
                   const Text& photoListAddress, const Text& albumName) {
  const model::Controls& ui = window.ui;
  const model::EditBox& log = ui.编辑框_操作记录;
  ui.标签_进度条比例.SetText({});
  ui.进度条1.SetPosition(0);
  ui.进度条1.SetMaximum(std::max(0, web::TextToInt(countText)));
  log.AppendText("准备下载相册《"_gbk + albumName + "》\r\n\r\n"_gbk);

  const Text folderName = SafeFolderComponent(AlbumFolderName(albumName, countText));
  const Text folder = AlbumFolderPath(SaveRoot(ui.编辑框_保存位置.GetText()),
                                      SafeFolderComponent(window.state.AccountName()), folderName);
  if (!CreateAlbumFolder(folder)) {
    log.AppendText("无法创建相册文件夹："_gbk + folder + "，跳过此相册\r\n\r\n"_gbk);
    return;
  }

  const Text listAddress = catalogue::PhotoListAddress(photoListAddress);
  Text photoList;
  int listStatus = 0;
  for (int attempt = 0; attempt < PhotoListAttempts && !platform::StopRequested(); ++attempt) {
    const Response response = RequestWithBrowserCookie(window, listAddress);
    listStatus = response.status;
    photoList = web::Utf8ToText(response.body);
    if (!photoList.empty()) break;
    web::PacedWait(PhotoListRetryWaitMs);
  }
  if (photoList.empty()) {
    log.AppendText("照片列表获取失败（状态码 "_gbk + std::to_string(listStatus) + "），已重试"_gbk +
                   std::to_string(PhotoListAttempts) + "次\r\n"_gbk);
  }

  web::TextList photos;
  const int photoCount = web::GetAllMiddleTexts(photoList, "ourl:'", "',", photos);
  if (!photoList.empty() && photoCount == 0) {
    log.AppendText("照片列表中没有找到照片（状态码 "_gbk + std::to_string(listStatus) + "）\r\n"_gbk);
  }
  PhotoNameRandom random;
  int failed = 0;
  for (int j = 1; j <= photoCount && !platform::StopRequested(); ++j) {
    ui.进度条1.SetPosition(j);
    const int position = ui.进度条1.Position();
    ui.标签_进度条比例.SetText(web::PercentText(position, ui.进度条1.Maximum()));
    ui.标签_第多少张照片.SetText(countText + "/" + std::to_string(position));

    const Text& photo = photos[static_cast<std::size_t>(j - 1)];
    Response response = RequestWithBrowserCookie(window, catalogue::PhotoAddress(config, photo));
    if (response.status == StatusNotFound) {
      response = RequestWithBrowserCookie(window, catalogue::PhotoFallbackAddress(config, photo));
    }
    web::PacedWait(AfterPhotoWaitMs);
    if (platform::StopRequested()) break;

    // An error page or an empty or cut-short body is not a photo.
    Text unfit;
    if (response.status == StatusOk && IsWebPage(response.body)) {
      unfit = "，收到的是网页而不是照片"_gbk;
    } else if (response.status == StatusOk && IsCutShortJpeg(response.body)) {
      unfit = "，照片数据不完整"_gbk;
    }
    if (response.status != StatusOk || response.body.empty() || !unfit.empty()) {
      ++failed;
      log.AppendText("第"_gbk + std::to_string(j) + "张照片下载失败，状态码："_gbk +
                     std::to_string(response.status) + unfit + "\r\n"_gbk);
      continue;
    }
    Text tried;
    if (WritePhoto(folder, j, random, response.body, tried).empty()) {
      ++failed;
      log.AppendText("第"_gbk + std::to_string(j) + "张照片无法写入文件："_gbk + tried + "\r\n"_gbk);
    }
    ui.PumpMessages();
  }

  log.AppendText("---完成相册《"_gbk + folderName + "》下载\r\n\r\n"_gbk);
  log.AppendText("其中下载失败："_gbk + std::to_string(failed) + "张\r\n\r\n"_gbk);
  ui.标签_第多少张照片.SetText({});
}

} // namespace download
