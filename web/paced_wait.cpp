#include "web/paced_wait.h"

#include "platform/workers.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>

namespace web {
namespace {

std::mutex g_pumpMutex;
std::shared_ptr<const GuiPump> g_pump;
std::atomic<double> g_scale{1.0};

// Far beyond any wait of the program, small enough never to overflow.
constexpr double LongestWaitMs = 1e12;

long long FactorOf(int unit) {
  switch (unit) {
  case 1: return 1000;
  case 2: return 60000;
  case 3: return 3600000;
  default: return 1;
  }
}

std::shared_ptr<const GuiPump> CurrentPump() {
  std::lock_guard lock(g_pumpMutex);
  return g_pump;
}

} // namespace

bool PacedWait(long long duration, int unit) {
  const double scaled = static_cast<double>(duration) * static_cast<double>(FactorOf(unit)) * g_scale.load();
  // A due time of now or in the past is signalled at once.
  if (!(scaled > 0)) return true;
  const std::chrono::milliseconds wait(std::llround(std::min(scaled, LongestWaitMs)));
  // The pump is held for the whole wait: a new one installed meanwhile
  // never pulls it away from under a running wait.
  const std::shared_ptr<const GuiPump> pump = CurrentPump();
  if (pump && pump->pump && pump->isGuiThread && pump->isGuiThread()) {
    pump->pump(wait);
    return true;
  }
  platform::SleepFor(wait);
  return true;
}

void InstallGuiPump(GuiPump pump) {
  auto installed = std::make_shared<const GuiPump>(std::move(pump));
  std::lock_guard lock(g_pumpMutex);
  g_pump = std::move(installed);
}

void SetPacedWaitScale(double scale) { g_scale.store(scale >= 0 ? scale : 1.0); }

} // namespace web
