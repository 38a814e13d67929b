// EnvLogSettingsC: the log manager's settings read from preference
// variables: value(name) is the expanded variable of that name, "" when
// unset. Borrows the preferences object, which must outlive it; threads as
// EnvPreferencesC (the log manager reads on the threads that log, so the
// environment must be filled before the manager is configured).
#pragma once

#include "config/prefs/env_preferences.h"
#include "log/log_settings.h"

class EnvLogSettingsC final : public log_LogSettingsI {
 public:
  explicit EnvLogSettingsC(EnvPreferencesC& prefs) : prefs_(prefs) {}
  StringC value(const char* name) override { return prefs_.value(StringC::fromUtf8(name)); }

 private:
  EnvPreferencesC& prefs_;
};
