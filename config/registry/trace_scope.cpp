#include "config/registry/trace_scope.h"

#include <string>

namespace {
thread_local int tDepth = 0;
}

TraceScopeC::TraceScopeC(const LogModuleC& module) : counted_(module.enabled()) {
  if (counted_) ++tDepth;
}

TraceScopeC::~TraceScopeC() {
  if (counted_) --tDepth;
}

int TraceScopeC::depth() { return tDepth; }

void traceIndentedList(const LogModuleC& module, const char* format, const ArgListC& args) {
  if (!module.enabled()) return;
  const int levels = tDepth < TraceScopeC::kMaxDepth ? tDepth : TraceScopeC::kMaxDepth;
  if (levels <= 0) {
    module.traceList(format, args);
    return;
  }
  std::string indented(static_cast<size_t>(levels * TraceScopeC::kSpacesPerLevel), ' ');
  indented += format;
  module.traceList(indented.c_str(), args);
}
