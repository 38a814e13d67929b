// Indented trace scopes.
//
// The suite's log service writes every line as it is given and knows no
// nesting, so the depth lives here, one per thread: while TraceScopeC
// objects are open on a thread, traceIndented() on that thread puts two
// blanks per open scope before the text (the default depth multiplier of the
// log's IndentedTraceC). A scope counts only when its module is on at the
// moment it opens, so no line is indented below a header that was never
// written. Depths beyond kMaxDepth indent no further.
//
// Any thread may use both; a scope must close on the thread that opened it
// (it is a scope object, so it does).
#pragma once

#include "runtime/messages/log_module.h"
#include "runtime/strings/arg_list.h"

class TraceScopeC {
 public:
  static constexpr int kSpacesPerLevel = 2;
  static constexpr int kMaxDepth = 16;

  explicit TraceScopeC(const LogModuleC& module);
  ~TraceScopeC();
  TraceScopeC(const TraceScopeC&) = delete;
  TraceScopeC& operator=(const TraceScopeC&) = delete;

  // The open, counted scopes of the calling thread.
  static int depth();

 private:
  bool counted_;
};

// One trace line of `module`, indented by the calling thread's depth. Formats
// nothing when the module is off.
void traceIndentedList(const LogModuleC& module, const char* format, const ArgListC& args);

template <typename... A>
void traceIndented(const LogModuleC& module, const char* format, const A&... args) {
  if (module.enabled()) traceIndentedList(module, format, ArgListC::of(args...));
}
