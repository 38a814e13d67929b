// The few operating-system facts the common library needs for itself; it
// does not share the plug-in's platform layer (it is a separate library).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace tnw::os {

uint32_t currentThreadId();
void utcTime(std::time_t t, std::tm& out);
// The environment variable, "" when unset. Windows reads the wide
// environment and answers UTF-8.
std::string env(const char* name);

}  // namespace tnw::os
