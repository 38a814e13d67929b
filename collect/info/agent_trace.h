// The trace module of the collectors and the WMI layer: what they trace
// (failures below the level of the agent's own log, the problems of the
// Linux stand-ins' files) goes to the suite's log service under it.
#pragma once

#include "runtime/messages/log_module.h"

inline constinit const LogModuleC kAgentModule{"VDIEndpointMonitor/VDIEndpoint/Agent"};
