// Command line of secsvc-host.
#pragma once

#include <cstdint>
#include <string>

struct HostOptionsC {
  std::string plugin;        // "" -> the plug-in beside the program
  std::string machine;       // "" -> leave TNW_MACHINE_ROOT as it is
  double runForSeconds = -1;  // < 0: until Ctrl-C or SIGTERM
  int32_t apiMin = 1;
  int32_t apiMax = 1;
};

// Parses argv; false with a message in *error for bad usage.
bool parseHostOptions(int argc, char** argv, HostOptionsC& options, std::string* error);

extern const char* const kHostUsage;
