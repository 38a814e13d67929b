#include <errno.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "platform/system.h"

namespace platform {

uint32_t currentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

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

}  // namespace platform
