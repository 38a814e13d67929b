#include "runtime/threads/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "platform/system.h"

namespace {

std::atomic<int> destroyed{0};

class CountingThread : public ThreadC {
 public:
  explicit CountingThread(uint32_t status, std::atomic<bool>* ran = nullptr) : status_(status), ran_(ran) {}
  ~CountingThread() override { destroyed.fetch_add(1); }
  uint32_t run() override {
    if (ran_) *ran_ = true;
    return status_;
  }

 private:
  uint32_t status_;
  std::atomic<bool>* ran_;
};

// The map's entries apart from the threads a test makes: the first thread
// of the process also enters the main-thread record.
uint32_t baseline() { return ThreadC::mapCount() == 0 ? 1 : ThreadC::mapCount(); }

void waitUntilFinished(const ThreadC& t) {
  for (int i = 0; i < 5000 && t.state() != ThreadC::kFinished; ++i) ThreadC::sleep(1);
}

TEST(ThreadC, AFinishedThreadIsAZombieUntilDestroyed) {
  const int32_t before = ThreadC::zombieCount();
  auto* t = new CountingThread(7);
  EXPECT_TRUE(t->hasHandle());
  EXPECT_NE(t->id(), 0u);
  EXPECT_EQ(t->state(), ThreadC::kCreated);
  t->start();
  waitUntilFinished(*t);
  ASSERT_EQ(t->state(), ThreadC::kFinished);
  EXPECT_EQ(ThreadC::zombieCount(), before + 1);
  delete t;
  EXPECT_EQ(ThreadC::zombieCount(), before);
  ASSERT_NE(ThreadC::mainThread(), nullptr);
}

TEST(ThreadC, DestroyingANeverStartedThreadEndsItWithoutRunning) {
  const uint32_t entries = baseline();
  std::atomic<bool> ran{false};
  const int32_t zombiesBefore = ThreadC::zombieCount();
  {
    CountingThread t(0, &ran);
    EXPECT_EQ(ThreadC::mapCount(), entries + 1);
  }
  ThreadC::sleep(20);
  EXPECT_FALSE(ran.load());
  EXPECT_EQ(ThreadC::mapCount(), entries);
  EXPECT_EQ(ThreadC::zombieCount(), zombiesBefore);
}

TEST(ThreadC, TheMapStaysRightUnderConcurrentCreation) {
  const uint32_t entries = baseline();
  std::vector<std::thread> creators;
  std::atomic<int> bad{0};
  for (int c = 0; c < 4; ++c)
    creators.emplace_back([&] {
      std::vector<CountingThread*> mine;
      for (int i = 0; i < 25; ++i) {
        mine.push_back(new CountingThread(static_cast<uint32_t>(i)));
        mine.back()->start();
      }
      std::set<uint32_t> ids;
      for (auto* t : mine) {
        waitUntilFinished(*t);
        if (t->state() != ThreadC::kFinished) ++bad;
        ids.insert(t->id());
        delete t;
      }
      if (ids.size() != mine.size()) ++bad;
    });
  for (auto& c : creators) c.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(ThreadC::mapCount(), entries);
}

TEST(ThreadC, ThreadsHandedToTheFrameworkAreReapedOnceFinished) {
  ThreadC::reapFinished();
  const int before = destroyed.load();
  const uint32_t entries = baseline();
  for (int i = 0; i < 10; ++i) {
    auto* t = new CountingThread(0);
    t->start();
    t->releaseToFramework();
  }
  // Creating a thread reaps too, so some may be gone already.
  // Unload's reaping (without waiting) and the ordinary one both take them.
  for (int i = 0; i < 5000 && destroyed.load() < before + 10; ++i) {
    ThreadC::reapFinished(i % 2 == 0);
    ThreadC::sleep(1);
  }
  EXPECT_EQ(destroyed.load(), before + 10);
  EXPECT_EQ(ThreadC::reapFinished(), 0);
  EXPECT_EQ(ThreadC::mapCount(), entries);
}

TEST(ThreadC, ZombieConditionIsBroadcastWhenAThreadFinishes) {
  ConditionC& zombies = ThreadC::zombieCondition();
  EXPECT_EQ(zombies.name().toStringC(), StringC::fromUtf8("Zombie Threads"));
  CountingThread t(0);
  std::atomic<uint32_t> left{0};
  std::thread waiter([&] {
    uint32_t ms = 5000;
    zombies.wait(ms);
    left = ms;
  });
  while (zombies.waiters() == 0) ThreadC::sleep(1);
  t.start();
  waiter.join();
  EXPECT_GT(left.load(), 0u);
  EXPECT_TRUE(t.setLowestPriority() || t.state() == ThreadC::kFinished);
}

}  // namespace
