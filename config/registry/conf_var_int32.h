// ConfVarInt32C: a signed 32-bit registry configuration variable with a
// range.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/registry/conf_var.h"

class ConfVarInt32C : public ConfVarC {
 public:
  static constexpr TypeCode kTypeCode = kInt32;

  ConfVarInt32C(ConfVarStateC& state, ConfVarC* parent, const char* overrideName, const char* valueName,
                uint32_t flags, int32_t defaultValue, int32_t minimum, int32_t maximum);

  // As ConfVarBooleanC::getValue, the text read by parseNumber: a number
  // outside minimum..maximum is clamped to the nearer end and traced; a text
  // that is no number is traced and gives the default.
  int32_t getValue();
  void resetToDefault() override;

  int32_t defaultValue() const { return defaultValue_; }
  int32_t minimum() const { return minimum_; }
  int32_t maximum() const { return maximum_; }
  int32_t currentValue();

  // Decimal ("-12") or hexadecimal after "0x" or "0X" ("0x1F"), with an
  // optional sign and blanks around; a DWORD arrives as decimal text.
  // Beyond the 64-bit range the number saturates. false (out untouched)
  // for anything else, the empty text included.
  static bool parseNumber(std::string_view text, int64_t& out);

 private:
  int32_t defaultValue_;
  int32_t minimum_;
  int32_t maximum_;
  int32_t currentValue_ = 0;
};
