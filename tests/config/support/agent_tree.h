// A small tree of its own for tests that declare variables by hand: the two
// hive roots and the agent's key node as the suite declares them, the
// alternate-hive readers first, over a recording registry and the test
// clock.
#pragma once

#include <string>

#include "config/registry/alt_hive_reader.h"
#include "config/registry/conf_var.h"
#include "config/registry/conf_var_state.h"
#include "config/tables/conf_declarations.h"
#include "recording_registry.h"
#include "test_clock.h"

namespace config_test {

// Paths of the agent's key, as a 32-bit process sees them.
inline const std::string kAgentKey = "SOFTWARE\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion";
inline const std::string kLegacyAgentKey = "SOFTWARE\\Kelvane\\Quorbit\\VDI Endpoint Agent\\5.0";
inline const std::string kPolicyHive = "SOFTWARE\\Policies\\Tarnwell Corp\\Tarnwell";
inline const std::string kHiveKey = "Software\\Tarnwell Corp\\Tarnwell\\Common";

struct AgentTreeC {
  explicit AgentTreeC(RecordingRegistryC& registry)
      : state(&registry, &TestClockC::read),
        machineHive(state, kAltHiveKeyPath, kMachineAltHiveValue, false),
        userHive(state, kAltHiveKeyPath, kUserAltHiveValue, true),
        corp(state, nullptr, "SOFTWARE\\Tarnwell Corp", "SOFTWARE\\Kelvane", nullptr, true),
        tarnwell(state, &corp, "Tarnwell", "Quorbit", nullptr, true),
        agent(state, &tarnwell, "VDI Endpoint Agent\\CurrentVersion", "VDI Endpoint Agent\\5.0", "CopyAll", false) {}

  ConfVarStateC state;
  AltHiveReaderC machineHive;
  AltHiveReaderC userHive;
  ConfVarC corp;
  ConfVarC tarnwell;
  ConfVarC agent;
};

}  // namespace config_test
