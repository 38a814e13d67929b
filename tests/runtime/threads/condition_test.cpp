#include "runtime/threads/condition.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "runtime/services/common_services.h"
#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

void waitForWaiters(const ConditionC& c, int n) {
  while (c.waiters() < n) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(ConditionC, ABroadcastWithoutWaitersIsLost) {
  ConditionC c(StringC::fromUtf8("Lost"));
  c.broadcast();
  uint32_t ms = 60;
  const auto start = Clock::now();
  c.wait(ms);
  EXPECT_EQ(ms, 0u);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(55));
}

TEST(ConditionC, AZeroWaitDoesNotWait) {
  ConditionC c;
  uint32_t ms = 0;
  const auto start = Clock::now();
  c.wait(ms);
  EXPECT_EQ(ms, 0u);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(c.waiters(), 0);
}

TEST(ConditionC, BroadcastWakesTheWaitersOfThatMomentOnly) {
  ConditionC c(StringC::fromUtf8("Two"));
  std::atomic<uint32_t> left1{0}, left2{0};
  std::thread a([&] {
    uint32_t ms = 10000;
    c.wait(ms);
    left1 = ms;
  });
  std::thread b([&] {
    uint32_t ms = 10000;
    c.wait(ms);
    left2 = ms;
  });
  waitForWaiters(c, 2);
  c.broadcast();
  a.join();
  b.join();
  EXPECT_GT(left1.load(), 5000u);
  EXPECT_GT(left2.load(), 5000u);
  // A thread that starts waiting after the broadcast is not woken by it.
  uint32_t ms = 80;
  c.wait(ms);
  EXPECT_EQ(ms, 0u);
}

TEST(ConditionC, AWokenWaiterReportsTheTimeLeftAndHoldsItsLockAgain) {
  ConditionC c(StringC::fromUtf8("Left"));
  SpinLockWord lock{0};
  std::atomic<uint32_t> left{0};
  std::atomic<bool> heldOnReturn{false};
  std::thread w([&] {
    SpinLockC::acquire(lock);
    uint32_t ms = 3000;
    c.wait(ms, &lock);
    heldOnReturn = !SpinLockC::tryAcquire(lock) && SpinLockC::release(lock);
    left = ms;
  });
  waitForWaiters(c, 1);
  // The waiter let go of its lock while waiting.
  SpinLockC::acquire(lock);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  c.broadcast();
  SpinLockC::release(lock);
  w.join();
  EXPECT_TRUE(heldOnReturn.load());
  EXPECT_LT(left.load(), 2900u);
  EXPECT_GT(left.load(), 1000u);
}

TEST(ConditionC, LateOrTimedOutWaitersDoNotUseUpABroadcast) {
  for (int round = 0; round < 20; ++round) {
    ConditionC c(StringC::fromUtf8("Release"));
    std::atomic<uint32_t> left{0};
    std::thread counted([&] {
      uint32_t ms = 5000;
      c.wait(ms);
      left = ms;
    });
    waitForWaiters(c, 1);
    c.broadcast();
    // Waiters that began after the broadcast, and leave at once.
    for (int i = 0; i < 3; ++i) {
      uint32_t zero = 0;
      c.wait(zero);
    }
    counted.join();
    ASSERT_GT(left.load(), 3000u) << "round " << round << ": the counted waiter missed its broadcast";
    // The event was reset by the last counted waiter: a new wait waits.
    uint32_t ms = 30;
    c.wait(ms);
    EXPECT_EQ(ms, 0u);
  }
}

// Waiters that loop back into the wait while a second broadcast follows the
// first at once: the last waiter of the first broadcast must not wipe out
// the second one, or its waiters sleep to their time-out.
TEST(ConditionC, ABroadcastRightAfterAnotherWakesEveryCountedWaiter) {
  constexpr int kWaiters = 6;
  ConditionC c(StringC::fromUtf8("Twice"));
  std::atomic<bool> stop{false};
  std::atomic<int> timedOut{0};
  std::atomic<int> exited{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < kWaiters; ++i)
    waiters.emplace_back([&] {
      while (!stop) {
        uint32_t ms = 5000;
        c.wait(ms);
        if (ms == 0) ++timedOut;
      }
      ++exited;
    });
  int lost = 0;
  for (int round = 0; round < 1000 && lost == 0; ++round) {
    waitForWaiters(c, kWaiters);
    c.broadcast();
    // The second broadcast lands as the first one's last waiter leaves,
    // while the others are already counted again.
    while (c.pendingReleases() > 0) {
    }
    c.broadcast();
    const auto deadline = Clock::now() + std::chrono::milliseconds(1000);
    while (c.pendingReleases() > 0 && Clock::now() < deadline) std::this_thread::yield();
    if (c.pendingReleases() > 0) lost = round + 1;
  }
  stop = true;
  // A waiter may be between its test of `stop` and being counted: keep
  // waking until every one has left.
  while (exited < kWaiters) {
    c.broadcast();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  for (auto& t : waiters) t.join();
  EXPECT_EQ(lost, 0) << "a counted waiter missed the second broadcast in round " << lost;
  EXPECT_EQ(timedOut.load(), 0);
}

TEST(ConditionC, TracesGoToTheThreadModule) {
  test_support::TempDirC dir;
  test_support::setEnv("TNW_TRACE_FILE", dir.file("trace.log"));
  test_support::setEnv("TNW_TRACE", "Communication/Thread");
  common_services::logService()->reload();
  {
    ConditionC named(StringC::fromUtf8("Traced"));
    ConditionC unnamed;
    named.broadcast();
    uint32_t ms = 0;
    named.wait(ms);
  }
  test_support::unsetEnv("TNW_TRACE");
  test_support::unsetEnv("TNW_TRACE_FILE");
  common_services::logService()->reload();
  const std::string log = test_support::readFile(dir.file("trace.log"));
  for (const char* line : {"Communication/Thread: Condition 'Traced': created\n", "Communication/Thread: Condition: created\n",
                           "Condition 'Traced': not broadcast, no waiters\n", "Condition 'Traced': waiting up to 0ms\n",
                           "Condition 'Traced': time expired\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
}

}  // namespace
