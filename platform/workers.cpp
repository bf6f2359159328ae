#include "platform/workers.h"

namespace platform {
namespace {

const std::atomic<bool> NeverStop{false};

thread_local const std::atomic<bool>* t_stop = &NeverStop;
thread_local PauseGate* t_gate = nullptr;

// Pause and stop are looked at this often while a wait sleeps.
constexpr std::chrono::milliseconds WakeInterval{50};

} // namespace

void PauseGate::Pause() {
  std::lock_guard lock(m_mutex);
  m_paused = true;
  m_changed.notify_all();
}

void PauseGate::Continue() {
  std::lock_guard lock(m_mutex);
  m_paused = false;
  m_changed.notify_all();
}

bool PauseGate::IsPaused() const {
  std::lock_guard lock(m_mutex);
  return m_paused;
}

bool PauseGate::WaitWhilePaused(const std::atomic<bool>& stop) {
  std::unique_lock lock(m_mutex);
  bool waited = false;
  while (m_paused && !stop.load()) {
    waited = true;
    m_changed.wait_for(lock, WakeInterval);
  }
  return waited;
}

void PauseGate::WakeAll() {
  std::lock_guard lock(m_mutex);
  m_changed.notify_all();
}

Workers::~Workers() { StopAndJoin(); }

void Workers::Start(std::function<void()> body, std::shared_ptr<PauseGate> gate) {
  std::lock_guard lock(m_mutex);
  auto done = std::make_shared<std::atomic<bool>>(false);
  Worker worker;
  worker.done = done;
  worker.gate = gate;
  worker.thread = std::thread([this, body = std::move(body), gate, done] {
    ScopedWorkerContext context(&m_stop, gate.get());
    body();
    done->store(true);
  });
  m_workers.push_back(std::move(worker));
}

void Workers::StopAndJoin() {
  m_stop.store(true);
  std::list<Worker> workers;
  {
    std::lock_guard lock(m_mutex);
    workers.swap(m_workers);
  }
  for (Worker& worker : workers) {
    if (worker.gate) worker.gate->WakeAll();
    if (worker.thread.joinable()) worker.thread.join();
  }
}

void Workers::Reap() {
  std::lock_guard lock(m_mutex);
  for (auto it = m_workers.begin(); it != m_workers.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = m_workers.erase(it);
    } else {
      ++it;
    }
  }
}

bool StopRequested() { return t_stop->load(); }

void PausePoint() {
  if (t_gate) t_gate->WaitWhilePaused(*t_stop);
}

bool SleepFor(std::chrono::milliseconds duration) {
  using Clock = std::chrono::steady_clock;
  auto remaining = duration;
  while (remaining.count() > 0) {
    if (t_stop->load()) return false;
    PausePoint();
    const auto slice = std::min(remaining, WakeInterval);
    const auto before = Clock::now();
    std::this_thread::sleep_for(slice);
    remaining -= std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before);
  }
  return !t_stop->load();
}

ScopedWorkerContext::ScopedWorkerContext(const std::atomic<bool>* stop, PauseGate* gate)
    : m_previousStop(t_stop), m_previousGate(t_gate) {
  t_stop = stop ? stop : &NeverStop;
  t_gate = gate;
}

ScopedWorkerContext::~ScopedWorkerContext() {
  t_stop = m_previousStop;
  t_gate = m_previousGate;
}

} // namespace platform
