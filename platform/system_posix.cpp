#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

#include "platform/system.h"

namespace platform {

namespace {

// gettid is a system call (a microsecond in some virtual machines) and the
// spin locks ask for the caller's id on every acquire and release: the id is
// kept per thread. A forked child's one thread has a new id, so a fork makes
// every kept id stale.
std::atomic<uint32_t> forks{0};
void countFork() { forks.fetch_add(1, std::memory_order_relaxed); }

struct KeptId {
  uint32_t fork = 0xFFFFFFFFu;
  uint32_t id = 0;
};
thread_local KeptId kept;

}  // namespace

uint32_t currentThreadId() {
  static const bool watching = pthread_atfork(nullptr, nullptr, countFork) == 0;
  (void)watching;
  const uint32_t f = forks.load(std::memory_order_relaxed);
  if (kept.fork != f) {
    kept.id = static_cast<uint32_t>(syscall(SYS_gettid));
    kept.fork = f;
  }
  return kept.id;
}

bool threadIsAlive(uint32_t threadId) {
  if (threadId == 0) return false;
  return syscall(SYS_tgkill, getpid(), static_cast<pid_t>(threadId), 0) == 0 || errno == EPERM;
}

uint32_t processorCount() {
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<uint32_t>(n) : 1u;
}

void sleepMs(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

int64_t monotonicNow100ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100;
}

void setEnvironmentVariable(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

}  // namespace platform
