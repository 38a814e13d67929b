#include <pthread.h>
#include <time.h>

#include <cerrno>

#include "platform/event.h"
#include "platform/win32_error.h"

namespace platform {

struct EventC::Impl {
  pthread_mutex_t mutex;
  pthread_cond_t cond;
  bool signalled = false;
};

EventC::EventC() : impl_(new Impl) {
  pthread_mutex_init(&impl_->mutex, nullptr);
  pthread_condattr_t attr;
  pthread_condattr_init(&attr);
  pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
  pthread_cond_init(&impl_->cond, &attr);
  pthread_condattr_destroy(&attr);
}

EventC::~EventC() {
  if (!impl_) return;
  pthread_cond_destroy(&impl_->cond);
  pthread_mutex_destroy(&impl_->mutex);
}

bool EventC::valid() const { return impl_ != nullptr; }

void EventC::set() {
  pthread_mutex_lock(&impl_->mutex);
  impl_->signalled = true;
  pthread_cond_broadcast(&impl_->cond);
  pthread_mutex_unlock(&impl_->mutex);
}

void EventC::reset() {
  pthread_mutex_lock(&impl_->mutex);
  impl_->signalled = false;
  pthread_mutex_unlock(&impl_->mutex);
}

uint32_t EventC::wait(uint32_t ms) {
  if (!impl_) return kWaitFailed;
  pthread_mutex_lock(&impl_->mutex);
  if (ms == kInfinite) {
    while (!impl_->signalled) pthread_cond_wait(&impl_->cond, &impl_->mutex);
  } else if (!impl_->signalled && ms > 0) {
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000L;
    }
    while (!impl_->signalled) {
      if (pthread_cond_timedwait(&impl_->cond, &impl_->mutex, &deadline) == ETIMEDOUT) break;
    }
  }
  const bool signalled = impl_->signalled;
  pthread_mutex_unlock(&impl_->mutex);
  return signalled ? kWaitObject0 : kWaitTimeout;
}

}  // namespace platform
