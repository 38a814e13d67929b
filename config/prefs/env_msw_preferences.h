// EnvMSWPreferencesC: loads preference variables from the registry into a
// target preferences object (itself when none is given), through the
// suite's registry service (never the OS directly).
//
// A component's values come from its normal key, "HKLM\" (machine) or
// "HKCU\" + "Software\Tarnwell Corp\Tarnwell" + the component's key suffix,
// then from its policy key: the same root, the expanded variable
// "MachineAlternateRegistryHive" / "UserAlternateRegistryHive" (or
// "Software\Policies\Tarnwell Corp\Tarnwell" when it is empty), the same
// suffix. Policy values are set after normal ones, so they win unless the
// normal key fixed the variable. Every set is without force, except the
// Fixed/Fxd companions of a value: they are fixed by their own names, so
// only a forced set can store them.
//
// Values are read in the 32-bit view, as the 32-bit agent's keys live
// there. A missing key loads nothing; a value that cannot be read gives
// 0x80004005 (traced) and the load goes on.
//
// Threads: as EnvPreferencesC. The registry service is borrowed and must
// outlive the object.
#pragma once

#include <cstdint>

#include "config/prefs/env_preferences.h"
#include "tnwcmn/tnwcmn.h"

class EnvMSWPreferencesC : public EnvPreferencesC {
 public:
  // `registry` null: the common library's registry service.
  EnvMSWPreferencesC(env_EnvironmentI* environment = nullptr, EnvPreferencesC* target = nullptr,
                     tnw::RegistryServiceI* registry = nullptr);
  ~EnvMSWPreferencesC() override;

  // 26: the component's normal and policy keys. Returns 0, or the last
  // failure of a value read (0x80004005).
  virtual tnw::Status loadComponent(const StringC& component, bool machine, const StringC& separators);
  // 27: every value of an open key, but those whose names end in "Fixed"
  // (6 characters or more) or "Fxd" (4 or more), which are read with the
  // value they belong to.
  virtual tnw::Status loadKey(tnw::RegKey key, const StringC& separators);
  // 28: "HKLM\..." or "HKCU\..." (also "HKEY_LOCAL_MACHINE\...",
  // "HKEY_CURRENT_USER\..."); another root loads nothing and gives
  // 0x80070057.
  virtual tnw::Status loadKeyPath(const StringC& path, const StringC& separators);
  // 29: serves the suite's other components, not this agent; kept so that
  // the slots after it keep their numbers. Answers E_NOTIMPL (0x80004001).
  virtual tnw::Status reserved29();
  // 30: one named value of a component, from both keys.
  virtual tnw::Status loadComponentValue(const StringC& component, bool machine, const StringC& name,
                                         const StringC& separators);
  // 31: value `name` of an open key into the target, then its companions
  // name + "Fxd" and name + "Fixed" when present (forced). A REG_MULTI_SZ
  // gives a list (a single-valued variable gets the items joined with ";");
  // any other type is read as text and, for a multi-valued variable, split
  // at any of `separators`.
  virtual tnw::Status readValue(tnw::RegKey key, const StringC& name, const StringC& separators);

  // The two keys of a component: "HKLM\Software\Tarnwell Corp\Tarnwell\..."
  StringC normalKeyPath(const StringC& component, bool machine);
  StringC policyKeyPath(const StringC& component, bool machine);

  EnvPreferencesC& target() { return *target_; }

 private:
  tnw::Status loadPath(const StringC& path, const StringC* onlyValue, const StringC& separators);
  bool readList(tnw::RegKey key, const StringC& name, StringArrayC& out);
  bool readText(tnw::RegKey key, const StringC& name, StringC& out);

  EnvPreferencesC* target_;
  tnw::RegistryServiceI* registry_;
};
