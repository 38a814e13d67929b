// The version text of a selector as the banner and the agent's "Version"
// preference show it: the process module's value (at most 64 characters),
// a line feed, and this library's own value, within 128 characters in all,
// each part without trailing blanks and line breaks. Only selectors 0-8, 10
// and 12 are served; every other one (9, 11, above 12, negative) gives "".
// Any failure (no module, no resource, a malformed block, a missing key)
// gives "" for that module's part, and nothing is logged. Any thread.
#pragma once

#include <optional>
#include <string>

#include "platform/module.h"

namespace version_string {

inline constexpr size_t kProcessPartLimit = 64;
inline constexpr size_t kTotalLimit = 128;

bool isServed(int selector);

// The combination rule alone, over the two values as read (nothing: that
// module gave no value).
std::string combine(const std::optional<std::string>& processModuleValue,
                    const std::optional<std::string>& ownModuleValue);

// The module that holds this library's code (the plug-in's own module).
platform::ModuleHandle ownModule();

// processModule: the process context's module handle, or null when unset.
std::string of(int selector, platform::ModuleHandle processModule, platform::ModuleHandle own = ownModule());

}  // namespace version_string
