#include "config/registry/conf_var_string.h"

#include "config/registry/trace_modules.h"
#include "config/registry/trace_scope.h"

ConfVarStringC::ConfVarStringC(ConfVarStateC& state, ConfVarC* parent, const char* overrideName,
                               const char* valueName, const char* envName, uint32_t flags, const char* attribute,
                               const char* defaultText)
    : ConfVarC(state, parent, kString, overrideName, valueName, envName, flags, attribute),
      defaultValue_(defaultText, flags & kFlagUtf8 ? "utf8" : "system-8") {}

StringC ConfVarStringC::getValue() {
  // Re-entered from inside a read on this thread: answer what is known.
  if (state().variableLockHeldByCaller()) return sourceLocked() == kSourceNotRead ? defaultValue_ : currentValue_;
  SpinLockGuardC guard(state().variableLock());
  if (freshOrMarkRead(state().now100ns())) return currentValue_;
  traceIndented(kRegistryGetModule, "Getting string ConfVar value");
  TraceScopeC scope(kRegistryGetModule);
  StringC text;
  switch (fetch(text)) {
    case FetchedE::kOverride:
      break;
    case FetchedE::kRegistry:
      traceIndented(kRegistryGetModule, "Registry value %S=%S", name(), text);
      break;
    case FetchedE::kDefault:
      text = defaultValue_;
      traceIndented(kRegistryGetModule, "Default value %S=%S", name(), text);
      break;
  }
  currentValue_ = text;
  return text;
}

void ConfVarStringC::resetToDefault() {
  SpinLockGuardC guard(state().variableLock());
  currentValue_ = defaultValue_;
}

StringC ConfVarStringC::currentValue() {
  SpinLockGuardC guard(state().variableLock());
  return currentValue_;
}
