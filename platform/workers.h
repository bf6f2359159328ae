#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

// Worker threads, their pause gate and the program's stop. A worker is
// paused only at pause points (inside a transfer, inside a paced wait,
// between steps), never at an arbitrary instruction, so it can never be
// stopped while holding a lock that another thread needs.
namespace platform {

class PauseGate {
public:
  void Pause();
  void Continue();
  bool IsPaused() const;
  // Blocks while the gate is paused and no stop is requested. Returns true
  // when it had to wait.
  bool WaitWhilePaused(const std::atomic<bool>& stop);
  // Sleeps for the duration, not counting paused time; wakes only when the
  // time is up, the gate changes or WakeAll is called. False when stopped.
  bool Sleep(std::chrono::milliseconds duration, const std::atomic<bool>& stop);
  // Wakes every waiter, so that it can look at the stop flag again. A stop
  // must be followed by this, or waiters would not see it until they wake.
  void WakeAll();

private:
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_paused = false;
};

// Owns every worker the program starts; stopping asks them all to end at
// their next pause point and joins them.
class Workers {
public:
  Workers() = default;
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;
  ~Workers();

  // Starts body on a new thread. With a gate, the thread's pause points obey it.
  void Start(std::function<void()> body, std::shared_ptr<PauseGate> gate = nullptr);
  // Asks every worker to stop and waits until each has ended.
  void StopAndJoin();
  bool StopRequested() const { return m_stop.load(); }
  // Joins the workers that have already ended.
  void Reap();

private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
    std::shared_ptr<PauseGate> gate;
  };
  std::mutex m_mutex;
  std::list<Worker> m_workers;
  std::atomic<bool> m_stop{false};
};

// The calling thread's view of its worker: false/none on threads that the
// Workers did not start (the GUI thread, tests).
bool StopRequested();
// Blocks while the calling thread's pause gate is paused.
void PausePoint();

// A wait that honours the calling thread's pause gate and stop: paused time
// does not count, and a stop ends the wait early. Returns false when stopped.
bool SleepFor(std::chrono::milliseconds duration);

// Lets the calling thread take part in stop and pause as if a Workers had
// started it (tests run worker bodies on threads of their own).
class ScopedWorkerContext {
public:
  ScopedWorkerContext(const std::atomic<bool>* stop, PauseGate* gate);
  ~ScopedWorkerContext();
  ScopedWorkerContext(const ScopedWorkerContext&) = delete;
  ScopedWorkerContext& operator=(const ScopedWorkerContext&) = delete;

private:
  const std::atomic<bool>* m_previousStop;
  PauseGate* m_previousGate;
};

} // namespace platform
