#include "web/paced_wait.h"

#include "platform/workers.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using web::GuiPump;
using web::PacedWait;

// Only catches a hang; nothing here waits this long when it works.
constexpr auto HangLimit = 60s;

// Stands in for the GUI thread's event loop and notes every time it was asked for.
class PacedWaitTest : public ::testing::Test {
protected:
  void SetUp() override {
    guiThread = std::this_thread::get_id();
    web::InstallGuiPump(GuiPump{[this] { return std::this_thread::get_id() == guiThread; },
                                [this](std::chrono::milliseconds time) {
                                  std::lock_guard lock(mutex);
                                  pumped.push_back(time);
                                }});
  }
  void TearDown() override {
    web::InstallGuiPump({});
    web::SetPacedWaitScale(1);
  }
  std::vector<std::chrono::milliseconds> Pumped() {
    std::lock_guard lock(mutex);
    return pumped;
  }

  std::thread::id guiThread;
  std::mutex mutex;
  std::vector<std::chrono::milliseconds> pumped;
};

TEST_F(PacedWaitTest, OnTheGuiThreadThePumpRunsForTheWholeTimeOfEachUnit) {
  const struct {
    long long duration;
    int unit;
    std::chrono::milliseconds time;
  } cases[] = {
      {2000, 0, 2000ms},     {3, 1, 3000ms},       {2, 2, 120000ms}, {1, 3, 3600000ms},
      {100, 9, 100ms},  // no other unit occurs; milliseconds
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.duration) + " unit " + std::to_string(c.unit));
    pumped.clear();
    EXPECT_TRUE(PacedWait(c.duration, c.unit));
    ASSERT_EQ(1u, Pumped().size());
    EXPECT_EQ(c.time, Pumped()[0]);
  }
}

TEST_F(PacedWaitTest, TheScaleShortensEveryWait) {
  web::SetPacedWaitScale(0.001);
  EXPECT_TRUE(PacedWait(2000));
  EXPECT_TRUE(PacedWait(3, 1));
  EXPECT_EQ((std::vector<std::chrono::milliseconds>{2ms, 3ms}), Pumped());

  web::SetPacedWaitScale(1);
  EXPECT_TRUE(PacedWait(5));
  EXPECT_EQ(5ms, Pumped().back());
}

TEST_F(PacedWaitTest, AWaitOfNoTimeReturnsAtOnce) {
  EXPECT_TRUE(PacedWait(0));
  EXPECT_TRUE(PacedWait(-100, 1));
  EXPECT_TRUE(Pumped().empty());
}

TEST_F(PacedWaitTest, OtherThreadsSleepInsteadOfPumping) {
  web::SetPacedWaitScale(0.001);
  auto waited = std::async(std::launch::async, [] { return PacedWait(2000); });
  ASSERT_EQ(std::future_status::ready, waited.wait_for(HangLimit));
  EXPECT_TRUE(waited.get());
  EXPECT_TRUE(Pumped().empty());
}

TEST_F(PacedWaitTest, WithoutAPumpTheGuiThreadSleepsToo) {
  web::InstallGuiPump({});
  web::SetPacedWaitScale(0.001);
  EXPECT_TRUE(PacedWait(10));
  EXPECT_TRUE(Pumped().empty());
}

TEST_F(PacedWaitTest, APausedWorkerStaysInTheWaitUntilContinued) {
  platform::PauseGate gate;
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  gate.Pause();
  auto waited = std::async(std::launch::async, [&] {
    platform::ScopedWorkerContext context(&stop, &gate);
    const bool result = PacedWait(1);
    done = true;
    return result;
  });
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(done) << "a one-millisecond wait ended while paused";
  gate.Continue();
  ASSERT_EQ(std::future_status::ready, waited.wait_for(HangLimit));
  EXPECT_TRUE(waited.get());
}

TEST_F(PacedWaitTest, AStopEndsAWorkersWaitEarly) {
  for (bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "running");
    platform::PauseGate gate;
    std::atomic<bool> stop{false};
    std::atomic<bool> started{false};
    if (paused) gate.Pause();
    auto waited = std::async(std::launch::async, [&] {
      platform::ScopedWorkerContext context(&stop, &gate);
      started = true;
      return PacedWait(2, 2);  // two minutes
    });
    while (!started) std::this_thread::yield();
    stop = true;
    ASSERT_EQ(std::future_status::ready, waited.wait_for(HangLimit));
    EXPECT_TRUE(waited.get());
  }
}

TEST_F(PacedWaitTest, APumpInstalledDuringAWaitLeavesTheRunningOneAlone) {
  std::promise<void> entered;
  std::promise<void> leave;
  std::atomic<int> firstCalls{0};
  std::atomic<int> secondCalls{0};
  web::InstallGuiPump(GuiPump{[] { return true; }, [&](std::chrono::milliseconds) {
                                ++firstCalls;
                                entered.set_value();
                                leave.get_future().wait();
                              }});
  auto waited = std::async(std::launch::async, [] { return PacedWait(50); });
  entered.get_future().wait();
  web::InstallGuiPump(GuiPump{[] { return true; }, [&](std::chrono::milliseconds) { ++secondCalls; }});
  leave.set_value();
  ASSERT_EQ(std::future_status::ready, waited.wait_for(HangLimit));
  EXPECT_TRUE(PacedWait(50));
  EXPECT_EQ(1, firstCalls);
  EXPECT_EQ(1, secondCalls);
}

} // namespace
