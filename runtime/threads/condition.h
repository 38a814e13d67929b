// ConditionC: a named, broadcast-only condition with a timed wait.
//
// broadcast wakes exactly the threads waiting at that moment; with no
// waiter it is lost. wait(ms, lock) counts the caller as a waiter before it
// releases the caller's spin lock, so a broadcast issued after the caller
// let go of the lock cannot be missed; the lock is held again on return.
// Time is measured on a monotonic clock; on return `ms` holds the time that
// was left (0 when it ran out).
//
// Only the waiters a broadcast counted use up its release count: a waiter
// that timed out or began after the broadcast leaves it alone, so every
// counted waiter wakes. The condition's own lock is never held across a
// wait. Traces go to the "Communication/Thread" module.
#pragma once

#include <cstdint>

#include "platform/event.h"
#include "runtime/strings/kva_string.h"
#include "runtime/locks/spin_lock.h"

class ConditionC {
 public:
  // An event the system refuses is reported (0xE18D0065) and leaves the
  // condition without event: waits then return at once with their time.
  explicit ConditionC(const StringC& name = StringC());
  ~ConditionC();
  ConditionC(const ConditionC&) = delete;
  ConditionC& operator=(const ConditionC&) = delete;

  void broadcast();
  void wait(uint32_t& ms, SpinLockWord* externalLock = nullptr);

  const KVAStringC& name() const { return name_; }
  bool valid() const { return event_.valid(); }
  // The waiters counted at this moment (taken under the own lock).
  int32_t waiters() const;
  // Counted waiters of the last broadcast that have not left yet; 0 once
  // every waiter a broadcast counted has woken (taken under the own lock).
  int32_t pendingReleases() const;

 private:
  KVAStringC name_;
  StringC displayName_;
  mutable SpinLockWord lock_{0};
  int32_t waiters_ = 0;
  int32_t releases_ = 0;
  uint32_t generation_ = 0;
  platform::EventC event_;
};
