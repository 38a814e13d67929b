// What the registry service needs of the system: the real registry on
// Windows, the store of `.reg` files on Linux. Paths and names are UTF-8;
// value data are the bytes Windows stores. Statuses as in tnwcmn.h, with
// kRegNotFound for a missing key or value.
#pragma once

#include <cstdint>
#include <string>

#include "tnwcmn/tnwcmn.h"

namespace tnw::reg {

// Opens root\sub (sub "" opens root itself). access carries the view
// flags; without one, a key opened below another keeps the parent's view
// and a predefined root gives the 32-bit view (this is a 32-bit process).
Status open(RegKey root, const std::string& sub, uint32_t access, RegKey* out);
Status close(RegKey key);

// The value `name` of root\sub. data may be null when only the existence
// and the type are asked.
Status query(RegKey root, const std::string& sub, const std::string& name, uint32_t* type, std::string* data);

Status enumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type);
Status enumSubKey(RegKey key, uint32_t index, std::string* name);

// The remote machine of TNW_REMOTE_MACHINE ("" for none), read again by
// reloadEnvironment(); its root 0 is HKEY_LOCAL_MACHINE, 1 HKEY_USERS.
std::string remoteMachine();
RegKey remoteRoot(int index);
void reloadEnvironment();

}  // namespace tnw::reg
