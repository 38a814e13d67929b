// A manual-reset event, as CreateEvent(NULL, TRUE, FALSE, NULL) gives.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/win32_error.h"

namespace platform {

inline constexpr uint32_t kWaitObject0 = 0;
inline constexpr uint32_t kWaitTimeout = 258;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

class EventC {
 public:
  // Not signalled. valid() is false when the system refused the event;
  // creationError() then holds the Win32 error.
  EventC();
  ~EventC();
  EventC(const EventC&) = delete;
  EventC& operator=(const EventC&) = delete;

  bool valid() const;
  uint32_t creationError() const { return error_; }

  void set();
  void reset();
  // WaitForSingleObject: kWaitObject0 when signalled, kWaitTimeout when the
  // time ran out, kWaitFailed without an event. kInfinite waits for ever.
  uint32_t wait(uint32_t ms);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  uint32_t error_ = 0;
};

}  // namespace platform
