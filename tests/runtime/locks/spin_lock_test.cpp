#include "runtime/locks/spin_lock.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/system.h"

namespace {

TEST(SpinLock, ContendedCounterStaysExact) {
  SpinLockWord lock{0};
  int64_t counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        SpinLockGuardC guard(lock);
        ++counter;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(counter, 80000);
  EXPECT_EQ(lock.load(), 0u);
}

TEST(SpinLock, OnlyTheOwnerReleasesAndHandOverMovesOwnership) {
  SpinLockWord lock{0};
  SpinLockC::acquire(lock);
  EXPECT_EQ(lock.load(), platform::currentThreadId());
  EXPECT_FALSE(SpinLockC::tryAcquire(lock));
  bool otherReleased = true;
  bool otherTried = true;
  std::thread([&] {
    otherReleased = SpinLockC::release(lock);
    otherTried = SpinLockC::tryAcquire(lock);
  }).join();
  EXPECT_FALSE(otherReleased);
  EXPECT_FALSE(otherTried);
  EXPECT_EQ(lock.load(), platform::currentThreadId());

  EXPECT_TRUE(SpinLockC::handOver(lock, 4242));
  EXPECT_EQ(lock.load(), 4242u);
  EXPECT_FALSE(SpinLockC::handOver(lock, 1));  // no longer ours
  EXPECT_FALSE(SpinLockC::release(lock));
  lock.store(0);
  EXPECT_TRUE(SpinLockC::tryAcquire(lock));
  EXPECT_TRUE(SpinLockC::release(lock));
}

TEST(SpinLock, OneProcessorNeverPollsItSleeps) {
  SpinLockWord lock{0};
  SpinLockC::setProcessorCountForTesting(1);
  std::thread holder([&] {
    SpinLockC::acquire(lock);
    platform::sleepMs(30);
    SpinLockC::release(lock);
  });
  while (lock.load() == 0) std::this_thread::yield();
  const uint64_t polls = SpinLockC::pollCount();
  const uint64_t sleeps = SpinLockC::sleepCount();
  SpinLockC::acquire(lock);
  EXPECT_EQ(SpinLockC::pollCount(), polls);
  EXPECT_GT(SpinLockC::sleepCount(), sleeps);
  SpinLockC::release(lock);
  holder.join();
  SpinLockC::setProcessorCountForTesting(2);
  std::thread holder2([&] {
    SpinLockC::acquire(lock);
    platform::sleepMs(30);
    SpinLockC::release(lock);
  });
  while (lock.load() == 0) std::this_thread::yield();
  SpinLockC::acquire(lock);
  EXPECT_GT(SpinLockC::pollCount(), polls);
  SpinLockC::release(lock);
  holder2.join();
  SpinLockC::setProcessorCountForTesting(0);
}

TEST(SpinLock, ALockWhoseOwnerIsGoneIsTakenOver) {
  SpinLockWord lock{0};
  std::thread([&] { SpinLockC::acquire(lock); }).join();  // ends without releasing
  ASSERT_NE(lock.load(), 0u);
  SpinLockC::acquireUnlessOwnerGone(lock);
  EXPECT_EQ(lock.load(), platform::currentThreadId());
  EXPECT_TRUE(SpinLockC::release(lock));
}

}  // namespace
