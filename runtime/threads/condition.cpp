#include "runtime/threads/condition.h"

#include "platform/system.h"
#include "runtime/messages/error_report.h"
#include "runtime/messages/log_module.h"

namespace {
const LogModuleC kThreadModule("Communication/Thread");
}

ConditionC::ConditionC(const StringC& name) : name_(name), displayName_(name) {
  if (!event_.valid()) {
    raiseError(0xE18D0065, messageRecord("e", "Failed to create condition variable %S", "Error code %d"),
               ArgListC::of(displayName_, static_cast<int32_t>(event_.creationError())));
  }
  if (displayName_.isEmpty())
    kThreadModule.trace("Condition: created");
  else
    kThreadModule.trace("Condition '%S': created", displayName_);
}

ConditionC::~ConditionC() = default;

int32_t ConditionC::waiters() const {
  SpinLockGuardC guard(lock_);
  return waiters_;
}

int32_t ConditionC::pendingReleases() const {
  SpinLockGuardC guard(lock_);
  return releases_ > 0 ? releases_ : 0;
}

void ConditionC::broadcast() {
  SpinLockC::acquire(lock_);
  const bool any = waiters_ > 0;
  if (any) {
    event_.set();
    releases_ = waiters_;
    ++generation_;
  }
  SpinLockC::release(lock_);
  if (any)
    kThreadModule.trace("Condition '%S': broadcast", displayName_);
  else
    kThreadModule.trace("Condition '%S': not broadcast, no waiters", displayName_);
}

void ConditionC::wait(uint32_t& ms, SpinLockWord* externalLock) {
  int64_t last = platform::monotonicNow100ns();
  kThreadModule.trace("Condition '%S': waiting up to %dms", displayName_, static_cast<int32_t>(ms));

  SpinLockC::acquire(lock_);
  const uint32_t generation = generation_;
  ++waiters_;
  SpinLockC::release(lock_);

  if (externalLock) SpinLockC::release(*externalLock);

  bool released = false;
  while (ms != 0 && event_.valid()) {
    const uint32_t result = event_.wait(ms);
    const int64_t now = platform::monotonicNow100ns();
    const int64_t elapsed = (now - last) / 10000;
    last = now;
    if (elapsed >= static_cast<int64_t>(ms))
      ms = 0;
    else
      ms -= static_cast<uint32_t>(elapsed);
    SpinLockC::acquire(lock_);
    released = releases_ > 0 && generation_ != generation;
    SpinLockC::release(lock_);
    if (released) break;
    // Still signalled for the waiters of an earlier broadcast: give them
    // the processor to leave rather than spinning on the event.
    if (result == platform::kWaitObject0) platform::sleepMs(1);
  }

  // The count is settled before the caller's lock is taken again, so the
  // event is reset as soon as the last counted waiter has woken, however
  // long the caller's lock stays busy. The reset happens under the own lock:
  // done after it, it could wipe out a broadcast made in between for waiters
  // that are already counted again.
  SpinLockC::acquire(lock_);
  released = releases_ > 0 && generation_ != generation;
  --waiters_;
  if (released && --releases_ == 0) event_.reset();
  SpinLockC::release(lock_);

  if (externalLock) SpinLockC::acquire(*externalLock);

  if (ms == 0)
    kThreadModule.trace("Condition '%S': time expired", displayName_);
  else
    kThreadModule.trace("Condition '%S': woken with %dms to run", displayName_, static_cast<int32_t>(ms));
}
