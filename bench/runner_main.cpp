// Runs every benchmark side by side with its limits and its peers, against
// the stand-in album service on loopback, and writes the report. The compared
// runs are interleaved and repeated, and the report gives medians: the
// machines are shared and noisy, so every figure is a ratio or a growth
// measured within this one run. Nothing here asserts a timing.
//
//   orlio-bench [--smoke] [--reps N] [--long-reps N] [--only PARTS] [--out FILE] [--notes FILE]
//               [--gui-platform xvfb|offscreen]
//   orlio-bench --serve    only serves the run's data and names it, for a profiler run of
//                          orlio-bench-worker by hand
//
// PARTS is a comma-separated list of download, photo, list, text, gui. The
// exit status is 1 when a part did not run or did not give the right files.

#include "bench/bench_data.h"
#include "bench/support.h"
#include "tools/album-service/album_service.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using bench::Format;
using bench::Median;

struct Options {
  bool smoke = false;
  int reps = 5;
  int longReps = 3;
  std::set<std::string> parts = {"download", "photo", "list", "text", "gui"};
  std::string out;
  std::string notes;
  std::string guiPlatform;  // "xvfb" or "offscreen"; empty: xvfb-run when there is no display and it is installed
  bool serve = false;       // only serve the data, for profiling the workers by hand
};

// One run of the whole suite: the service, the paths and the report so far.
struct Run {
  Options options;
  album_service::AlbumService* service = nullptr;
  std::string cookie;  // the page-readable sign-in cookie, as the browser hands it over
  std::string binDir;
  std::string work;  // scratch folder of this run
  std::string scratchBase;
  std::ostringstream summary;
  std::ostringstream details;
  std::vector<std::string> problems;
};

void Log(const std::string& text) { std::cerr << "[bench] " << text << std::endl; }

std::string Percent(double ratio) {
  const double beyond = (ratio - 1.0) * 100.0;
  return (beyond >= 0 ? "+" : "") + Format(beyond, 1) + " %";
}

std::string Mb(double bytes) { return Format(bytes / 1e6, 1) + " MB"; }
std::string Seconds(double ms) { return Format(ms / 1000.0, 2) + " s"; }

// The orders in which the compared runs go, one per repetition: each takes
// every place in turn, so none is always first after an idle pause.
std::vector<int> OrderFor(int rep, int count) {
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = (i + rep) % count;
  return order;
}

const album_service::Album& AlbumOf(const Run& run, std::int64_t id) { return *run.service->Data().FindAlbum(id); }

std::string PhotoListAddress(const Run& run, std::int64_t id) {
  return run.service->PhotoListAddress(bench::BenchAccount, id);
}

long long AlbumBytes(const album_service::Album& album) {
  long long total = 0;
  for (const auto& photo : album.photos) total += static_cast<long long>(photo.bytes.size());
  return total;
}

// The program's download of one album, in a child process.
struct ProgramDownload {
  double wallMs = -1;  // DownloadSelected alone
  double processMs = -1;
  long peakRssKb = -1;
  long baselineRssKb = -1;
  int files = 0;
  long long bytes = 0;
};

ProgramDownload RunProgramDownload(Run& run, std::int64_t albumId, const std::string& name) {
  const album_service::Album& album = AlbumOf(run, albumId);
  const std::string root = run.work + "/program";
  bench::RemoveTree(root);
  fs::create_directories(root);
  const bench::ProcessResult result = bench::RunProcess(
      {run.binDir + "/orlio-bench-worker", "download", std::to_string(run.service->Port()), run.cookie,
       bench::BenchAccount, PhotoListAddress(run, albumId), album.count, name, root});
  bench::RemoveTree(root);
  ProgramDownload download;
  if (result.exitCode != 0) {
    run.problems.push_back("the program's download of album " + std::to_string(albumId) + " did not finish");
    return download;
  }
  const bench::Report report = bench::ParseReport(result.output);
  download.wallMs = bench::ReportNumber(report, "wall_ms");
  download.processMs = result.wallMs;
  download.peakRssKb = static_cast<long>(bench::ReportNumber(report, "peak_rss_kb"));
  download.baselineRssKb = static_cast<long>(bench::ReportNumber(report, "baseline_rss_kb"));
  download.files = static_cast<int>(bench::ReportNumber(report, "files"));
  download.bytes = static_cast<long long>(bench::ReportNumber(report, "bytes"));
  if (download.files != static_cast<int>(album.photos.size()) || download.bytes != AlbumBytes(album))
    run.problems.push_back("the program wrote " + std::to_string(download.files) + " files (" +
                           std::to_string(download.bytes) + " bytes) of album " + std::to_string(albumId));
  return download;
}

// curl fetching the photo list and every photo of the album in one process,
// to files, as the program does: the sum of its transfer times.
struct CurlTransfer {
  double transferMs = -1;
  double processMs = -1;
  long long bytes = 0;
  int transfers = 0;
};

CurlTransfer RunCurl(Run& run, std::int64_t albumId, bool discard = false) {
  const album_service::Album& album = AlbumOf(run, albumId);
  const int port = run.service->Port();
  const std::string dir = run.work + "/curl";
  bench::RemoveTree(dir);
  fs::create_directories(dir);
  const std::string config = run.work + "/curl.cfg";
  {
    std::ofstream cfg(config);
    // A connection per transfer, as the program makes them; a reused one
    // meets the delayed ACK behind the stand-in's unflushed small writes.
    cfg << "silent\npath-as-is\nheader = \"Connection: close\"\nheader = \"Cookie: " << run.cookie << "\"\n"
        << "write-out = \"%{time_total} %{size_download} %{http_code}\\n\"\n";
    cfg << "url = \"http://" << PhotoListAddress(run, albumId) << "\"\noutput = \"" << dir << "/list.js\"\n";
    for (std::size_t i = 0; i < album.photos.size(); ++i) {
      cfg << "url = \"http://img1.localhost:" << port << "/" << album.photos[i].path << "\"\n"
          << "output = \"" << (discard ? std::string("/dev/null") : dir + "/" + std::to_string(i + 1) + ".jpg")
          << "\"\n";
    }
  }
  const bench::ProcessResult result = bench::RunProcess({"curl", "-K", config});
  bench::RemoveTree(dir);
  CurlTransfer transfer;
  if (result.exitCode != 0) {
    run.problems.push_back("curl did not finish (exit " + std::to_string(result.exitCode) + ")");
    return transfer;
  }
  std::istringstream lines(result.output);
  double seconds = 0, size = 0, total = 0;
  int code = 0;
  while (lines >> seconds >> size >> code) {
    total += seconds;
    transfer.bytes += static_cast<long long>(size);
    ++transfer.transfers;
    if (code != 200) run.problems.push_back("curl got status " + std::to_string(code));
  }
  transfer.transferMs = total * 1000.0;
  transfer.processMs = result.wallMs;
  return transfer;
}

// wget with --wait=0.1 over the same photo addresses, to files.
double RunWget(Run& run, std::int64_t albumId) {
  const album_service::Album& album = AlbumOf(run, albumId);
  const int port = run.service->Port();
  const std::string dir = run.work + "/wget";
  bench::RemoveTree(dir);
  fs::create_directories(dir);
  const std::string input = run.work + "/wget.txt";
  {
    std::ofstream list(input);
    for (const auto& photo : album.photos) list << "http://127.0.0.1:" << port << "/" << photo.path << "\n";
  }
  const bench::ProcessResult result = bench::RunProcess(
      {"wget", "--no-config", "-q", "--wait=0.1", "--header", "Host: img1.localhost:" + std::to_string(port),
       "--header", "Cookie: " + run.cookie, "-nd", "-P", dir, "-i", input});
  const bench::FolderContents got = bench::CountFiles(dir);
  bench::RemoveTree(dir);
  if (result.exitCode != 0 || got.files != static_cast<int>(album.photos.size()) || got.bytes != AlbumBytes(album)) {
    run.problems.push_back("wget fetched " + std::to_string(got.files) + " files (exit " +
                           std::to_string(result.exitCode) + ")");
    return -1;
  }
  return result.wallMs;
}

// The floor of the program's way of working with none of its code: libcurl
// alone fetches the list, then the photo into memory, then one write.
double RunBare(Run& run, std::int64_t albumId) {
  const album_service::Album& album = AlbumOf(run, albumId);
  const std::string file = run.work + "/bare.jpg";
  fs::remove(file);
  const bench::ProcessResult result = bench::RunProcess(
      {run.binDir + "/orlio-bench-worker", "bare", run.cookie, "http://" + PhotoListAddress(run, albumId),
       "http://img1.localhost:" + std::to_string(run.service->Port()) + "/" + album.photos.front().path, file});
  fs::remove(file);
  const bench::Report report = bench::ParseReport(result.output);
  if (result.exitCode != 0 || bench::ReportNumber(report, "bytes") != static_cast<double>(album.photos.front().bytes.size())) {
    run.problems.push_back("the bare libcurl fetch of album " + std::to_string(albumId) + " failed");
    return -1;
  }
  return bench::ReportNumber(report, "wall_ms");
}

void DownloadPart(Run& run) {
  const album_service::Album& album = AlbumOf(run, bench::ManyPhotosAlbum);
  const int photos = static_cast<int>(album.photos.size());
  const long long bytes = AlbumBytes(album);
  Log("album download: " + std::to_string(photos) + " photos, " + Mb(static_cast<double>(bytes)));
  std::vector<double> program, floor, wget, curl, toFloor, toWget;
  for (int rep = 0; rep < run.options.reps; ++rep) {
    ProgramDownload p;
    CurlTransfer c;
    double w = -1;
    for (const int which : OrderFor(rep, 3)) {
      if (which == 0) p = RunProgramDownload(run, bench::ManyPhotosAlbum, "many");
      if (which == 1) w = RunWget(run, bench::ManyPhotosAlbum);
      if (which == 2) c = RunCurl(run, bench::ManyPhotosAlbum);
    }
    if (p.wallMs < 0 || w < 0 || c.transferMs < 0) continue;
    const double f = photos * 100.0 + c.transferMs;
    program.push_back(p.wallMs);
    floor.push_back(f);
    wget.push_back(w);
    curl.push_back(c.transferMs);
    toFloor.push_back(p.wallMs / f);
    toWget.push_back(p.wallMs / w);
    Log("  rep " + std::to_string(rep + 1) + ": program " + Seconds(p.wallMs) + ", floor " + Seconds(f) + ", wget " +
        Seconds(w));
  }
  if (program.empty()) return;
  run.summary << "| Album download, " << photos << " photos of ~" << Format(bytes / 1e3 / photos, 0)
              << " KB | " << Seconds(Median(program)) << " | floor " << Seconds(Median(floor)) << " | "
              << Format(Median(toFloor), 3) << " (" << Percent(Median(toFloor)) << ") |\n";
  run.summary << "| Album download, same album | " << Seconds(Median(program)) << " | wget --wait=0.1 "
              << Seconds(Median(wget)) << " | " << Format(Median(toWget), 3) << " (" << Percent(Median(toWget))
              << ") |\n";
  run.details << "### 1. Album download, " << photos << " photos (" << Mb(static_cast<double>(bytes))
              << "), interleaved repetitions: " << program.size() << "\n\n"
              << "| | median |\n|---|---|\n"
              << "| program: DownloadSelected, in-memory window, real request layer and waits | "
              << Seconds(Median(program)) << " |\n"
              << "| curl: transfer time of the photo list and the " << photos << " photos (sum of time_total) | "
              << Format(Median(curl), 1) << " ms |\n"
              << "| floor: " << photos << " × 100 ms + curl's transfer time | " << Seconds(Median(floor)) << " |\n"
              << "| wget --wait=0.1, the same " << photos << " addresses | " << Seconds(Median(wget)) << " |\n"
              << "| program ÷ floor (median of the paired ratios) | " << Format(Median(toFloor), 3) << " |\n"
              << "| program ÷ wget (median of the paired ratios) | " << Format(Median(toWget), 3) << " |\n"
              << "| program beyond the floor, per photo | "
              << Format((Median(program) - Median(floor)) / photos, 2) << " ms |\n\n";
}

void PhotoPart(Run& run) {
  const album_service::Album& album = AlbumOf(run, bench::LargePhotoAlbum);
  const double size = static_cast<double>(AlbumBytes(album));
  Log("one large photo: " + Mb(size));
  std::vector<double> programRate, curlRate, rateRatio, toDesign, designMs, peakRatio, growthRatio, peakKb,
      baselineKb;
  // A repetition takes about a second here, so more of them calm the medians.
  const int reps = run.options.smoke ? 1 : 3 * run.options.reps;
  for (int rep = 0; rep < reps; ++rep) {
    ProgramDownload p;
    CurlTransfer c;
    double bare = -1;
    for (const int which : OrderFor(rep, 3)) {
      if (which == 0) p = RunProgramDownload(run, bench::LargePhotoAlbum, "large");
      if (which == 1) c = RunCurl(run, bench::LargePhotoAlbum);
      if (which == 2) bare = RunBare(run, bench::LargePhotoAlbum);
    }
    if (p.wallMs < 0 || c.transferMs <= 0 || bare <= 0) continue;
    // The 100 ms pause after the photo is the specified pacing, not transfer.
    const double programMs = std::max(1.0, p.wallMs - 100.0);
    const double pr = size / 1e6 / (programMs / 1000.0);
    const double cr = size / 1e6 / (c.transferMs / 1000.0);
    const double design = std::max(1.0, bare - 100.0);
    programRate.push_back(pr);
    curlRate.push_back(cr);
    rateRatio.push_back(pr / cr);
    designMs.push_back(design);
    toDesign.push_back(programMs / design);
    peakKb.push_back(static_cast<double>(p.peakRssKb));
    baselineKb.push_back(static_cast<double>(p.baselineRssKb));
    peakRatio.push_back(p.peakRssKb * 1024.0 / size);
    growthRatio.push_back((p.peakRssKb - p.baselineRssKb) * 1024.0 / size);
    Log("  rep " + std::to_string(rep + 1) + ": program " + Format(programMs, 0) + " ms (" + Format(pr, 0) +
        " MB/s), curl " + Format(c.transferMs, 0) + " ms (" + Format(cr, 0) + " MB/s), bare libcurl " +
        Format(design, 0) + " ms, peak " + std::to_string(p.peakRssKb / 1024) + " MiB");
  }
  if (programRate.empty()) return;
  run.summary << "| One photo of " << Mb(size) << ": throughput | " << Format(Median(programRate), 0)
              << " MB/s | curl " << Format(Median(curlRate), 0) << " MB/s | " << Format(Median(rateRatio), 3)
              << " |\n";
  run.summary << "| One photo of " << Mb(size) << ": time against holding it whole, then one write | "
              << Format(Median(programRate) > 0 ? size / 1e3 / Median(programRate) : 0, 0) << " ms | floor "
              << Format(Median(designMs), 0) << " ms | " << Format(Median(toDesign), 3) << " ("
              << Percent(Median(toDesign)) << ") |\n";
  run.summary << "| One photo of " << Mb(size) << ": peak resident memory | "
              << Format(Median(peakKb) / 1024.0, 1) << " MiB | photo " << Mb(size) << " | "
              << Format(Median(peakRatio), 2) << " (growth over the start " << Format(Median(growthRatio), 2)
              << ") |\n";
  run.details << "### 2. One photo of " << Mb(size) << ", interleaved repetitions: " << programRate.size()
              << "\n\n| | median |\n|---|---|\n"
              << "| program: DownloadSelected wall time less the 100 ms pause → throughput | "
              << Format(Median(programRate), 0) << " MB/s |\n"
              << "| curl: photo list + photo to a file (sum of time_total) → throughput | "
              << Format(Median(curlRate), 0) << " MB/s |\n"
              << "| program ÷ curl throughput | " << Format(Median(rateRatio), 3) << " |\n"
              << "| floor of holding the photo whole, then writing it once: libcurl alone, the list, the photo into "
                 "memory, the pause, one write; less the 100 ms pause | "
              << Format(Median(designMs), 0) << " ms |\n"
              << "| program ÷ that floor (time) | " << Format(Median(toDesign), 3) << " |\n"
              << "| program's resident memory before the download | " << Format(Median(baselineKb) / 1024.0, 1)
              << " MiB |\n"
              << "| program's peak resident memory (its own VmHWM) | " << Format(Median(peakKb) / 1024.0, 1)
              << " MiB |\n"
              << "| peak ÷ photo size | " << Format(Median(peakRatio), 2) << " |\n"
              << "| (peak − start) ÷ photo size | " << Format(Median(growthRatio), 2) << " |\n\n";
}

void ListPart(Run& run) {
  struct Series {
    int records;
    std::vector<double> wall, ratio;
  };
  std::vector<Series> series;
  for (const auto& account : run.service->Data().accounts) {
    if (account.name.rfind("list", 0) == 0) series.push_back({static_cast<int>(account.albums.size()), {}, {}});
  }
  const int port = run.service->Port();
  const int rounds = std::max(run.options.reps, run.options.longReps);
  for (int rep = 0; rep < rounds; ++rep) {
    for (const int which : OrderFor(rep, static_cast<int>(series.size()))) {
      Series& s = series[static_cast<std::size_t>(which)];
      const int wanted = s.records >= 1000 ? run.options.longReps : run.options.reps;
      if (static_cast<int>(s.wall.size()) >= wanted) continue;
      const std::string entry =
          "http://photo.localhost:" + std::to_string(port) + "/" + bench::ListingAccount(s.records) + "/";
      const bench::ProcessResult result =
          bench::RunProcess({run.binDir + "/orlio-bench-worker", "list", std::to_string(port), entry});
      const bench::Report report = bench::ParseReport(result.output);
      const double wall = bench::ReportNumber(report, "wall_ms");
      const int rows = static_cast<int>(bench::ReportNumber(report, "rows"));
      if (result.exitCode != 0 || rows != s.records) {
        run.problems.push_back("the listing of " + std::to_string(s.records) + " records gave " +
                               std::to_string(rows) + " rows");
        continue;
      }
      const double floor = 1000.0 + 100.0 * s.records;
      s.wall.push_back(wall);
      s.ratio.push_back(wall / floor);
      Log("  listing " + std::to_string(s.records) + ": " + Seconds(wall) + " (floor " + Seconds(floor) + ")");
    }
  }
  run.details << "### 3. Album listing without covers\n\n"
              << "| records | repetitions | median wall | floor (1000 ms + 100 ms × records) | ratio | beyond the "
                 "floor, per record |\n|---|---|---|---|---|---|\n";
  for (const Series& s : series) {
    if (s.wall.empty()) continue;
    const double floor = 1000.0 + 100.0 * s.records;
    const double perRecord = (Median(s.wall) - floor) / s.records;
    run.summary << "| Listing " << s.records << " records, no covers | " << Seconds(Median(s.wall)) << " | floor "
                << Seconds(floor) << " | " << Format(Median(s.ratio), 3) << " (" << Percent(Median(s.ratio))
                << ") |\n";
    run.details << "| " << s.records << " | " << s.wall.size() << " | " << Seconds(Median(s.wall)) << " | "
                << Seconds(floor) << " | " << Format(Median(s.ratio), 3) << " | " << Format(perRecord, 2)
                << " ms |\n";
  }
  run.details << "\n";
}

void TextPart(Run& run) {
  Log("text scans (Google Benchmark)");
  std::vector<std::string> args = {run.binDir + "/orlio-bench-text", "--reps", std::to_string(run.options.reps)};
  if (run.options.smoke) args.push_back("--smoke");
  const bench::ProcessResult result = bench::RunProcess(args);
  if (result.exitCode != 0) {
    run.problems.push_back("the text benchmarks did not finish");
    return;
  }
  const bench::Report report = bench::ParseReport(result.output);
  struct Scan {
    std::string title, key, unit;
    std::vector<int> sizes;
  };
  const std::vector<Scan> scans = {
      {"GetAllMiddleTexts over a photo list", "middle_ns_per_value_", "value", {1000, 10000, 100000}},
      {"MatchAlbumRecords + ReadAlbumRecord over an album-list script", "records_ns_per_record_", "record",
       {100, 1000, 10000}},
  };
  run.details << "### 4. Text scans: time per value and its growth (medians, repetitions: " << run.options.reps
              << ", the sizes interleaved at random)\n\n"
              << "| scan | size | per value | growth over the size 10× smaller |\n|---|---|---|---|\n";
  for (const Scan& scan : scans) {
    double previous = -1;
    double worst = 0;
    for (const int size : scan.sizes) {
      const double ns = bench::ReportNumber(report, scan.key + std::to_string(size));
      if (ns < 0) continue;
      const std::string growth = previous > 0 ? Format(ns / previous, 2) : "—";
      if (previous > 0) worst = std::max(worst, ns / previous);
      run.details << "| " << scan.title << " | " << size << " | " << Format(ns, 1) << " ns | " << growth << " |\n";
      previous = ns;
    }
    const double first = bench::ReportNumber(report, scan.key + std::to_string(scan.sizes.front()));
    const double last = bench::ReportNumber(report, scan.key + std::to_string(scan.sizes.back()));
    if (first > 0 && last > 0)
      run.summary << "| " << scan.title << ", " << scan.sizes.front() << " → " << scan.sizes.back() << " | "
                  << Format(last, 1) << " ns per " << scan.unit << " | " << Format(first, 1) << " ns at "
                  << scan.sizes.front() << " | growth " << Format(last / first, 2) << " (largest step "
                  << Format(worst, 2) << "; 1.00 is linear) |\n";
  }
  run.details << "\n";
}

// One window on one display platform: "xvfb" (an X server of its own, so
// every repaint is a round trip to another process), "offscreen" (Qt paints
// into memory), or "display" (the session's own).
void GuiOn(Run& run, const std::string& platform) {
  const album_service::Album& album = AlbumOf(run, bench::GuiAlbum);
  const std::string root = run.work + "/gui";
  fs::create_directories(root);
  const int rounds = run.options.smoke ? 1 : run.options.reps;
  const std::string idleMs = run.options.smoke ? "300" : "3000";
  const std::string wgetInput = run.work + "/gui-wget.txt";
  {
    std::ofstream list(wgetInput);
    for (const auto& photo : album.photos)
      list << "http://127.0.0.1:" << run.service->Port() << "/" << photo.path << "\n";
  }
  std::vector<std::string> args = {run.binDir + "/orlio-bench-gui",
                                   std::to_string(run.service->Port()),
                                   run.cookie,
                                   bench::BenchAccount,
                                   PhotoListAddress(run, bench::GuiAlbum),
                                   album.count,
                                   "gui",
                                   root,
                                   std::to_string(rounds),
                                   idleMs,
                                   wgetInput};
  std::vector<std::string> env = {"QTWEBENGINE_DISABLE_SANDBOX=1",
                                  "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking "
                                  "--disable-component-update --no-first-run"};
  if (platform == "xvfb") {
    args.insert(args.begin(), {"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"});
  } else if (platform == "offscreen") {
    env.push_back("QT_QPA_PLATFORM=offscreen");
  }
  Log("GUI thread during a download of " + album.count + " photos of ~" +
      Mb(static_cast<double>(AlbumBytes(album)) / static_cast<double>(album.photos.size())) + " (" + platform + ")");
  const bench::ProcessResult result = bench::RunProcess(args, env);
  bench::RemoveTree(root);
  const bench::Report report = bench::ParseReport(result.output);
  std::vector<double> idle, peer, peerP99, peerWall, busy, busyP99, wall, worstAt, toPeer, settled;
  std::ostringstream perRound;
  for (int k = 1; k <= rounds; ++k) {
    const std::string n = std::to_string(k);
    const double i = bench::ReportNumber(report, "idle_max_late_ms_" + n);
    const double b = bench::ReportNumber(report, "download_max_late_ms_" + n);
    const double w = bench::ReportNumber(report, "peer_max_late_ms_" + n);
    if (i < 0 || b < 0 || w < 0) continue;
    idle.push_back(i);
    busy.push_back(b);
    peer.push_back(w);
    peerP99.push_back(bench::ReportNumber(report, "peer_p99_late_ms_" + n));
    peerWall.push_back(bench::ReportNumber(report, "peer_wall_ms_" + n));
    toPeer.push_back(b / std::max(w, 0.1));
    busyP99.push_back(bench::ReportNumber(report, "download_p99_late_ms_" + n));
    worstAt.push_back(bench::ReportNumber(report, "download_max_at_ms_" + n));
    settled.push_back(bench::ReportNumber(report, "download_settled_max_ms_" + n));
    wall.push_back(bench::ReportNumber(report, "download_wall_ms_" + n));
    perRound << "| " << k << " | " << Format(i, 1) << " ms | " << Format(w, 1) << " ms ("
             << Format(bench::ReportNumber(report, "peer_max_running_ms_" + n), 1) << " / "
             << Format(bench::ReportNumber(report, "peer_max_queued_ms_" + n), 1) << ") | " << Format(b, 1)
             << " ms (" << Format(bench::ReportNumber(report, "download_max_running_ms_" + n), 1) << " / "
             << Format(bench::ReportNumber(report, "download_max_queued_ms_" + n), 1) << ") at "
             << Format(bench::ReportNumber(report, "download_max_at_ms_" + n), 0) << " ms | "
             << Format(bench::ReportNumber(report, "download_settled_max_ms_" + n), 1) << " ms |\n";
    const double files = bench::ReportNumber(report, "download_files_" + n);
    if (files != static_cast<double>(album.photos.size()))
      run.problems.push_back("the GUI download wrote " + Format(files, 0) + " files");
  }
  if (result.exitCode != 0 || busy.empty()) {
    run.problems.push_back("the GUI benchmark did not finish (exit " + std::to_string(result.exitCode) + ")");
    return;
  }
  const double worst = *std::max_element(busy.begin(), busy.end());
  const double floor = album.photos.size() * 100.0;
  const std::string each = Mb(static_cast<double>(AlbumBytes(album)) / static_cast<double>(album.photos.size()));
  run.summary << "| GUI thread's longest stall during a download (" << album.count << " × " << each << ", "
              << platform << ") | "
              << Format(Median(busy), 1) << " ms (worst " << Format(worst, 1) << "; from 100 ms after the click "
              << Format(Median(settled), 1) << ") | wget fetching the same: "
              << Format(Median(peer), 1) << " ms; idle: " << Format(Median(idle), 1) << " ms | "
              << "program ÷ wget " << Format(Median(toPeer), 2) << "; the line is 50 ms |\n";
  run.details << "### 5. GUI thread during a download (app::MainWindow, " << platform << ", rounds: " << busy.size()
              << ")\n\n"
              << "A 5 ms precise timer on the GUI thread records how late each tick fires. Each round measures "
              << idleMs << " ms of the idle window; the window while wget --wait=0.1 fetches the same " << album.count
              << " photos of ~" << each << " (the load the transfer itself puts on the machine); and the whole "
                 "download started with the download button. The two loads take turns at going first.\n\n"
              << "| | median over rounds |\n|---|---|\n"
              << "| longest stall, idle window | " << Format(Median(idle), 1) << " ms |\n"
              << "| longest stall, wget fetching the same photos | " << Format(Median(peer), 1) << " ms |\n"
              << "| longest stall, the program's download | " << Format(Median(busy), 1)
              << " ms (worst of all rounds " << Format(worst, 1) << " ms) |\n"
              << "| program ÷ wget, longest stall (median of the paired ratios) | " << Format(Median(toPeer), 2)
              << " |\n"
              << "| 99th percentile lateness: wget / the program | " << Format(Median(peerP99), 1) << " ms / "
              << Format(Median(busyP99), 1) << " ms |\n"
              << "| when the program's longest stall began, after the button's click | "
              << Format(Median(worstAt), 0) << " ms |\n"
              << "| longest stall from 100 ms after the click on (the click's own handling and first repaint left "
                 "out) | "
              << Format(Median(settled), 1) << " ms (worst " << Format(*std::max_element(settled.begin(), settled.end()), 1)
              << " ms) |\n"
              << "| download wall time in the window | " << Seconds(Median(wall)) << " (" << album.count
              << " × 100 ms = " << Seconds(floor) << "; wget " << Seconds(Median(peerWall)) << ") |\n\n"
              << "Each round's longest stall, and how the GUI thread spent that tick's interval, from its "
                 "scheduler account: running on a CPU / waiting in the run queue for one (the rest it was "
                 "blocked).\n\n"
              << "| round | idle | wget fetching (running / queued) | the program's download (running / queued) at "
                 "ms after the click | the download from 100 ms after the click |\n|---|---|---|---|---|\n"
              << perRound.str() << "\n";
}

void GuiPart(Run& run) {
  std::vector<std::string> platforms;
  if (!run.options.guiPlatform.empty()) {
    platforms = {run.options.guiPlatform};
  } else {
    const bool display = std::getenv("DISPLAY") && *std::getenv("DISPLAY");
    if (display) platforms.push_back("display");
    else if (bench::HaveProgram("xvfb-run")) platforms.push_back("xvfb");
    platforms.push_back("offscreen");
  }
  for (const std::string& platform : platforms) GuiOn(run, platform);
}

void WriteReport(Run& run, const bench::Machine& before, const bench::Machine& after, const std::string& started) {
  std::ostringstream doc;
  doc << "# Benchmarks\n\n"
      << "Written by `scripts/bench`" << (run.options.smoke ? " (smoke mode: tiny sizes, figures meaningless)" : "")
      << " on " << started << ".\n\n"
      << "Machine: " << before.cpu << ", " << before.cores << " cores, " << Format(before.memoryGiB, 1)
      << " GiB memory, " << before.kernel << ". Load average at the start " << before.loadAverage
      << ", at the end " << after.loadAverage << ". Photo files written under " << run.scratchBase << ".\n\n"
      << "Every figure is measured side by side within this one run: the compared runs are interleaved, "
         "repeated, and the medians reported. Ratios above 1 mean the program takes longer (or, for memory, "
         "holds more) than its reference.\n\n"
      << "## Summary\n\n"
      << "| benchmark | program | reference | ratio |\n|---|---|---|---|\n"
      << run.summary.str() << "\n";
  if (!run.problems.empty()) {
    doc << "Problems seen during the run (the figures they touch are left out):\n\n";
    for (const std::string& problem : run.problems) doc << "- " << problem << "\n";
    doc << "\n";
  }
  doc << "## Details\n\n" << run.details.str();
  if (!run.options.notes.empty()) {
    std::ifstream notes(run.options.notes);
    if (notes) doc << notes.rdbuf();
  }
  if (run.options.out.empty()) {
    std::cout << doc.str();
    return;
  }
  std::ofstream out(run.options.out);
  out << doc.str();
  Log("report written to " + run.options.out);
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--smoke") {
      options.smoke = true;
    } else if (arg == "--reps") {
      options.reps = std::max(1, std::atoi(value().c_str()));
    } else if (arg == "--long-reps") {
      options.longReps = std::max(1, std::atoi(value().c_str()));
    } else if (arg == "--only") {
      options.parts.clear();
      std::istringstream list(value());
      std::string part;
      while (std::getline(list, part, ',')) options.parts.insert(part);
    } else if (arg == "--out") {
      options.out = value();
    } else if (arg == "--notes") {
      options.notes = value();
    } else if (arg == "--serve") {
      options.serve = true;
    } else if (arg == "--gui-platform") {
      options.guiPlatform = value();
    } else {
      std::cerr << "usage: " << argv[0]
                << " [--smoke] [--reps N] [--long-reps N] [--only download,photo,list,text,gui]"
                   " [--out FILE] [--notes FILE] [--gui-platform xvfb|offscreen] [--serve]\n";
      return false;
    }
  }
  if (options.smoke) {
    options.reps = 1;
    options.longReps = 1;
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  Run run;
  if (!ParseOptions(argc, argv, run.options)) return 2;
  const bench::Machine before = bench::DescribeMachine();
  const std::string started = bench::NowText();
  run.binDir = bench::ExecutableDirectory();
  run.scratchBase = bench::ScratchBase();
  run.work = bench::MakeTempDirectory("orlio-bench", run.scratchBase);
  if (run.work.empty()) {
    std::cerr << "orlio-bench: no scratch folder\n";
    return 1;
  }
  for (const char* tool : {"curl", "wget"}) {
    if (!bench::HaveProgram(tool)) {
      std::cerr << "orlio-bench: " << tool << " is not installed (scripts/install-packages)\n";
      return 1;
    }
  }

  bench::DataPlan plan;
  if (run.options.smoke) {
    plan = {3, 20 * 1000, 1000 * 1000, 2, 500 * 1000, {3}};
  }
  Log("generating the photos");
  const bench::Clock::time_point generating = bench::Clock::now();
  album_service::AlbumService service(bench::MakeBenchData(plan));
  Log("  done in " + Seconds(bench::MillisecondsSince(generating)));
  if (service.Start() <= 0) {
    std::cerr << "orlio-bench: the stand-in service could not listen\n";
    return 1;
  }
  run.service = &service;
  run.cookie = service.SignIn(bench::BenchUser).info;
  if (run.options.serve) {
    // The data stays up for a profiler run of the workers by hand.
    std::cout << "port " << service.Port() << "\ncookie " << run.cookie << "\n";
    for (const std::int64_t id : {bench::ManyPhotosAlbum, bench::LargePhotoAlbum, bench::GuiAlbum})
      std::cout << "album " << id << " " << PhotoListAddress(run, id) << " " << AlbumOf(run, id).count << "\n";
    std::cout.flush();
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }

  const std::vector<std::pair<std::string, std::function<void(Run&)>>> parts = {
      {"download", DownloadPart}, {"photo", PhotoPart}, {"list", ListPart}, {"text", TextPart}, {"gui", GuiPart}};
  for (const auto& [name, body] : parts) {
    if (!run.options.parts.count(name)) continue;
    const bench::Clock::time_point start = bench::Clock::now();
    body(run);
    // The request log would only grow; nothing reads it here.
    service.ClearRequests();
    Log(name + " took " + Seconds(bench::MillisecondsSince(start)));
  }
  service.Stop();
  bench::RemoveTree(run.work);
  WriteReport(run, before, bench::DescribeMachine(), started);
  for (const std::string& problem : run.problems) Log("problem: " + problem);
  return run.problems.empty() ? 0 : 1;
}
