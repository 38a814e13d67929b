// The trace module of the preferences: registry loads, values refused
// because a variable is fixed, expansions stopped by their budget.
// Constant-initialised, so static objects may trace.
#pragma once

#include "runtime/messages/log_module.h"

inline constinit const LogModuleC kPreferencesModule{"Configuring/Preferences"};
