// What secsvc-host needs of the system besides loading libraries.
#pragma once

#include <string>

namespace host_system {

// The plug-in library that sits beside this program.
std::string defaultPluginPath();
void setEnvironment(const char* name, const std::string& value);
// Ctrl-C (Windows console control events) and SIGINT/SIGTERM set the flag
// that stopRequested() reads.
void installStopHandlers();
bool stopRequested();

}  // namespace host_system
