// The declared defaults of a key node's registry variables (the suite's
// declaration table) as preference texts: strings as declared, 32-bit
// integers in decimal, booleans "True" or "False". seedDeclaredDefaults sets
// the named ones without force, so a registry load or a run-time set made
// later replaces them and a fixed variable keeps its value; a name the node
// does not declare is skipped. Caller's thread.
#pragma once

#include <initializer_list>

#include "config/prefs/env_preferences.h"
#include "config/tables/conf_declarations.h"

// False when `key` declares no variable `name`.
bool declaredDefault(ConfKeyE key, const char* name, StringC& out);

void seedDeclaredDefaults(EnvPreferencesC& prefs, ConfKeyE key, std::initializer_list<const char*> names);
