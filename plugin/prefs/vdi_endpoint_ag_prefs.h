// VDIEndpointAgPrefs: the agent's own preferences: a view on the process's
// variable environment that knows the agent's seventeen option names, gives
// them their agent-level defaults, loads the agent's registry sections,
// applies "-o name=value" arguments, derives the values that depend on each
// other and validates "Disabled" and "UploadPeriod".
//
// Order of a load: defaults, registry sections, arguments, derivations,
// validation; the last set of a variable wins, so registry values replace the
// defaults and arguments replace both, while a fixed variable keeps its value.
//
// Threads: like EnvPreferencesC (no lock). Start loads on the host's thread
// before the monitor thread exists; the monitor thread reloads between its
// cycles; nothing else writes the environment meanwhile.
#pragma once

#include <cstdint>

#include "config/prefs/env_preferences.h"

class VDIEndpointAgPrefs : public EnvPreferencesC {
 public:
  // productVersion: the module's version string for "ProductVersion",
  // stored as "Version" by every setDefaults.
  explicit VDIEndpointAgPrefs(const StringC& productVersion, env_EnvironmentI* environment = nullptr);
  ~VDIEndpointAgPrefs() override;

  // 10: the agent's option of that name (same length, same characters), else
  // a new option of that name with no flags.
  void findOption(env_EnvOptsC& out, const StringC& name) override;

  // 26: setDefaults, addSections, applyArguments, prepare, deriveDefaults,
  // validate; the first negative status ends it and is returned.
  virtual int32_t loadPreferences(int argc, const char* const* argv);
  // 27: clears the agent's variables (but "MachineName", "MachineId",
  // "UserId"), sets the defaults again and reloads the registry sections.
  virtual void reloadPreferences();
  virtual int32_t setDefaults();                                    // 28
  virtual int32_t deriveDefaults();                                 // 29
  virtual int32_t addSections();                                    // 30
  virtual int32_t applyArguments(int argc, const char* const* argv);  // 31
  virtual int32_t prepare();                                        // 32
  // 33: an invalid "Disabled" becomes "True", an "UploadPeriod" that is not
  // a number above 0 becomes "60"; each logged (letter P, number 2).
  virtual int32_t validate();

  // The option table, in its declared order (17 names).
  static const env_EnvOptsC* const* options();

 private:
  StringC productVersion_;
};
