// env_EnvOptsC: a variable's name with its option bits, as the preferences
// objects pass names around. A value type: copy it freely; not shared.
#pragma once

#include <cstdint>

#include "runtime/strings/string_c.h"

class env_EnvOptsC {
 public:
  // The variable holds an ordered list: a set appends, a read gives the
  // element at the list's cursor.
  static constexpr uint32_t kMultiValued = 1u << 1;

  env_EnvOptsC() = default;
  explicit env_EnvOptsC(const StringC& name, uint32_t options = 0) : name_(name), options_(options) {}
  env_EnvOptsC(const env_EnvOptsC&) = default;
  env_EnvOptsC& operator=(const env_EnvOptsC&) = default;

  virtual StringC getName() const { return name_; }                       // 0
  virtual void setName(const StringC& name) { name_ = name; }             // 1
  // True when every bit of `mask` is set.
  virtual bool hasOptions(uint32_t mask) const { return (options_ & mask) == mask; }  // 2
  virtual void setOptions(uint32_t mask, bool on) { options_ = on ? options_ | mask : options_ & ~mask; }  // 3
  virtual uint32_t options() const { return options_; }                   // 4
  virtual StringC name() const { return name_; }                          // 5
  virtual ~env_EnvOptsC() = default;                                      // 6

  bool isMultiValued() const { return hasOptions(kMultiValued); }

 private:
  StringC name_;
  uint32_t options_ = 0;
};
