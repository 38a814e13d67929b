// Facts about this process for log lines.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

uint32_t processId();
// User and kernel CPU time of the process in 100-ns units.
bool processTimes(uint64_t* user100ns, uint64_t* kernel100ns);
// The local calendar time of t (system time zone).
void localTime(std::time_t t, std::tm& out);
// SetErrorMode: which system error boxes the process suppresses (0x8001:
// critical errors and open-file errors). Linux has none: nothing happens.
void setErrorMode(uint32_t mode);

}  // namespace platform
