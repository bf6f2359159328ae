// How the two text scans of the program grow with their input: the photo
// addresses cut out of a photo list (GetAllMiddleTexts, as DownloadAlbum
// calls it) and the album records read out of an album-list script
// (MatchAlbumRecords + ReadAlbumRecord, as FetchAlbumList reads them).
// Google Benchmark times them, the sizes interleaved at random across the
// repetitions; the medians go to standard output as "key value" lines:
//
//   middle_ns_per_value_<values> and records_ns_per_record_<records>
//
//   orlio-bench-text [--smoke] [--reps N]

#include "catalogue/records.h"
#include "platform/codepage.h"
#include "tools/album-service/pages.h"
#include "web/encoding.h"
#include "web/regex_object.h"
#include "web/text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using platform::Text;

// A photo list of n entries as the service writes it (UTF-8, with Chinese
// descriptions), turned into GBK as the download does.
const Text& PhotoList(int n) {
  static std::map<int, Text> made;
  auto found = made.find(n);
  if (found != made.end()) return found->second;
  album_service::Album album;
  album.id = 5001;
  for (int i = 1; i <= n; ++i) {
    album_service::Photo photo;
    photo.path = "/photo/bench/5001/" + std::to_string(i) + ".jpg";
    photo.width = 1024;
    photo.height = 768;
    photo.description = "第" + std::to_string(i) + "张 西湖";
    album.photos.push_back(std::move(photo));
  }
  const std::string utf8 = album_service::pages::PhotoListScript(album);
  const platform::ByteBuffer bytes(utf8.begin(), utf8.end());
  return made.emplace(n, web::Utf8ToText(bytes)).first->second;
}

// An album-list script of n records, GBK, as the service sends it.
const Text& AlbumScript(int n) {
  static std::map<int, Text> made;
  auto found = made.find(n);
  if (found != made.end()) return found->second;
  album_service::Account account{"bench", "bench", false, {}};
  std::vector<std::string> purls;
  for (int i = 0; i < n; ++i) {
    album_service::Album album;
    album.id = 100000 + i;
    album.name = "相册" + std::to_string(i + 1);
    album.count = std::to_string(i % 300);
    album.t = "2015-01-01";
    album.coverPath = "cover/" + std::to_string(album.id) + ".jpg";
    purls.push_back("photo.localhost:18163/list/bench/" + std::to_string(album.id) + ".js");
    account.albums.push_back(std::move(album));
  }
  return made.emplace(n, platform::Utf8ToGbk(album_service::pages::AlbumListScript(account, purls)))
      .first->second;
}

void GetAllMiddleTextsOverPhotoList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Text& list = PhotoList(n);
  web::TextList photos;
  int found = 0;
  for (auto _ : state) {
    found = web::GetAllMiddleTexts(list, "ourl:'", "',", photos);
    benchmark::DoNotOptimize(found);
  }
  if (found != n) state.SkipWithError("the scan did not find every address");
  state.SetComplexityN(n);
}

void AlbumRecordsOverScript(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Text& script = AlbumScript(n);
  int found = 0;
  for (auto _ : state) {
    web::RegexObject regex;
    found = catalogue::MatchAlbumRecords(regex, script);
    for (int i = 1; i <= found; ++i) {
      catalogue::AlbumRecord record = catalogue::ReadAlbumRecord(regex, i);
      benchmark::DoNotOptimize(record);
    }
  }
  if (found != n) state.SkipWithError("the pattern did not match every record");
  state.SetComplexityN(n);
}

BENCHMARK(GetAllMiddleTextsOverPhotoList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlbumRecordsOverScript)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Shows the usual table on standard error and keeps each size's median (or
// its only run) for the report.
class MedianReporter : public benchmark::ConsoleReporter {
public:
  MedianReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (!(median || single) || run.error_occurred) continue;
      const double ns = run.GetAdjustedRealTime() * 1000.0;  // the unit is microseconds
      const std::string& family = run.run_name.function_name;
      const std::string size = run.run_name.args;
      const std::string key = family == "GetAllMiddleTextsOverPhotoList" ? "middle_ns_per_value_"
                                                                         : "records_ns_per_record_";
      m_lines.push_back(key + size + " " + std::to_string(ns / std::stod(size)));
    }
  }

  void PrintLines() const {
    for (const std::string& line : m_lines) std::printf("%s\n", line.c_str());
  }

private:
  std::vector<std::string> m_lines;
};

} // namespace

int main(int argc, char** argv) {
  bool smoke = false;
  int reps = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") smoke = true;
    if (arg == "--reps" && i + 1 < argc) reps = std::max(1, std::atoi(argv[++i]));
  }
  if (smoke) reps = 1;
  std::vector<std::string> flags = {
      argv[0],
      "--benchmark_repetitions=" + std::to_string(reps),
      "--benchmark_min_time=" + std::string(smoke ? "0.001" : "0.5"),
      "--benchmark_enable_random_interleaving=" + std::string(reps > 1 ? "true" : "false"),
  };
  std::vector<char*> args;
  for (std::string& flag : flags) args.push_back(flag.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());

  MedianReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintLines();
  return 0;
}
