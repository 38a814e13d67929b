// ThreadC: a system thread whose work is the subclass's run().
//
// Construction creates the thread suspended and enters the object in the
// process-wide thread map (keyed by thread identifier; the first use of the
// map also enters a MainThreadC record for the calling thread). start()
// lets it run. When run() returns the thread is a zombie until its object is
// destroyed: the framework counts zombies and broadcasts "Zombie Threads"
// whenever a thread finishes.
//
// Destroying the object of a thread that has not finished ends the thread:
// TerminateThread on Windows. Linux has no way to end a running thread from
// outside: a thread that never started is released without running, and
// the destruction of a running one is reported (0xE18D01F5, error 5) and
// then waits for run() to return.
//
// An object handed to the framework with releaseToFramework() belongs to it:
// it is destroyed once its thread has finished, when the framework next
// reaps (at every thread creation and at reapFinished()).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/thread.h"
#include "runtime/threads/condition.h"
#include "runtime/locks/spin_lock.h"
#include "tnwcmn/tnwcmn.h"

class ThreadC {
 public:
  enum State : int32_t { kCreated = 0, kRunning = 1, kFinished = 2 };

  ThreadC();
  virtual ~ThreadC();
  ThreadC(const ThreadC&) = delete;
  ThreadC& operator=(const ThreadC&) = delete;

  virtual uint32_t run() = 0;

  // ResumeThread; nothing without a handle.
  void start();
  // The framework owns (and will destroy) the object from now on. Call it
  // after start(), and don't touch the object afterwards.
  void releaseToFramework();

  static void sleep(uint32_t ms);  // 0 counts as 1

  uint32_t id() const { return id_.load(); }
  State state() const { return static_cast<State>(state_.load()); }
  bool hasHandle() const { return handle_ != nullptr; }
  bool setLowestPriority();

  static int32_t zombieCount();
  // "Zombie Threads", created on first need.
  static ConditionC& zombieCondition();
  // Destroys the finished threads the framework owns; returns how many.
  // waitForExit false: only those whose system thread has fully ended (for
  // the library's unload, where waiting on a thread can deadlock).
  static int reapFinished(bool waitForExit = true);
  // Waits until the framework-owned thread `object` (with identifier `id`)
  // has ended as a system thread, then destroys it; returns at once when it
  // is no longer in the map (another reaper destroyed it). For a caller that
  // must know the thread has left this library's code (a host may unload it
  // next). Never from the thread itself, nor under the loader lock.
  static void awaitEnd(const ThreadC* object, uint32_t id);
  // The number of entries of the thread map (tests).
  static uint32_t mapCount();
  static ThreadC* mainThread();

 protected:
  struct MainTag {};
  explicit ThreadC(MainTag);

 private:
  friend class MainThreadC;
  static uint32_t entry(void* self);
  static void enterInMap(ThreadC* t);

  std::atomic<uint32_t> id_{0};
  std::atomic<int32_t> state_{kCreated};
  tnw::ErrorThreadI* errorContext_ = nullptr;
  platform::ThreadHandle handle_ = nullptr;
  std::atomic<bool> owned_{false};
  bool main_ = false;
};

// The record of the thread that first used the thread map. run() is never
// called; its handle is a duplicate of the thread's own.
class MainThreadC final : public ThreadC {
 public:
  MainThreadC();
  ~MainThreadC() override;
  uint32_t run() override { return 0; }
};
