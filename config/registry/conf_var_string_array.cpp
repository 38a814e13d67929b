#include "config/registry/conf_var_string_array.h"

#include "config/registry/trace_modules.h"
#include "config/registry/trace_scope.h"

namespace {

StringC joined(const StringArrayC& list) {
  StringC text;
  for (int32_t i = 0; i < list.count(); ++i) {
    if (i > 0) text += StringC::fromUtf8(";");
    text += list.at(i);
  }
  return text;
}

}  // namespace

ConfVarStringArrayC::ConfVarStringArrayC(ConfVarStateC& state, ConfVarC* parent, const char* valueName,
                                         uint32_t flags)
    : ConfVarC(state, parent, kStringArray, nullptr, valueName, nullptr, flags, nullptr) {}

ConfVarStringArrayC::~ConfVarStringArrayC() = default;

StringArrayC ConfVarStringArrayC::getValue() {
  // Re-entered from inside a read on this thread: answer what is known.
  if (state().variableLockHeldByCaller()) return values_ ? *values_ : StringArrayC();
  SpinLockGuardC guard(state().variableLock());
  if (freshOrMarkRead(state().now100ns()) && values_) return *values_;
  traceIndented(kRegistryGetModule, "Getting string array ConfVar value");
  TraceScopeC scope(kRegistryGetModule);
  StringC text;
  auto list = std::make_unique<StringArrayC>();
  switch (fetch(text, list.get())) {
    case FetchedE::kOverride:
      break;
    case FetchedE::kRegistry:
      traceIndented(kRegistryGetModule, "Registry value %S=%S", name(), joined(*list));
      break;
    case FetchedE::kDefault:
      list->clear();
      traceIndented(kRegistryGetModule, "Default value %S=%S", name(), StringC());
      break;
  }
  values_ = std::move(list);
  return *values_;
}

bool ConfVarStringArrayC::hasValues() {
  SpinLockGuardC guard(state().variableLock());
  return values_ != nullptr;
}
