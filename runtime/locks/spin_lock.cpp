#include "runtime/locks/spin_lock.h"

#include "platform/system.h"

namespace {

std::atomic<uint32_t> processors{0};
std::atomic<uint64_t> polls{0};
std::atomic<uint64_t> sleeps{0};

uint32_t processorCount() {
  uint32_t n = processors.load(std::memory_order_relaxed);
  if (n == 0) {
    n = platform::processorCount();
    processors.store(n, std::memory_order_relaxed);
  }
  return n;
}

bool exchange(SpinLockWord& word, uint32_t from, uint32_t to) {
  return word.compare_exchange_strong(from, to, std::memory_order_acquire, std::memory_order_relaxed);
}

// One round of waiting: polls (multi-processor) or one sleep.
void waitRound(SpinLockWord& word) {
  if (processorCount() > 1) {
    for (int left = 1000; --left > 0;) {
      polls.fetch_add(1, std::memory_order_relaxed);
      if (word.load(std::memory_order_relaxed) == 0) return;
    }
  }
  sleeps.fetch_add(1, std::memory_order_relaxed);
  platform::sleepMs(1);
}

}  // namespace

void SpinLockC::acquire(SpinLockWord& word) {
  const uint32_t self = platform::currentThreadId();
  while (!exchange(word, 0, self)) waitRound(word);
}

bool SpinLockC::release(SpinLockWord& word) {
  uint32_t self = platform::currentThreadId();
  return word.compare_exchange_strong(self, 0, std::memory_order_release, std::memory_order_relaxed);
}

bool SpinLockC::tryAcquire(SpinLockWord& word) { return exchange(word, 0, platform::currentThreadId()); }

bool SpinLockC::handOver(SpinLockWord& word, uint32_t newOwner) {
  uint32_t self = platform::currentThreadId();
  return word.compare_exchange_strong(self, newOwner, std::memory_order_acq_rel, std::memory_order_relaxed);
}

void SpinLockC::acquireUnlessOwnerGone(SpinLockWord& word) { acquireUnless(word, true, [] { return false; }); }

bool SpinLockC::acquireUnless(SpinLockWord& word, bool takeOverGoneOwner, const std::function<bool()>& giveUp) {
  const uint32_t self = platform::currentThreadId();
  for (;;) {
    if (exchange(word, 0, self)) return true;
    if (takeOverGoneOwner) {
      const uint32_t owner = word.load(std::memory_order_relaxed);
      if (owner != 0 && owner != self && !platform::threadIsAlive(owner) && exchange(word, owner, self)) return true;
    }
    if (giveUp()) return false;
    waitRound(word);
  }
}

void SpinLockC::setProcessorCountForTesting(uint32_t count) { processors.store(count, std::memory_order_relaxed); }
uint64_t SpinLockC::pollCount() { return polls.load(std::memory_order_relaxed); }
uint64_t SpinLockC::sleepCount() { return sleeps.load(std::memory_order_relaxed); }
