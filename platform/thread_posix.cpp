#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/system.h"
#include "platform/win32_error.h"
#include "platform/thread.h"

namespace platform {

namespace {

// Shared by the creator and the thread; freed by whichever lets go last.
struct PosixThread {
  pthread_t thread{};
  pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
  ThreadEntryFn entry = nullptr;
  void* arg = nullptr;
  uint32_t tid = 0;
  bool started = false;   // released from the gate
  bool cancelled = false; // released without running
  bool finished = false;
  bool selfHandle = false;
  int refs = 2;
};

void drop(PosixThread* t) {
  pthread_mutex_lock(&t->lock);
  const bool last = --t->refs == 0;
  pthread_mutex_unlock(&t->lock);
  if (last) delete t;
}

void* trampoline(void* p) {
  auto* t = static_cast<PosixThread*>(p);
  pthread_mutex_lock(&t->lock);
  t->tid = static_cast<uint32_t>(syscall(SYS_gettid));
  pthread_cond_broadcast(&t->cond);
  while (!t->started && !t->cancelled) pthread_cond_wait(&t->cond, &t->lock);
  const bool run = t->started && !t->cancelled;
  pthread_mutex_unlock(&t->lock);
  if (run) t->entry(t->arg);
  pthread_mutex_lock(&t->lock);
  t->finished = true;
  pthread_cond_broadcast(&t->cond);
  pthread_mutex_unlock(&t->lock);
  drop(t);
  return nullptr;
}

}  // namespace

ThreadHandle createThread(ThreadEntryFn entry, void* arg, uint32_t* id, uint32_t* error) {
  auto* t = new (std::nothrow) PosixThread;
  if (!t) {
    if (error) *error = kErrorNotEnoughMemory;
    return nullptr;
  }
  t->entry = entry;
  t->arg = arg;
  const int rc = pthread_create(&t->thread, nullptr, trampoline, t);
  if (rc != 0) {
    delete t;
    if (error) *error = win32FromErrno(rc);
    return nullptr;
  }
  pthread_mutex_lock(&t->lock);
  while (t->tid == 0) pthread_cond_wait(&t->cond, &t->lock);
  if (id) *id = t->tid;
  pthread_mutex_unlock(&t->lock);
  if (error) *error = 0;
  return t;
}

uint32_t resumeThread(ThreadHandle h) {
  auto* t = static_cast<PosixThread*>(h);
  if (!t || t->selfHandle) return kErrorInvalidHandle;
  pthread_mutex_lock(&t->lock);
  const bool ok = !t->cancelled;
  t->started = t->started || ok;
  pthread_cond_broadcast(&t->cond);
  pthread_mutex_unlock(&t->lock);
  return ok ? kErrorSuccess : kErrorInvalidHandle;  // ended before it ran
}

uint32_t terminateThread(ThreadHandle h, uint32_t) {
  auto* t = static_cast<PosixThread*>(h);
  if (!t || t->selfHandle) return kErrorInvalidHandle;
  pthread_mutex_lock(&t->lock);
  uint32_t result;
  if (t->finished) {
    result = kErrorInvalidParameter;
  } else if (!t->started) {
    t->cancelled = true;
    pthread_cond_broadcast(&t->cond);
    result = kErrorSuccess;
  } else {
    result = kErrorAccessDenied;
  }
  pthread_mutex_unlock(&t->lock);
  return result;
}

bool waitForThread(ThreadHandle h, uint32_t ms) {
  auto* t = static_cast<PosixThread*>(h);
  if (!t) return false;
  if (t->selfHandle) return false;
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += ms / 1000;
  deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) deadline.tv_sec += 1, deadline.tv_nsec -= 1000000000L;
  pthread_mutex_lock(&t->lock);
  while (!t->finished) {
    if (ms == kInfinite) {
      pthread_cond_wait(&t->cond, &t->lock);
    } else if (pthread_cond_timedwait(&t->cond, &t->lock, &deadline) == ETIMEDOUT) {
      break;
    }
  }
  const bool done = t->finished;
  pthread_mutex_unlock(&t->lock);
  return done;
}

void closeThread(ThreadHandle h) {
  auto* t = static_cast<PosixThread*>(h);
  if (!t) return;
  if (t->selfHandle) {
    delete t;
    return;
  }
  pthread_mutex_lock(&t->lock);
  const bool finished = t->finished;
  pthread_mutex_unlock(&t->lock);
  if (finished)
    pthread_join(t->thread, nullptr);
  else
    pthread_detach(t->thread);
  drop(t);
}

ThreadHandle duplicateCurrentThread() {
  auto* t = new (std::nothrow) PosixThread;
  if (!t) return nullptr;
  t->thread = pthread_self();
  t->tid = currentThreadId();
  t->started = true;
  t->selfHandle = true;
  return t;
}

uint32_t setLowestPriority(ThreadHandle h) {
  auto* t = static_cast<PosixThread*>(h);
  if (!t) return kErrorInvalidHandle;
  // Linux threads have their own nice value: the tid names just this one.
  return setpriority(PRIO_PROCESS, static_cast<id_t>(t->tid), 19) == 0 ? kErrorSuccess : win32FromErrno(errno);
}

}  // namespace platform
