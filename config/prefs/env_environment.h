// The variable environment: variable names to parameters (env_params.h).
// Names compare without regard to case, as Windows compares registry value
// and environment names ("delay" in the registry sets "Delay"); a variable
// keeps the spelling it was created with.
//
// No lock: the process's environment is filled on the start path before
// the monitor thread reads it. Pointers to parameters stay valid until the
// name is removed, replaced or the environment is cleared or assigned.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/prefs/env_params.h"
#include "runtime/strings/hash_map.h"
#include "runtime/strings/string_c.h"

// The form in which names are compared: ASCII names folded by a table, any
// other through the text service's lower case.
std::string env_nameKey(std::string_view name);

class env_EnvironmentI {
 public:
  virtual ~env_EnvironmentI() = default;
  // The parameter of `name`, or null.
  virtual QblEnvParamI* find(const StringC& name) = 0;
  // The parameter of `name`; when none exists an empty one is created, a
  // list when `multiValued`, else a single text.
  virtual QblEnvParamI* param(const StringC& name, bool multiValued) = 0;
  virtual bool exists(const StringC& name) = 0;
  // False when there was no such variable.
  virtual bool remove(const StringC& name) = 0;
  // Puts `p` (taken over; not null) under `name`, replacing a parameter of
  // that name.
  virtual void store(const StringC& name, std::unique_ptr<QblEnvParamI> p) = 0;
};

class env_EnvironmentC final : public env_EnvironmentI {
 public:
  env_EnvironmentC() = default;
  // Deep copies: every parameter is cloned.
  env_EnvironmentC(const env_EnvironmentC& other);
  env_EnvironmentC& operator=(const env_EnvironmentC& other);
  ~env_EnvironmentC() override;

  QblEnvParamI* find(const StringC& name) override;
  QblEnvParamI* param(const StringC& name, bool multiValued) override;
  bool exists(const StringC& name) override { return find(name) != nullptr; }
  bool remove(const StringC& name) override;
  void store(const StringC& name, std::unique_ptr<QblEnvParamI> p) override;

  void clear();
  uint32_t count() const { return map_.count(); }
  // The variables' names as created, in no particular order.
  std::vector<StringC> names() const;

 private:
  struct EntryC {
    StringC name;
    std::unique_ptr<QblEnvParamI> param;
  };
  EntryC* entry(const StringC& name) const;

  HashMapM<StringC, EntryC*, StringMapHashC> map_;
};
