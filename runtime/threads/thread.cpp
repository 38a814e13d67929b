#include "runtime/threads/thread.h"

#include <vector>

#include "platform/library_objects.h"
#include "platform/system.h"
#include "platform/win32_error.h"
#include "runtime/services/common_services.h"
#include "runtime/messages/error_report.h"
#include "runtime/strings/hash_map.h"
#include "runtime/messages/log_module.h"

namespace {

const LogModuleC kThreadModule("Communication/Thread");

SpinLockWord mapLock{0};
HashMapM<uint32_t, ThreadC*>* threadMap = nullptr;  // created on first use, under mapLock
std::atomic<int32_t> zombies{0};
std::atomic<ConditionC*> zombieCond{nullptr};
ThreadC* mainRecord = nullptr;

// The map, the main thread's record and the zombie condition go at the
// library's unload (platform/library_objects.h), when no thread is left.
void releaseRecords(void*) {
  HashMapM<uint32_t, ThreadC*>* map = nullptr;
  ThreadC* main = nullptr;
  ConditionC* condition = nullptr;
  {
    SpinLockGuardC guard(mapLock);
    map = threadMap;
    threadMap = nullptr;
    main = mainRecord;
    mainRecord = nullptr;
    condition = zombieCond.exchange(nullptr);
  }
  delete main;
  delete map;
  delete condition;
}

// Under mapLock.
void adoptRecordsLocked() {
  static bool adopted = false;
  if (!adopted) adopted = platform::library_objects::adopt(&releaseRecords, nullptr);
}

// Under mapLock.
void createZombieConditionLocked() {
  if (zombieCond.load()) return;
  zombieCond.store(new ConditionC(StringC("Zombie Threads", "ascii")));
  adoptRecordsLocked();
}

}  // namespace

void ThreadC::enterInMap(ThreadC* t) {
  SpinLockGuardC guard(mapLock);
  if (!threadMap) {
    threadMap = new HashMapM<uint32_t, ThreadC*>;
    // The record of the creating thread goes in first; it must not come
    // back here (the lock is not recursive).
    mainRecord = new MainThreadC;
    threadMap->insert(mainRecord->id(), mainRecord);
    adoptRecordsLocked();
  }
  threadMap->insert(t->id(), t);
}

ThreadC::ThreadC() {
  reapFinished();
  uint32_t tid = 0, error = 0;
  handle_ = platform::createThread(&ThreadC::entry, this, &tid, &error);
  id_.store(tid);
  if (!handle_)
    raiseError(0xE18D01F4, messageRecord("e", "Failed to create new thread", "Error code %d"),
               ArgListC(static_cast<int32_t>(error)));
  kThreadModule.trace("Creating new thread %d, handle %p", static_cast<int32_t>(tid), static_cast<const void*>(handle_));
  enterInMap(this);
}

ThreadC::ThreadC(MainTag) : main_(true) {
  id_.store(platform::currentThreadId());
  state_.store(kRunning);
  if (tnw::ErrorServiceI* errors = common_services::errorService()) errorContext_ = errors->attachThread();
  handle_ = platform::duplicateCurrentThread();
}

MainThreadC::MainThreadC() : ThreadC(MainTag{}) {}
// Only at the library's unload (releaseRecords): the duplicated handle goes
// with the record. The error context stays attached: it is the common
// library's state of the host's thread, which outlives the agent, and
// detaching it from another thread would leave that thread pointing at it.
MainThreadC::~MainThreadC() {
  state_.store(kFinished);
  platform::closeThread(handle_);
  handle_ = nullptr;
}

ThreadC::~ThreadC() {
  if (main_) return;  // the main-thread record is never torn down here
  const bool finished = state_.load() == kFinished;
  if (!finished && handle_) {
    const uint32_t error = platform::terminateThread(handle_, 1);
    if (error != platform::kErrorSuccess && error != platform::kErrorInvalidParameter) {
      raiseError(0xE18D01F5, messageRecord("e", "Failure in thread %d to terminate thread %d", "Error code %d"),
                 ArgListC::of(static_cast<int32_t>(platform::currentThreadId()), static_cast<int32_t>(id()),
                              static_cast<int32_t>(error)));
      platform::waitForThread(handle_, platform::kInfinite);  // Linux: it can only be waited for
    } else {
      platform::waitForThread(handle_, 5000);
    }
  }
  kThreadModule.trace("Destroying thread %d, handle %p", static_cast<int32_t>(id()), static_cast<const void*>(handle_));
  platform::closeThread(handle_);
  handle_ = nullptr;
  {
    SpinLockGuardC guard(mapLock);
    if (threadMap) threadMap->removeValue(id(), this);
    if (state_.load() == kFinished) zombies.fetch_sub(1);
  }
  id_.store(0);
  if (errorContext_) {
    if (tnw::ErrorServiceI* errors = common_services::errorService()) errors->detachThread(errorContext_);
    errorContext_ = nullptr;
  }
}

uint32_t ThreadC::entry(void* p) {
  auto* self = static_cast<ThreadC*>(p);
  if (!self->handle_ && !self->main_) {
    raiseError(0xE18D01F8, messageRecord("e", "Failed to start new thread", "Thread constructor failed to create system thread"));
    return 1;
  }
  if (tnw::ErrorServiceI* errors = common_services::errorService()) self->errorContext_ = errors->attachThread();
  self->state_.store(kRunning);
  kThreadModule.trace("Thread %d starting (handle %p)", static_cast<int32_t>(self->id()),
                      static_cast<const void*>(self->handle_));
  uint32_t status = 1;
  try {
    status = self->run();
  } catch (...) {
    status = 1;  // nothing may unwind out of a system thread
  }
  if (kThreadModule.enabled()) {
    const StringC name = StringC::fromUtf8("0x%llx").format(ArgListC::of(static_cast<uint64_t>(self->id())));
    kThreadModule.trace("Thread %S returned with status %lld", name, static_cast<int64_t>(static_cast<int32_t>(status)));
  }
  {
    SpinLockGuardC guard(mapLock);
    createZombieConditionLocked();
    self->state_.store(kFinished);
    bool entered = false;
    if (threadMap)
      for (auto r = threadMap->find(self->id()); r.valid(); r.next()) entered = entered || r.value() == self;
    if (entered) {
      zombies.fetch_add(1);
      zombieCond.load()->broadcast();
    }
  }
  return status;
}

void ThreadC::start() {
  if (handle_) platform::resumeThread(handle_);
}

void ThreadC::releaseToFramework() { owned_.store(true); }

void ThreadC::sleep(uint32_t ms) { platform::sleepMs(ms == 0 ? 1 : ms); }

bool ThreadC::setLowestPriority() {
  return handle_ && platform::setLowestPriority(handle_) == platform::kErrorSuccess;
}

int32_t ThreadC::zombieCount() { return zombies.load(); }

ConditionC& ThreadC::zombieCondition() {
  if (!zombieCond.load()) {
    SpinLockGuardC guard(mapLock);
    createZombieConditionLocked();
  }
  return *zombieCond.load();
}

int ThreadC::reapFinished(bool waitForExit) {
  std::vector<ThreadC*> done;
  {
    SpinLockGuardC guard(mapLock);
    if (!threadMap) return 0;
    threadMap->forEach([&](uint32_t, ThreadC* t) {
      if (t->state() != kFinished || !t->owned_.load()) return;
      if (!waitForExit && !platform::waitForThread(t->handle_, 0)) return;
      // Taken out of the framework's hands under the lock: one reaper only.
      if (t->owned_.exchange(false)) done.push_back(t);
    });
  }
  for (ThreadC* t : done) {
    // The entry has marked it finished under the map lock; wait for the
    // system thread itself to be gone before freeing what it may touch.
    platform::waitForThread(t->handle_, platform::kInfinite);
    delete t;
  }
  return static_cast<int>(done.size());
}

void ThreadC::awaitEnd(const ThreadC* object, uint32_t id) {
  for (;;) {
    ThreadC* mine = nullptr;
    bool present = false;
    {
      SpinLockGuardC guard(mapLock);
      if (!threadMap) return;
      for (auto r = threadMap->find(id); r.valid(); r.next()) {
        if (r.value() != object) continue;
        present = true;
        ThreadC* t = r.value();
        if (t->state() == kFinished && t->owned_.exchange(false)) mine = t;
      }
    }
    if (mine) {
      platform::waitForThread(mine->handle_, platform::kInfinite);
      delete mine;
      return;
    }
    if (!present) return;
    // Marked finished only as its run returns: a few steps away.
    platform::sleepMs(1);
  }
}

uint32_t ThreadC::mapCount() {
  SpinLockGuardC guard(mapLock);
  return threadMap ? threadMap->count() : 0;
}

ThreadC* ThreadC::mainThread() {
  SpinLockGuardC guard(mapLock);
  return mainRecord;
}
