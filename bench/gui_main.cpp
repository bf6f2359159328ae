// How long the GUI thread stalls while the download worker runs in the real
// window: app::MainWindow with the program's handlers, started as the
// program starts it, and a precise timer on the GUI thread that records how
// late each of its ticks fires. Each round measures the idle window, the
// window while wget fetches the same photos with the same pause (what the
// machine's own load does to the GUI thread), and one whole download started
// with the download button. Reports "key value" lines on standard output.
//
//   orlio-bench-gui PORT COOKIE ACCOUNT PHOTO_LIST_ADDRESS COUNT NAME SAVE_ROOT ROUNDS IDLE_MS WGET_INPUT

#include "app/album_handlers.h"
#include "app/main_window.h"
#include "app/program.h"
#include "bench/support.h"
#include "catalogue/album_rows.h"
#include "catalogue/configuration.h"
#include "platform/codepage.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int TickMs = 5;
// A download's start is the click's own handling and the repaint of the
// buttons and labels it changes; from here on the worker runs alone.
constexpr double SettledAfterMs = 100;

// The GUI thread's own scheduler account: time run on a CPU and time spent
// waiting in a run queue for one, in nanoseconds (/proc/thread-self/schedstat).
struct SchedulerAccount {
  long long running = 0;
  long long queued = 0;
};

SchedulerAccount ReadAccount(int fd) {
  SchedulerAccount account;
  char text[128] = {};
  const ssize_t n = fd >= 0 ? ::pread(fd, text, sizeof text - 1, 0) : -1;
  if (n > 0) std::sscanf(text, "%lld %lld", &account.running, &account.queued);
  return account;
}

// Lateness of each tick of a 5 ms timer beyond its interval. For the longest
// stall it also keeps how the GUI thread spent it: running (work on the GUI
// thread), queued for a CPU (the machine's load), or neither (blocked).
class LatenessProbe {
public:
  LatenessProbe() : m_schedstat(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(TickMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
      const bench::Clock::time_point now = bench::Clock::now();
      const SchedulerAccount account = ReadAccount(m_schedstat);
      if (m_recording) {
        m_late.push_back(std::chrono::duration<double, std::milli>(now - m_last).count() - TickMs);
        const double since = std::chrono::duration<double, std::milli>(m_last - m_begun).count();
        if (since >= SettledAfterMs) m_settledWorst = std::max(m_settledWorst, m_late.back());
        if (m_late.back() > m_worst) {
          m_worst = m_late.back();
          m_worstAt = std::chrono::duration<double, std::milli>(m_last - m_begun).count();
          m_worstRunning = static_cast<double>(account.running - m_account.running) / 1e6;
          m_worstQueued = static_cast<double>(account.queued - m_account.queued) / 1e6;
        }
      }
      m_last = now;
      m_account = account;
    });
    m_timer.start();
  }
  ~LatenessProbe() {
    if (m_schedstat >= 0) ::close(m_schedstat);
  }
  LatenessProbe(const LatenessProbe&) = delete;
  LatenessProbe& operator=(const LatenessProbe&) = delete;

  void Begin() {
    m_late.clear();
    m_worst = m_worstAt = m_worstRunning = m_worstQueued = m_settledWorst = 0;
    m_begun = m_last = bench::Clock::now();
    m_account = ReadAccount(m_schedstat);
    m_recording = true;
  }

  struct Figures {
    double max = 0;
    double p99 = 0;
    double maxAtMs = 0;       // when the longest stall began, from Begin
    double settledMax = 0;    // the longest stall that began SettledAfterMs or later
    double maxRunningMs = 0;  // of the longest stall's tick interval
    double maxQueuedMs = 0;
    std::size_t ticks = 0;
  };

  Figures End() {
    m_recording = false;
    Figures figures;
    figures.ticks = m_late.size();
    figures.maxAtMs = m_worstAt;
    figures.maxRunningMs = m_worstRunning;
    figures.maxQueuedMs = m_worstQueued;
    figures.settledMax = std::max(0.0, m_settledWorst);
    if (m_late.empty()) return figures;
    std::vector<double> sorted = m_late;
    std::sort(sorted.begin(), sorted.end());
    figures.max = std::max(0.0, sorted.back());
    figures.p99 = std::max(0.0, sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)]);
    return figures;
  }

private:
  int m_schedstat;
  QTimer m_timer;
  bench::Clock::time_point m_last = bench::Clock::now();
  bench::Clock::time_point m_begun = m_last;
  SchedulerAccount m_account;
  bool m_recording = false;
  double m_worst = 0;
  double m_worstAt = 0;
  double m_worstRunning = 0;
  double m_worstQueued = 0;
  double m_settledWorst = 0;
  std::vector<double> m_late;
};

// Runs the GUI thread until done() holds or the limit passes; false then.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
  QEventLoop loop;
  QTimer check;
  check.setInterval(20);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
  check.start();
  loop.exec();
  return done();
}

void RunFor(int ms) {
  RunUntil([] { return false; }, ms);
}

QMessageBox* FinishedBox() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box && box->isVisible()) return box;
  }
  return nullptr;
}

void Print(const std::string& key, double value) { std::printf("%s %.3f\n", key.c_str(), value); }

} // namespace

int main(int argc, char** argv) {
  if (argc != 11) {
    std::fprintf(stderr,
                 "usage: %s PORT COOKIE ACCOUNT PHOTO_LIST_ADDRESS COUNT NAME SAVE_ROOT ROUNDS IDLE_MS WGET_INPUT\n",
                 argv[0]);
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const std::string cookie = argv[2];
  const std::string account = argv[3];
  const std::string listAddress = argv[4];
  const std::string count = argv[5];
  const std::string name = argv[6];
  const std::string saveRoot = argv[7];
  const int rounds = std::max(1, std::atoi(argv[8]));
  const int idleMs = std::max(100, std::atoi(argv[9]));
  const std::string wgetInput = argv[10];

  app::PrepareProcess();
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  application.setQuitOnLastWindowClosed(false);
  app::SetUpApplication();

  const catalogue::Configuration config = catalogue::DemoConfiguration(port);
  QTemporaryDir programDirectory;
  app::MainWindow::Options options;
  options.shell.programDirectory = programDirectory.path();
  app::MainWindow window(config, app::AlbumHandlers(config), options);
  window.Start();
  // The start page loads in the browser meanwhile.
  RunFor(2500);

  model::Controls& ui = window.Ui();
  ui.选择夹1.SetCurrentPage(1);
  ui.编辑框_保存位置.SetText(platform::Utf8ToGbk(saveRoot));
  window.State().SetBrowserCookie(cookie);
  window.State().SetAccountName(account);
  const int row = catalogue::AddAlbumRow(window.Model(), "1", name, count, listAddress, std::nullopt);
  ui.超级列表框1.SetChecked(row, 1);
  auto* button = window.ControlAs<QPushButton>("按钮_下载选中");
  if (!button) return 1;
  RunFor(300);

  LatenessProbe probe;
  const std::string folder = saveRoot + "/" + account + "/" + name + count;
  const std::string peerFolder = saveRoot + "/wget";
  const std::vector<std::string> wget = {"wget", "--no-config", "-q", "--wait=0.1",
                                         "--header", "Host: img1.localhost:" + std::to_string(port),
                                         "--header", "Cookie: " + cookie, "-nd", "-P", peerFolder, "-i", wgetInput};
  for (int round = 1; round <= rounds; ++round) {
    const std::string n = std::to_string(round);
    probe.Begin();
    RunFor(idleMs);
    const LatenessProbe::Figures idle = probe.End();

    LatenessProbe::Figures peer, busy;
    double wallMs = 0, peerMs = 0;
    bool finished = false;
    // The two loads take turns at going first.
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn + round) % 2 == 0) {
        probe.Begin();
        std::atomic<bool> done{false};
        std::thread fetch([&] {
          peerMs = bench::RunProcess(wget, {}, true).wallMs;
          done = true;
        });
        RunUntil([&] { return done.load(); }, 600000);
        fetch.join();
        peer = probe.End();
        bench::RemoveTree(peerFolder);
      } else {
        probe.Begin();
        const bench::Clock::time_point start = bench::Clock::now();
        button->click();
        finished = RunUntil([] { return FinishedBox() != nullptr; }, 600000);
        wallMs = bench::MillisecondsSince(start);
        busy = probe.End();
        if (QMessageBox* box = FinishedBox()) box->close();
        if (!finished) return 1;
      }
      RunFor(200);
    }

    const bench::FolderContents written = bench::CountFiles(folder);
    bench::RemoveTree(folder);
    Print("idle_max_late_ms_" + n, idle.max);
    Print("idle_p99_late_ms_" + n, idle.p99);
    Print("peer_max_late_ms_" + n, peer.max);
    Print("peer_p99_late_ms_" + n, peer.p99);
    Print("peer_wall_ms_" + n, peerMs);
    Print("download_max_late_ms_" + n, busy.max);
    Print("download_p99_late_ms_" + n, busy.p99);
    Print("download_max_at_ms_" + n, busy.maxAtMs);
    Print("download_settled_max_ms_" + n, busy.settledMax);
    Print("download_max_running_ms_" + n, busy.maxRunningMs);
    Print("download_max_queued_ms_" + n, busy.maxQueuedMs);
    Print("peer_max_running_ms_" + n, peer.maxRunningMs);
    Print("peer_max_queued_ms_" + n, peer.maxQueuedMs);
    Print("download_ticks_" + n, static_cast<double>(busy.ticks));
    Print("download_wall_ms_" + n, wallMs);
    Print("download_files_" + n, written.files);
    std::fflush(stdout);
  }
  window.close();
  window.Shutdown();
  return 0;
}
