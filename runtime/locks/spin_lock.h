// Spin locks: one 32-bit word holding the owner's thread identifier, 0 when
// free. Not recursive: a thread that takes a lock it holds waits for ever.
//
// acquire: one compare-and-exchange 0 -> caller; on a machine with more
// than one processor the word is then polled up to 999 times, going back to
// the exchange as soon as a poll sees it free; with one processor, or when
// the polls are used up, the thread sleeps 1 ms and tries again.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

using SpinLockWord = std::atomic<uint32_t>;

class SpinLockC {
 public:
  static void acquire(SpinLockWord& word);
  // Owner-only: compare-and-exchange caller -> 0. A release by another
  // thread changes nothing and returns false.
  static bool release(SpinLockWord& word);
  // One compare-and-exchange 0 -> caller.
  static bool tryAcquire(SpinLockWord& word);
  // One compare-and-exchange caller -> newOwner.
  static bool handOver(SpinLockWord& word, uint32_t newOwner);
  // acquire, except that a lock whose owner thread no longer exists is taken
  // over (for process end, when Windows has already ended every other
  // thread, and for a thread that ended without releasing).
  static void acquireUnlessOwnerGone(SpinLockWord& word);
  // acquire (or, with takeOverGoneOwner, acquireUnlessOwnerGone) that gives
  // up, returning false, once giveUp() answers true; giveUp is asked between
  // attempts, on the calling thread.
  static bool acquireUnless(SpinLockWord& word, bool takeOverGoneOwner, const std::function<bool()>& giveUp);

  // Test hooks: the processor count the lock believes in (0: read the
  // system's again), and counters of polls and sleeps.
  static void setProcessorCountForTesting(uint32_t count);
  static uint64_t pollCount();
  static uint64_t sleepCount();
};

// Holds a spin lock for a scope.
class SpinLockGuardC {
 public:
  explicit SpinLockGuardC(SpinLockWord& word) : word_(word) { SpinLockC::acquire(word_); }
  ~SpinLockGuardC() { SpinLockC::release(word_); }
  SpinLockGuardC(const SpinLockGuardC&) = delete;
  SpinLockGuardC& operator=(const SpinLockGuardC&) = delete;

 private:
  SpinLockWord& word_;
};
