// ConfVarStateC: what the registry configuration variables of one
// declaration tree share. The process has one, inside the tree that
// confTree() builds; a test makes its own to start from a clean slate.
//
//  - where the registry is read: the suite's registry context (or one the
//    embedding program or a test puts in front of it);
//  - the monotonic clock of the five-second freshness window;
//  - the variable lock: one spin lock for all variables, held from a
//    variable's freshness decision to the store of its new value, and while
//    path caches are filled;
//  - the three alternate-hive strings and the alternate-hive lock that
//    guards them; each is absent until found and never changes once set;
//  - the override table: variable (override) name -> StringArrayC.
//
// The state must outlive every variable built on it, and the registry
// context and clock given to it must outlive the state.
#pragma once

#include <cstdint>

#include "runtime/locks/spin_lock.h"
#include "runtime/strings/hash_map.h"
#include "runtime/strings/string_array.h"
#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"

class ConfVarStateC {
 public:
  // A monotonic clock in 100-nanosecond units; only differences mean
  // anything. Must never go backwards in production; a reading before the
  // last read counts as stale, so a clock that does cannot freeze a value.
  using ClockFn = int64_t (*)();

  enum class HiveE {
    kUserFromUserRoot,     // "UserAlternateRegistryHive" read from HKEY_CURRENT_USER
    kUserFromMachineRoot,  // the same value read from HKEY_LOCAL_MACHINE
    kMachine,              // "MachineAlternateRegistryHive" from HKEY_LOCAL_MACHINE
  };

  // registry null: the suite's own (common_services::registryContext());
  // clock null: platform::monotonicNow100ns.
  explicit ConfVarStateC(tnw::RegistryContextI* registry = nullptr, ClockFn clock = nullptr);
  ~ConfVarStateC();
  ConfVarStateC(const ConfVarStateC&) = delete;
  ConfVarStateC& operator=(const ConfVarStateC&) = delete;

  tnw::RegistryContextI& registry() const { return *registry_; }
  tnw::RegistryServiceI& service() const { return *registry_->service(); }
  // The remote machine the context names; empty for the local machine.
  StringC remoteMachineName() const;
  int64_t now100ns() const { return clock_(); }

  SpinLockWord& variableLock() { return variableLock_; }
  // Whether the calling thread holds the variable lock: a read that comes
  // back into a read (a trace or a registry call that reads a variable) must
  // not take it again, since the lock is not recursive.
  bool variableLockHeldByCaller() const;

  // Stores `path` unless that hive is already set (then false, and the
  // stored one stays). Takes the alternate-hive lock; any thread.
  bool setAltHive(HiveE which, const StringC& path);
  // The hive in `out`; false (out untouched) while it is absent.
  bool altHive(HiveE which, StringC& out) const;

  // Adds an entry to the override table. The array stays the caller's and
  // must outlive the state. Takes the variable lock: never call it from
  // inside a read.
  void addOverride(const StringC& name, StringArrayC* values);
  // The first entry of `name`, or null. The caller holds the variable lock.
  StringArrayC* findOverrideLocked(const StringC& name) const;

 private:
  tnw::RegistryContextI* registry_;
  ClockFn clock_;
  SpinLockWord variableLock_{0};
  mutable SpinLockWord altHiveLock_{0};
  StringC hives_[3];
  bool hivePresent_[3] = {false, false, false};
  StringMapM<StringArrayC*> overrides_;
};
