// ConfVarBooleanC: a boolean registry configuration variable
// ("EnableVirtAppUsageTracking").
#pragma once

#include <cstdint>

#include "config/registry/conf_var.h"

class ConfVarBooleanC : public ConfVarC {
 public:
  static constexpr TypeCode kTypeCode = kBoolean;

  ConfVarBooleanC(ConfVarStateC& state, ConfVarC* parent, const char* overrideName, const char* valueName,
                  uint32_t flags, const char* attribute, bool defaultValue);

  // The value of the first place of the search order that holds it (an
  // override, or a registry text converted by textToBoolean), else the
  // default; a read that fails after the search found the value also gives
  // the default. Within kFreshFor100ns of the last search the stored value
  // comes back at the cost of one lock, with no registry access and no
  // trace. Any thread; never fails.
  bool getValue();
  void resetToDefault() override;

  bool defaultValue() const { return defaultValue_ != 0; }
  // The value the last read stored (the variable lock is taken).
  bool currentValue();

  // True for "TRUE", "T", "1", "YES", "ON", "OK", "ENABLED" and "ACTIVE" in
  // any case, as the text service lowers them; anything else, the empty
  // text included, is false. A DWORD reads as its decimal text, so 1 is
  // true and 0 false.
  static bool textToBoolean(const StringC& text);
  // "True" or "False".
  static const char* booleanText(bool value) { return value ? "True" : "False"; }

 private:
  uint8_t defaultValue_;
  uint8_t currentValue_ = 0;
};
