// The program's side of the service benchmarks, in a process of its own so
// that its wall time and peak memory are its own: the download worker or the
// album-list worker over the in-memory window, with the real request layer
// and real paced waits. Reports "key value" lines on standard output.
//
//   orlio-bench-worker download PORT COOKIE ACCOUNT PHOTO_LIST_ADDRESS COUNT NAME SAVE_ROOT
//   orlio-bench-worker list PORT ENTRY
//   orlio-bench-worker bare COOKIE LIST_URL PHOTO_URL FILE
//
// "bare" is the floor of the download's way of working with none of the
// program's code: libcurl alone fetches the photo list, then the photo into
// memory sized from its Content-Length; after the 100 ms pause (one sleep, as
// the paced wait sleeps on a worker) the photo goes to FILE in one write.

#include "app/model/memory_backend.h"
#include "app/model/window.h"
#include "bench/support.h"
#include "catalogue/album_list.h"
#include "catalogue/album_rows.h"
#include "catalogue/configuration.h"
#include "download/download_jobs.h"
#include "platform/codepage.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct MemoryWindow {
  model::MemoryBackend backend;
  model::Controls ui{backend};
  model::AppState state;
  platform::Workers workers;
  model::Window window{ui, state, workers};
};

void Print(const char* key, double value) { std::printf("%s %.3f\n", key, value); }
void Print(const char* key, long long value) { std::printf("%s %lld\n", key, value); }

int Download(char** argv) {
  const int port = std::atoi(argv[0]);
  const std::string cookie = argv[1];
  const std::string account = argv[2];
  const std::string listAddress = argv[3];
  const std::string count = argv[4];
  const std::string name = argv[5];
  const std::string saveRoot = argv[6];

  const catalogue::Configuration config = catalogue::DemoConfiguration(port);
  MemoryWindow m;
  m.ui.编辑框_保存位置.SetText(platform::Utf8ToGbk(saveRoot));
  m.state.SetBrowserCookie(cookie);
  m.state.SetAccountName(account);
  const int row = catalogue::AddAlbumRow(m.window, "1", name, count, listAddress, std::nullopt);
  m.ui.超级列表框1.SetChecked(row, 1);

  const long baselineKb = bench::CurrentRssKb();
  const long peakBeforeKb = bench::PeakRssKb();
  const bench::Clock::time_point start = bench::Clock::now();
  download::DownloadSelected(m.window, config);
  const double wallMs = bench::MillisecondsSince(start);

  const bench::FolderContents written = bench::CountFiles(saveRoot + "/" + account + "/" + name + count);
  Print("wall_ms", wallMs);
  Print("baseline_rss_kb", static_cast<long long>(baselineKb));
  Print("peak_before_kb", static_cast<long long>(peakBeforeKb));
  Print("peak_rss_kb", static_cast<long long>(bench::PeakRssKb()));
  Print("files", static_cast<long long>(written.files));
  Print("bytes", written.bytes);
  Print("messages", static_cast<long long>(m.backend.Messages().size()));
  return 0;
}

size_t KeepBody(char* data, size_t size, size_t count, void* user) {
  auto* body = static_cast<std::vector<std::uint8_t>*>(user);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
  body->insert(body->end(), bytes, bytes + size * count);
  return size * count;
}

size_t ReserveBody(char* data, size_t size, size_t count, void* user) {
  if (size * count > 15 && ::strncasecmp(data, "content-length:", 15) == 0)
    static_cast<std::vector<std::uint8_t>*>(user)->reserve(std::strtoull(data + 15, nullptr, 10));
  return size * count;
}

bool Fetch(const std::string& url, const std::string& cookie, std::vector<std::uint8_t>& body) {
  CURL* handle = curl_easy_init();
  if (!handle) return false;
  const std::string cookieLine = "Cookie: " + cookie;
  curl_slist* headers = curl_slist_append(nullptr, cookieLine.c_str());
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &ReserveBody);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &body);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &KeepBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  const bool ok = curl_easy_perform(handle) == CURLE_OK;
  curl_slist_free_all(headers);
  curl_easy_cleanup(handle);
  return ok;
}

int Bare(char** argv) {
  const std::string cookie = argv[0];
  curl_global_init(CURL_GLOBAL_ALL);
  const bench::Clock::time_point start = bench::Clock::now();
  std::vector<std::uint8_t> list;
  std::vector<std::uint8_t> photo;
  bool ok = Fetch(argv[1], cookie, list) && Fetch(argv[2], cookie, photo);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const int fd = ::open(argv[3], O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  std::size_t written = 0;
  while (fd >= 0 && written < photo.size()) {
    const ssize_t n = ::write(fd, photo.data() + written, photo.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ok = ok && fd >= 0 && ::close(fd) == 0 && written == photo.size();
  const long long bytes = static_cast<long long>(photo.size());
  photo = {};
  const double wallMs = bench::MillisecondsSince(start);
  Print("wall_ms", wallMs);
  Print("bytes", bytes);
  curl_global_cleanup();
  return ok ? 0 : 1;
}

int List(char** argv) {
  const int port = std::atoi(argv[0]);
  const std::string entry = argv[1];
  const catalogue::Configuration config = catalogue::DemoConfiguration(port);
  MemoryWindow m;
  m.ui.编辑框_号码.SetText(entry);
  m.ui.选择框_有封面.SetTicked(0);
  m.ui.选择框_自己的.SetTicked(0);

  const bench::Clock::time_point start = bench::Clock::now();
  catalogue::FetchAlbumList(m.window, config);
  const double wallMs = bench::MillisecondsSince(start);
  Print("wall_ms", wallMs);
  Print("rows", static_cast<long long>(m.ui.超级列表框1.RowCount()));
  Print("peak_rss_kb", static_cast<long long>(bench::PeakRssKb()));
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "download" && argc == 9) return Download(argv + 2);
  if (command == "list" && argc == 4) return List(argv + 2);
  if (command == "bare" && argc == 6) return Bare(argv + 2);
  std::fprintf(stderr,
               "usage: %s download PORT COOKIE ACCOUNT PHOTO_LIST_ADDRESS COUNT NAME SAVE_ROOT\n"
               "       %s list PORT ENTRY\n"
               "       %s bare COOKIE LIST_URL PHOTO_URL FILE\n",
               argv[0], argv[0], argv[0]);
  return 2;
}
