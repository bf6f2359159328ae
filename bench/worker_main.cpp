// The program's side of the service benchmarks, in a process of its own so
// that its wall time and peak memory are its own: the download worker or the
// album-list worker over the in-memory window, with the real request layer
// and real paced waits. Reports "key value" lines on standard output.
//
//   orlio-bench-worker download PORT COOKIE ACCOUNT PHOTO_LIST_ADDRESS COUNT NAME SAVE_ROOT
//   orlio-bench-worker list PORT ENTRY

#include "app/model/memory_backend.h"
#include "app/model/window.h"
#include "bench/support.h"
#include "catalogue/album_list.h"
#include "catalogue/album_rows.h"
#include "catalogue/configuration.h"
#include "download/download_jobs.h"
#include "platform/codepage.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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
  std::fprintf(stderr,
               "usage: %s download PORT COOKIE ACCOUNT PHOTO_LIST_ADDRESS COUNT NAME SAVE_ROOT\n"
               "       %s list PORT ENTRY\n",
               argv[0], argv[0]);
  return 2;
}
