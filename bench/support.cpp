#include "bench/support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace bench {
namespace fs = std::filesystem;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Report ParseReport(const std::string& text) {
  Report report;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos || space == 0) continue;
    report[line.substr(0, space)] = line.substr(space + 1);
  }
  return report;
}

double ReportNumber(const Report& report, const std::string& key, double fallback) {
  const auto found = report.find(key);
  if (found == report.end()) return fallback;
  char* end = nullptr;
  const double value = std::strtod(found->second.c_str(), &end);
  return end == found->second.c_str() ? fallback : value;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv, bool quiet) {
  ProcessResult result;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return result;

  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    const bool replaced = std::any_of(extraEnv.begin(), extraEnv.end(),
                                      [&](const std::string& extra) { return extra.substr(0, extra.find('=')) == name; });
    if (!replaced) environment.push_back(text);
  }
  environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& arg : args) argp.push_back(arg.data());
  argp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  if (quiet) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    return result;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.output.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.wallMs = MillisecondsSince(start);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

namespace {

long StatusField(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(name);
  while (std::getline(status, line)) {
    if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':')
      return std::strtol(line.c_str() + length + 1, nullptr, 10);
  }
  return -1;
}

std::string Trimmed(std::string text) {
  const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
  text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
  text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
  return text;
}

} // namespace

long CurrentRssKb() { return StatusField("VmRSS"); }
long PeakRssKb() { return StatusField("VmHWM"); }

std::string ExecutableDirectory() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && ::access((fs::path(dir) / name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

std::string MakeTempDirectory(const std::string& prefix, const std::string& base) {
  const fs::path under = base.empty() ? fs::temp_directory_path() : fs::path(base);
  std::string pattern = (under / (prefix + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

std::string ScratchBase() {
  std::error_code error;
  if (fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return fs::temp_directory_path().string();
}

void RemoveTree(const std::string& path) {
  std::error_code ignored;
  if (!path.empty()) fs::remove_all(path, ignored);
}

FolderContents CountFiles(const std::string& folder) {
  FolderContents contents;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (!entry.is_regular_file()) continue;
    ++contents.files;
    contents.bytes += static_cast<long long>(entry.file_size());
  }
  return contents;
}

Machine DescribeMachine() {
  Machine machine;
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) {
      machine.cpu = Trimmed(line.substr(line.find(':') + 1));
      break;
    }
  }
  machine.cores = static_cast<int>(std::thread::hardware_concurrency());
  std::ifstream meminfo("/proc/meminfo");
  while (std::getline(meminfo, line)) {
    if (line.rfind("MemTotal:", 0) == 0) {
      machine.memoryGiB = std::strtod(line.c_str() + 9, nullptr) / (1024.0 * 1024.0);
      break;
    }
  }
  struct utsname name {};
  if (::uname(&name) == 0) machine.kernel = std::string(name.sysname) + " " + name.release + " " + name.machine;
  std::ifstream load("/proc/loadavg");
  std::string one, five, fifteen;
  load >> one >> five >> fifteen;
  machine.loadAverage = one + " " + five + " " + fifteen;
  return machine;
}

std::string NowText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M %z", &local);
  return text;
}

std::string Format(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

} // namespace bench
