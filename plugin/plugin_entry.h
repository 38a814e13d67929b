// The library's entry: the exported function and the process-detach work.
#pragma once

#include "plugin/security_service_plugin.h"

extern "C" VDI_PLUGIN_EXPORT SecurityServicePluginI* VDI_PLUGIN_CALL SecurityServicePluginInstance(int32_t* status,
                                                                                SecurityServiceHostI* host,
                                                                                void* reserved);

// Destroys the singleton under the singleton lock. processEnding: the
// process is going away (DllMain with a non-null reserved argument, the
// library destructor on Linux), so threads that no longer run are not
// waited for.
void pluginDetach(bool processEnding);

// The singleton, or null (tests).
SecurityServicePluginI* pluginSingleton();
