// Where the Linux builds find the Windows machine they look at: the folder
// that the environment variable kMachineRootVariable names, kDefaultMachineRoot
// when it is unset or empty. Both libraries read it (the plug-in's drive
// folders, the common library's registry), each from its own environment
// access, and must agree on it.
#pragma once

#include <string>
#include <string_view>

namespace common {

inline constexpr char kMachineRootVariable[] = "TNW_MACHINE_ROOT";
inline constexpr char kDefaultMachineRoot[] = "/var/lib/tarnwell";

// The machine root, given the variable's value ("" when unset).
inline std::string machineRootFrom(std::string_view variable) {
  return variable.empty() ? std::string(kDefaultMachineRoot) : std::string(variable);
}

}  // namespace common
