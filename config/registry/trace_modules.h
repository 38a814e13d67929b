// The trace modules of the registry configuration variables. Both are
// constant-initialised, so traces from other static objects are safe.
#pragma once

#include "runtime/messages/log_module.h"

// Where a variable looks: "Looking for", "Searching", "Found", "Failed to
// find" and the alternate-hive readers.
inline constinit const LogModuleC kRegistrySearchModule{"Configuring/Registry/Search"};
// What a read yields: "Getting ... ConfVar value", "Registry value",
// "Default value" and the notes on values that were refused or clamped.
inline constinit const LogModuleC kRegistryGetModule{"Configuring/Registry/Get"};
