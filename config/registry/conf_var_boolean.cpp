#include "config/registry/conf_var_boolean.h"

#include <string_view>

#include "config/registry/trace_modules.h"
#include "config/registry/trace_scope.h"

ConfVarBooleanC::ConfVarBooleanC(ConfVarStateC& state, ConfVarC* parent, const char* overrideName,
                                 const char* valueName, uint32_t flags, const char* attribute, bool defaultValue)
    : ConfVarC(state, parent, kBoolean, overrideName, valueName, nullptr, flags, attribute),
      defaultValue_(defaultValue ? 1 : 0) {}

bool ConfVarBooleanC::textToBoolean(const StringC& text) {
  static constexpr std::string_view kTrueWords[] = {"true", "t", "1", "yes", "on", "ok", "enabled", "active"};
  const StringC lower = text.toLower();
  for (std::string_view word : kTrueWords)
    if (lower.utf8() == word) return true;
  return false;
}

bool ConfVarBooleanC::getValue() {
  // Re-entered from inside a read on this thread: answer what is known.
  if (state().variableLockHeldByCaller()) return (sourceLocked() == kSourceNotRead ? defaultValue_ : currentValue_) != 0;
  SpinLockGuardC guard(state().variableLock());
  if (freshOrMarkRead(state().now100ns())) return currentValue_ != 0;
  traceIndented(kRegistryGetModule, "Getting boolean ConfVar value");
  TraceScopeC scope(kRegistryGetModule);
  StringC text;
  bool value = false;
  switch (fetch(text)) {
    case FetchedE::kOverride:
      value = textToBoolean(text);
      break;
    case FetchedE::kRegistry:
      value = textToBoolean(text);
      traceIndented(kRegistryGetModule, "Registry value %S=%S", name(), booleanText(value));
      break;
    case FetchedE::kDefault:
      value = defaultValue_ != 0;
      traceIndented(kRegistryGetModule, "Default value %S=%S", name(), booleanText(value));
      break;
  }
  currentValue_ = value ? 1 : 0;
  return value;
}

void ConfVarBooleanC::resetToDefault() {
  SpinLockGuardC guard(state().variableLock());
  currentValue_ = defaultValue_;
}

bool ConfVarBooleanC::currentValue() {
  SpinLockGuardC guard(state().variableLock());
  return currentValue_ != 0;
}
