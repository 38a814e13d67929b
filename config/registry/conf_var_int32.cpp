#include "config/registry/conf_var_int32.h"

#include <climits>

#include "config/registry/trace_modules.h"
#include "config/registry/trace_scope.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int digitValue(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d < base ? d : -1;
}

}  // namespace

ConfVarInt32C::ConfVarInt32C(ConfVarStateC& state, ConfVarC* parent, const char* overrideName,
                             const char* valueName, uint32_t flags, int32_t defaultValue, int32_t minimum,
                             int32_t maximum)
    : ConfVarC(state, parent, kInt32, overrideName, valueName, nullptr, flags, nullptr),
      defaultValue_(defaultValue),
      minimum_(minimum),
      maximum_(maximum) {}

bool ConfVarInt32C::parseNumber(std::string_view text, int64_t& out) {
  size_t i = 0, end = text.size();
  while (i < end && isBlank(text[i])) ++i;
  while (end > i && isBlank(text[end - 1])) --end;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (end - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == end) return false;
  uint64_t magnitude = 0;
  bool saturated = false;
  for (; i < end; ++i) {
    const int d = digitValue(text[i], base);
    if (d < 0) return false;
    if (magnitude > (static_cast<uint64_t>(INT64_MAX) - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base))
      saturated = true;
    else
      magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  if (saturated) magnitude = static_cast<uint64_t>(INT64_MAX);
  out = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

int32_t ConfVarInt32C::getValue() {
  // Re-entered from inside a read on this thread: answer what is known.
  if (state().variableLockHeldByCaller()) return sourceLocked() == kSourceNotRead ? defaultValue_ : currentValue_;
  SpinLockGuardC guard(state().variableLock());
  if (freshOrMarkRead(state().now100ns())) return currentValue_;
  traceIndented(kRegistryGetModule, "Getting int32 ConfVar value");
  TraceScopeC scope(kRegistryGetModule);
  StringC text;
  const FetchedE fetched = fetch(text);
  int64_t number = 0;
  if (fetched != FetchedE::kDefault && !parseNumber(text.utf8(), number))
    traceIndented(kRegistryGetModule, "Registry value %S=\"%S\" is not a number; the default is used", name(), text);
  else if (fetched != FetchedE::kDefault) {
    if (number < minimum_ || number > maximum_) {
      number = number < minimum_ ? minimum_ : maximum_;
      traceIndented(kRegistryGetModule, "Registry value %S=%S is outside %d..%d; %d is used", name(), text, minimum_,
                    maximum_, static_cast<int32_t>(number));
    }
    currentValue_ = static_cast<int32_t>(number);
    if (fetched == FetchedE::kRegistry) traceIndented(kRegistryGetModule, "Registry value %S=%d", name(), currentValue_);
    return currentValue_;
  }
  currentValue_ = defaultValue_;
  traceIndented(kRegistryGetModule, "Default value %S=%d", name(), currentValue_);
  return currentValue_;
}

void ConfVarInt32C::resetToDefault() {
  SpinLockGuardC guard(state().variableLock());
  currentValue_ = defaultValue_;
}

int32_t ConfVarInt32C::currentValue() {
  SpinLockGuardC guard(state().variableLock());
  return currentValue_;
}
