// The part of Start between taking the start lock and creating the monitor:
// the process context from a three-element argument vector, the time locale,
// COM on the host's thread, the process error mode, a fresh variable
// environment, the agent's preferences, the log manager configured from them
// and the start-up banner. Runs on the host's thread that holds the start
// lock; nothing else runs in the agent meanwhile.
//
// The log manager reads its settings once, on first use: settings are
// installed before the preferences load, so whatever uses the manager first
// (a validation message or the banner) finds them loaded.
#pragma once

#include <memory>

#include "plugin/prefs/vdi_endpoint_ag_prefs.h"

class AgentStartupC {
 public:
  // Runs every step; none of them stops the start.
  AgentStartupC();
  // Destroys the preferences object (the environment stays the process's).
  ~AgentStartupC();
  AgentStartupC(const AgentStartupC&) = delete;
  AgentStartupC& operator=(const AgentStartupC&) = delete;

  VDIEndpointAgPrefs& preferences() { return *prefs_; }
  // The status of the preference load (negative: a step failed).
  int32_t preferencesStatus() const { return prefsStatus_; }
  // What COM's initialisation answered (0, or 0x80004005).
  uint32_t comStatus() const { return comStatus_; }

 private:
  std::unique_ptr<VDIEndpointAgPrefs> prefs_;
  int32_t prefsStatus_ = 0;
  uint32_t comStatus_ = 0;
};
