#include <windows.h>

#include "platform/event.h"

namespace platform {

struct EventC::Impl {
  HANDLE h;
};

EventC::EventC() {
  HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (h) {
    impl_.reset(new Impl{h});
  } else {
    error_ = GetLastError();
  }
}

EventC::~EventC() {
  if (impl_) CloseHandle(impl_->h);
}

bool EventC::valid() const { return impl_ != nullptr; }

void EventC::set() {
  if (impl_) SetEvent(impl_->h);
}

void EventC::reset() {
  if (impl_) ResetEvent(impl_->h);
}

uint32_t EventC::wait(uint32_t ms) {
  if (!impl_) return kWaitFailed;
  return WaitForSingleObject(impl_->h, ms == 0xFFFFFFFFu ? INFINITE : ms);
}

}  // namespace platform
