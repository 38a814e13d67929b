// ConfVarStringC: a text registry configuration variable. The text is
// returned as stored: $(...) references are the preferences' business.
#pragma once

#include <cstdint>

#include "config/registry/conf_var.h"

class ConfVarStringC : public ConfVarC {
 public:
  static constexpr TypeCode kTypeCode = kString;

  // defaultText is UTF-8 with kFlagUtf8, else system 8-bit text; null is
  // the empty text.
  ConfVarStringC(ConfVarStateC& state, ConfVarC* parent, const char* overrideName, const char* valueName,
                 const char* envName, uint32_t flags, const char* attribute, const char* defaultText);

  // As ConfVarBooleanC::getValue, with the registry's text (a DWORD as
  // decimal, a REG_MULTI_SZ joined with ";") or the override's first
  // string taken as it is.
  StringC getValue();
  void resetToDefault() override;

  const StringC& defaultValue() const { return defaultValue_; }
  StringC currentValue();

 private:
  StringC defaultValue_;
  StringC currentValue_;
};
