// EnvPreferencesC: a view on a variable environment through which code
// sets, reads, expands, tests and removes preference variables. Views are
// cheap (create them on the stack); the environment is not theirs. Without
// an environment a view attaches to the process's (QBContextC).
//
// Fixed variables: X is fixed when its own name ends in "Fxd" (4 characters
// or more) or "Fixed" (6 or more), or when the variable X + "Fixed" or
// X + "Fxd" exists and reads as boolean true. A set without `force` of a
// fixed variable does nothing (traced).
//
// Reads never fail: an unknown variable reads as "" (or its literal
// reference with unknownAsEmpty off), an exhausted depth as "", a boolean
// read that is neither word gives the caller's default.
//
// Threads: no lock, like the environment. Fill on one thread before others
// read. Slot order of the virtual operations is part of the contract;
// subclasses (the agent's preferences) add theirs after slot 25.
#pragma once

#include <cstdint>
#include <memory>

#include "config/prefs/env_environment.h"
#include "config/prefs/env_opts.h"
#include "runtime/strings/string_array.h"
#include "runtime/strings/string_c.h"

class EnvPreferencesC {
 public:
  explicit EnvPreferencesC(env_EnvironmentI* environment = nullptr);
  EnvPreferencesC(const EnvPreferencesC&) = delete;
  EnvPreferencesC& operator=(const EnvPreferencesC&) = delete;

  virtual ~EnvPreferencesC();  // 0

  // 1, 2: `list` (borrowed; null: nothing happens) replaces the variable's
  // values; an element that is exactly "$(" + name + ")" stands for the
  // values the variable had (each expanded), in their order.
  virtual void setList(const env_EnvOptsC& name, const StringArrayC* list, bool force);
  virtual void setList(const StringC& name, const StringArrayC* list, bool force);
  // 3, 4: a multi-valued variable gets `text` appended, any other replaced;
  // the variable is created when missing.
  virtual void set(const env_EnvOptsC& name, const StringC& text, bool force);
  virtual void set(const StringC& name, const StringC& text, bool force);
  // 5, 6: the expanded value when expandOnRead and `expand`, else the raw
  // text ("" for an unknown variable).
  virtual void get(StringC& out, const env_EnvOptsC& name, bool expand);
  virtual void get(StringC& out, const StringC& name, bool expand);
  // 7, 8: every element, each read like get; owned by the caller, empty
  // when the variable does not exist.
  virtual StringArrayC* getList(const env_EnvOptsC& name, bool expand);
  virtual StringArrayC* getList(const StringC& name, bool expand);
  // 9: an arbitrary text expanded (depth 10), not as a name.
  virtual void expandText(StringC& out, const StringC& text);
  // 10: the name with its options: 0 here; subclasses declare theirs.
  virtual void findOption(env_EnvOptsC& out, const StringC& name);
  // 11: makes `name` a list when it is not one (keeping its text as the
  // first element) and appends `text`, unless the variable is fixed.
  virtual void appendToList(const StringC& name, const StringC& text);
  // 12: the environment this view works on.
  virtual env_EnvironmentI* environment();
  // 13, 14: no variable, or a single value whose read (get with expand)
  // is "".
  virtual bool isEmpty(const env_EnvOptsC& name);
  virtual bool isEmpty(const StringC& name);
  // 15, 16
  virtual bool exists(const env_EnvOptsC& name);
  virtual bool exists(const StringC& name);
  virtual bool expandOnRead() const;              // 17
  virtual void setExpandOnRead(bool on);          // 18
  virtual bool unknownAsEmpty() const;            // 19
  virtual void setUnknownAsEmpty(bool on);        // 20
  // 21, 22: the read (get with expand) compared exactly with "True" or
  // "Yes" (true) and "False" or "No" (false); any other text, "1" and
  // "true" included, gives `fallback`.
  virtual bool getBoolean(const env_EnvOptsC& name, bool fallback);
  virtual bool getBoolean(const StringC& name, bool fallback);
  // 23, 24
  virtual void remove(const env_EnvOptsC& name);
  virtual void remove(const StringC& name);
  // 25: attaches to the process's environment (QBContextC).
  virtual void reattach();

  // Not slots: conveniences over the ones above.
  bool isFixed(const StringC& name);
  StringC value(const StringC& name);  // get with expand
  static StringC text(const char* utf8) { return StringC::fromUtf8(utf8); }

 protected:
  // The expansion of variable `name`, reading its current element.
  StringC expandedValue(const StringC& name, QblEnvParamI* p);

 private:
  env_EnvironmentI* env_;
  bool expandOnRead_ = true;
  bool unknownAsEmpty_ = true;
};
