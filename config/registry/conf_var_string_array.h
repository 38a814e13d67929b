// ConfVarStringArrayC: a list-valued registry configuration variable. It
// has no default: where no place holds it, the list is empty.
#pragma once

#include <cstdint>
#include <memory>

#include "config/registry/conf_var.h"
#include "runtime/strings/string_array.h"

class ConfVarStringArrayC : public ConfVarC {
 public:
  static constexpr TypeCode kTypeCode = kStringArray;

  ConfVarStringArrayC(ConfVarStateC& state, ConfVarC* parent, const char* valueName, uint32_t flags);
  ~ConfVarStringArrayC() override;

  // As ConfVarBooleanC::getValue, the items of a REG_MULTI_SZ as stored, or
  // any other value's text split at ";" with empty items dropped; an
  // override gives its whole list. A copy: later reads never change it.
  StringArrayC getValue();
  // Whether a read has stored a list yet (the variable lock is taken).
  bool hasValues();

 private:
  std::unique_ptr<StringArrayC> values_;
};
