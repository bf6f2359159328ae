#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

// What the benchmark programs share: running a child process and reading
// what it reports, medians, and a few facts about the machine and the
// process. Nothing here asserts a timing.
namespace bench {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start);

double Median(std::vector<double> values);

// A child's report: one "key value" pair per line of its standard output.
using Report = std::map<std::string, std::string>;
Report ParseReport(const std::string& text);
double ReportNumber(const Report& report, const std::string& key, double fallback = -1);

struct ProcessResult {
  int exitCode = -1;      // -1 when it could not start or did not exit normally
  double wallMs = 0;      // from spawn to reaped
  std::string output;     // its standard output
};

// Runs argv[0] (looked up on PATH) with extra "NAME=value" entries added to
// the environment, standard output captured, standard error passed through
// unless quiet.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
                         bool quiet = false);

// The calling process's resident set and its peak so far (from /proc). A
// child reports its own: posix_spawn starts it in the parent's address space,
// so wait4's ru_maxrss counts the parent's pages as the child's.
long CurrentRssKb();
long PeakRssKb();

// The directory of the running executable.
std::string ExecutableDirectory();
bool HaveProgram(const std::string& name);

// A fresh directory under base (the system's temporary directory when
// empty); removed by the caller.
std::string MakeTempDirectory(const std::string& prefix, const std::string& base = {});
// Where the photo files of the runs go: a memory file system when there is
// one, so that the shared machine's disk (and its write-back throttling) is
// not what the figures measure; otherwise the temporary directory.
std::string ScratchBase();
void RemoveTree(const std::string& path);
// Number of regular files directly in the folder and their total size.
struct FolderContents {
  int files = 0;
  long long bytes = 0;
};
FolderContents CountFiles(const std::string& folder);

struct Machine {
  std::string cpu;
  int cores = 0;
  double memoryGiB = 0;
  std::string kernel;
  std::string loadAverage;
};
Machine DescribeMachine();
std::string NowText();  // local date and time, "2015-11-30 12:00 +0800"

std::string Format(double value, int decimals);

} // namespace bench
