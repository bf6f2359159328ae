#include "platform/workers.h"

namespace platform {
namespace {

const std::atomic<bool> NeverStop{false};

thread_local const std::atomic<bool>* t_stop = &NeverStop;
thread_local PauseGate* t_gate = nullptr;

// Waits wake when their gate changes or a stop wakes them; this is only the
// longest they sleep without looking at the stop flag, for a stop set
// without waking them.
constexpr std::chrono::seconds StopLookInterval{1};

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
  if (!m_paused || stop.load()) return false;
  while (!m_changed.wait_for(lock, StopLookInterval, [&] { return !m_paused || stop.load(); })) {
  }
  return true;
}

bool PauseGate::Sleep(std::chrono::milliseconds duration, const std::atomic<bool>& stop) {
  using Clock = std::chrono::steady_clock;
  std::unique_lock lock(m_mutex);
  auto remaining = std::chrono::duration_cast<Clock::duration>(duration);
  while (remaining.count() > 0 && !stop.load()) {
    if (m_paused) {
      m_changed.wait_for(lock, StopLookInterval, [&] { return !m_paused || stop.load(); });
      continue;
    }
    const auto start = Clock::now();
    m_changed.wait_for(lock, std::min<Clock::duration>(remaining, StopLookInterval),
                       [&] { return m_paused || stop.load(); });
    remaining -= Clock::now() - start;
  }
  return !stop.load();
}

void PauseGate::WakeAll() {
  std::lock_guard lock(m_mutex);
  m_changed.notify_all();
}

Workers::~Workers() { StopAndJoin(); }

void Workers::Start(std::function<void()> body, std::shared_ptr<PauseGate> gate) {
  // Every worker gets a gate, never paused when nobody asked for one, so
  // that a stop wakes its waits at once.
  if (!gate) gate = std::make_shared<PauseGate>();
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
  if (t_gate) return t_gate->Sleep(duration, *t_stop);
  if (duration.count() > 0) std::this_thread::sleep_for(duration);
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
