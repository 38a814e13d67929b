// The text `reg export` writes for a key of a registry store: the header
// line, then every key below the one asked for (itself first, sub-keys in
// name order) as "[ROOT\path]" with its values, each key followed by an
// empty line. Strings are written as "text" (backslash and quote escaped),
// DWORDs as dword:xxxxxxxx, everything else as hex(N): bytes wrapped at 80
// columns with "\" as Windows does; a value line over 64 KiB (a long string
// or name) is continued over lines ending in "\" as well, since the loader
// refuses longer physical lines. The text is UTF-8; lines end in "\n".
//
// view32 shows the keys as a 32-bit process sees them: below
// HKEY_LOCAL_MACHINE\SOFTWARE the keys of SOFTWARE\WOW6432Node, under their
// logical names.
#pragma once

#include <string>
#include <vector>

#include "tnwcmn/reg_store.h"

namespace regdump {

inline constexpr const char* kExportHeader = "Windows Registry Editor Version 5.00";

// False (and nothing written) when the key does not exist in that view.
bool exportKey(const tnw::reg::Store& store, const std::string& root, const std::vector<std::string>& path,
               bool view32, std::string& out);

// One value as a line of `reg export` ("@" for the default value), without
// its line end.
std::string exportValue(const tnw::reg::Value& value);

}  // namespace regdump
