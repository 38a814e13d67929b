// LogModuleC: a module of the suite's log service (a trace source such as
// "Communication/Thread"). The module's enable word is resolved once, on
// first use; after that a trace of a module that is off costs one load of
// that word and formats nothing. Safe to use from several threads; declare
// modules as static objects.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/strings/arg_list.h"

class LogModuleC {
 public:
  explicit constexpr LogModuleC(const char* name) : name_(name) {}

  const char* name() const { return name_; }
  bool enabled() const;

  void traceList(const char* format, const ArgListC& args) const;

  template <typename... A>
  void trace(const char* format, const A&... args) const {
    if (enabled()) traceList(format, ArgListC::of(args...));
  }

 private:
  const char* name_;
  mutable std::atomic<int32_t*> word_{nullptr};
};
